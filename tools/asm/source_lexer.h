#pragma once
// Splits one line of assembler or declaration source into tokens. A `;` outside a string starts
// a comment that runs to the end of the line.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvasm {

enum class TokenKind { kIdent, kNumber, kString, kPunct };

struct Token {
    TokenKind kind = TokenKind::kPunct;
    // Identifier text, the punctuation character, or the raw body of a string (between the
    // quotes, escapes not yet decoded).
    std::string text;
    int64_t number = 0;

    bool IsPunct(char c) const { return kind == TokenKind::kPunct && text.size() == 1 && text[0] == c; }
    bool IsIdent(std::string_view name) const { return kind == TokenKind::kIdent && text == name; }
};

// Tokens of one line. False with a message on a malformed number, an unterminated string or a
// character that starts no token.
bool LexLine(std::string_view line, std::vector<Token>* tokens, std::string* error);

// The line without its comment (a `;` outside a string) and without surrounding blanks.
std::string_view StripComment(std::string_view line);

// The lines of a source text (a leading UTF-8 byte-order mark is dropped).
std::vector<std::string_view> SplitLines(std::string_view source);

// Numbers of the sources are 32-bit words written signed or unsigned: -2147483648..4294967295.
bool FitsWord(int64_t value);

}  // namespace kvasm
