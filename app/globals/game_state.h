#pragma once
// The global engine-state block. Start-up zeroes it and sets the screen size and the empty
// op-save stack; the script operations read and write the rest.

#include <cstdint>

namespace kv {

struct GameState {
    char caption[64];        // window caption text; the caption operations build on it
    std::int32_t screenWidth;
    std::int32_t screenHeight;
    std::int32_t opSaveTop;  // -1: no interrupted operation saved
};

void ResetGameState(GameState& state);

}  // namespace kv
