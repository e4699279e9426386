#pragma once
// The two boxes the script machine shows about a faulty script.

#include <cstdint>

namespace kv {

// "Error code is <code>" captioned "SNXError", without owner window: a negative result of the
// interpreter, just before the game ends.
void ShowSnxError(std::int32_t code);

// "Access violation in Scripts" captioned "error", without owner window: a variable index
// outside its bank or a string literal outside the data area. The script goes on.
void ShowAccessViolation();

}  // namespace kv
