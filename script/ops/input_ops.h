#pragma once
// Operation 126: the script makes the input object once the window exists.

#include <cstdint>

namespace kv {

inline constexpr int kInputCreateAttempts = 30;
inline constexpr std::uint32_t kInputCreateRetryMs = 100;

// Makes the Input object for the game window, retrying while the window is not in front. On
// success the global and the window's input pointer name it. Failure, and a second call, end
// the game after a box.
std::uint32_t CreateDirectInputManager();

}  // namespace kv
