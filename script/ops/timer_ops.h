#pragma once
// The script's clock: a timer base and three waits. Operation 14 waits until a time measured
// from the base, operation 134 does the same and may be skipped, operation 15 waits for a click,
// a time or the auto-mode deadline. The waits keep their words in the operation's scratch, so
// that an interruption resumes them with their deadlines unchanged.

#include <cstdint>

namespace kv {

// The auto-mode wait of operation 15 when it is given no time.
inline constexpr std::uint32_t kAutoClickWaitMs = 800;

// The millisecond tick of the last operation 13.
std::uint32_t ScriptTimerBase();

// 13: timer base := now.
std::uint32_t OpResetTimer();
// 14, phase 0: takes the time in milliseconds.
std::uint32_t OpWaitTimerSet();
// 14, phase 1: until the base plus the time has come (result 0), or Ctrl or skip mode cuts the
// wait short (result 1).
std::uint32_t OpWaitTimerRun();
// 15, phase 0: takes the time (0: no time) and starts the wait.
std::uint32_t OpWaitClickSet();
// 15, phase 1: a released decide key or left button, Ctrl or skip mode finish it with 1; the
// time, or in auto mode without a time the auto-mode deadline, with 0.
std::uint32_t OpWaitClickRun();
// 134, phase 0: takes the skippable flag and the time.
std::uint32_t ReadyTimedWait();
// 134, phase 1: as operation 14 with a 1 ms sleep per frame; Ctrl and skip mode count only when
// the wait is skippable.
std::uint32_t RunTimedWait();

}  // namespace kv
