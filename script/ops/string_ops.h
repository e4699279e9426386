#pragma once
// Operations on texts: comparing, cutting, joining, measuring and formatting numbers. Texts are
// fetched into buffers of each operation's size (a longer text is cut) and text results go to
// A string variables with their terminator counted, the empty text as an empty variable.

#include <cstdint>

namespace kv {

// 105: A byte [flag] := 1 when the two texts are equal byte for byte (two empty texts are),
// else 0.
std::uint32_t CompareStrings();
// 115: A string [destination] := count units of the text from the 1-based start; unit 0 counts
// characters, any other unit bytes. Start and count are kept inside the text.
std::uint32_t Substring();
// 116: A string [destination] := text 1 followed by text 2.
std::uint32_t ConcatStrings();
// 123: A string [destination] := the number in decimal, in full-width digits when the flag is
// set, filled on the left with the pad character up to width characters.
std::uint32_t FormatNumber();
// 130: A integer [destination] := the text's length in bytes (unit not 0) or characters.
std::uint32_t StringLength();

}  // namespace kv
