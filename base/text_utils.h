#pragma once
// File queries on engine paths and the double-byte pair test shared by the text code.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kv {

// Size of the file in bytes, cut to its low 32 bits; -1 when it cannot be opened for reading.
std::int32_t GetFileSizeByName(std::string_view path);
// True for a regular file that can be opened for reading; a folder is not a file.
bool FileExists(std::string_view path);
// The double-byte pair tests of the engine's text code, with the ranges the games were made
// for: lead bytes 0x81-0x9F and 0xE0-0xFC (Shift-JIS) or 0x81-0xFE (GBK), trail bytes 0x40-0x7E
// and 0x80-0xFC in both. p[1] is read only after p[0] qualifies, so a terminator in p[0] is
// safe. (Paths follow each code page's real rules in the backend.)
bool IsShiftJisLeadPair(const char* p);
bool IsGbkLeadPair(const char* p);
// The build's code page. The String members use IsShiftJisLeadPair in every build.
bool IsDbcsLeadPair(const char* p);

// The longest start of the text (up to its first terminator) of at most maxBytes bytes that does
// not split a double-byte character of the build's code page.
std::string_view CutBetweenCharacters(std::string_view text, std::size_t maxBytes);

}  // namespace kv
