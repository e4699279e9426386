#pragma once
// The engine's line-breaking rules: which characters may hang past the right edge of a text
// rectangle, which brackets open and close an indented run, and the word wrap of single-byte
// text that the message flow gives windows 0 and 3.
//
// A character is named by its code: a double-byte character as lead byte x 256 + trail byte, a
// single byte as the byte x 256. The same codes stand in both builds.

#include <cstddef>
#include <cstdint>

namespace kv {

bool IsHangingPunctuation(std::uint32_t code);
bool IsOpeningBracket(std::uint32_t code);
bool IsClosingBracket(std::uint32_t code);

inline constexpr std::size_t kMessageBufferSize = 1024;  // a message with its terminator
inline constexpr std::int32_t kWrapColumns = 50;         // bytes a wrapped line may hold
inline constexpr std::int32_t kWrapLinesPerPage = 5;     // breaks a page takes before "Page Over!"

// Word wrap of the zero-terminated single-byte text in its 1024-byte buffer: a line break (code
// 1) goes before each word that would end past column 50, and after a run of spaces that passes
// it. Existing line and page breaks (codes 1 and 3) are kept and restart the counts. A page with
// more than five breaks is reported ("Page Over!") and wrapped all the same. A result that does
// not fit the buffer with its terminator is reported ("MsgBufferOver in KinsokuEnglish()") and
// the text is left as it was.
void KinsokuEnglish(char (&text)[kMessageBufferSize]);

}  // namespace kv
