#pragma once
// File queries on engine paths and the double-byte pair test shared by the text code.

#include <cstdint>
#include <string_view>

namespace kv {

// Size of the file in bytes, cut to its low 32 bits; -1 when it cannot be opened for reading.
std::int32_t GetFileSizeByName(std::string_view path);
// True for a regular file that can be opened for reading; a folder is not a file.
bool FileExists(std::string_view path);
// True when p[0] is a lead byte of the build's code page and p[1] a trail byte. p[1] is read
// only after p[0] qualifies, so a terminator in p[0] is safe.
bool IsDbcsLeadPair(const char* p);

}  // namespace kv
