#pragma once
// Operations that answer the script in A integer variables: a random number, the local time and
// the window of the last voiced message.

#include <cstdint>

namespace kv {

// 104: A integer [index] := a random number 0 .. N - 1; N below 1 gives 0 without drawing one.
std::uint32_t Random();
// 118: month, day, day of week (0 Sunday), hour, minute and second into six A integers; an
// index below 0 leaves that field out.
std::uint32_t GetLocalTimeToVariables();
// 133: A integer [index] := the window of the last message shown with a voice, -1 for none.
std::uint32_t GetVoiceWindowToVariable();

}  // namespace kv
