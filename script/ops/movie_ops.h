#pragma once
// Operation 101: a movie file played in the game window, which the player may skip. Phase 0
// opens and runs it, phase 1 watches it each frame, phase 2 lets it go and gives the result:
// 1 when the player skipped it, 0 when it played to its end or could not be played.

#include <cstdint>

namespace kv {

// 164, phase 0: takes the file name (below the game folder, with its own extension).
std::uint32_t ReadyToPlayMovie();
// 165, phase 1: the end of the movie (result 0) or a released decide key or left button
// (result 1) stops it.
std::uint32_t WaitMovie();
// 166, phase 2: deletes the player and finishes with the result.
std::uint32_t EndMovie();

}  // namespace kv
