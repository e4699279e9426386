#pragma once
// The text code pages the games are written in, with their real byte rules, and conversions
// to and from UTF-8 (what the file system and the display libraries take).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace backend {

enum class CodePage : std::uint8_t { ShiftJis, Gbk };

// The iconv name ("CP932", "GBK").
const char* IconvName(CodePage page);

// True when p[0] and p[1] form a double-byte character of the code page: Shift-JIS leads
// 0x81-0x9F and 0xE0-0xFC with trails 0x40-0x7E and 0x80-0xFC; GBK leads 0x81-0xFE with trails
// 0x40-0x7E and 0x80-0xFE.
bool IsLeadPair(CodePage page, const unsigned char* p, std::size_t available);

// False when the text holds bytes that do not convert; out is then unspecified.
bool ToUtf8(CodePage page, std::string_view text, std::string& out);
bool FromUtf8(CodePage page, std::string_view text, std::string& out);
// For messages: converts what it can and replaces what it cannot with '?'.
std::string ToUtf8Lossy(CodePage page, std::string_view text);
// Character by character; a character that the code page cannot hold (or a byte that is not
// UTF-8) becomes '?'.
std::string FromUtf8Lossy(CodePage page, std::string_view text);
// Bytes of the UTF-8 character that starts text (1 for a byte that starts none; 0 for "").
std::size_t Utf8CharLength(std::string_view text);

// Turns character codes of a code page into Unicode characters, keeping its converter open for
// callers that convert one character at a time.
class CodePointDecoder {
public:
    explicit CodePointDecoder(CodePage page);
    ~CodePointDecoder();
    CodePointDecoder(const CodePointDecoder&) = delete;
    CodePointDecoder& operator=(const CodePointDecoder&) = delete;

    // The character that the code names: a single byte, or a double-byte code with the lead byte
    // in bits 8-15. False when the code is not one character of the code page.
    bool Decode(std::uint32_t code, char32_t& codePoint);

private:
    void* converter_;  // iconv_t
};

}  // namespace backend
