#pragma once
// Conversion of literal text between UTF-8 (the source files) and the game's code page, one
// character at a time so that each character that has no equivalent can be reported.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "backend/code_page.h"

namespace kvasm {

// The game's code pages and their byte rules are the engine's own (backend/code_page.h).
using backend::CodePage;

// Length of the UTF-8 character at text[pos] and its code point, or 0 when the bytes there are
// not valid UTF-8.
size_t Utf8CharLength(std::string_view text, size_t pos, uint32_t* codePoint);

class CodePageConverter {
public:
    explicit CodePageConverter(CodePage page);
    ~CodePageConverter();
    CodePageConverter(const CodePageConverter&) = delete;
    CodePageConverter& operator=(const CodePageConverter&) = delete;

    CodePage page() const { return page_; }
    // False when the C library lacks the code page.
    bool ok() const;

    // One UTF-8 character to its bytes in the code page; false when it has none.
    bool Encode(std::string_view utf8Char, std::string* out);
    // The bytes of one code-page character to UTF-8; false when they are not a character.
    bool Decode(std::string_view bytes, std::string* out);

private:
    bool Convert(void* descriptor, std::string_view in, std::string* out);

    CodePage page_;
    void* toPage_;
    void* toUtf8_;
};

}  // namespace kvasm
