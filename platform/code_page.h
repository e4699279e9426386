#pragma once
// Conversions between the build's text code page and UTF-8 (what the file system and the
// display libraries take).

#include <string>
#include <string_view>

namespace platform {

// False when the text holds bytes that do not convert; out is then unspecified.
bool CodePageToUtf8(std::string_view text, std::string& out);
bool Utf8ToCodePage(std::string_view text, std::string& out);
// For messages: converts what it can and replaces what it cannot with '?'.
std::string CodePageToUtf8Lossy(std::string_view text);

// True when p[0] and p[1] form a double-byte character of the build's code page.
bool IsCodePageLeadPair(const unsigned char* p, std::size_t available);

}  // namespace platform
