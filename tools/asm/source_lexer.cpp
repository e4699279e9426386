#include "tools/asm/source_lexer.h"

#include <cctype>

namespace kvasm {
namespace {

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Parses decimal or 0x-hexadecimal digits; false on a stray character, and *tooLarge when the
// magnitude cannot be a 32-bit word whatever the sign.
bool ParseDigits(std::string_view digits, int64_t* value, bool* tooLarge) {
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty()) {
        return false;
    }
    int64_t result = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        if (!*tooLarge) {
            result = result * base + digit;
            *tooLarge = result > 0xFFFFFFFFll;
        }
    }
    *value = result;
    return !*tooLarge;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view source) {
    if (source.substr(0, 3) == "\xEF\xBB\xBF") {
        source.remove_prefix(3);
    }
    std::vector<std::string_view> lines;
    while (!source.empty()) {
        const size_t end = source.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(source);
            break;
        }
        lines.push_back(source.substr(0, end));
        source.remove_prefix(end + 1);
    }
    return lines;
}

bool FitsWord(int64_t value) {
    return value >= -2147483648ll && value <= 0xFFFFFFFFll;
}

std::string_view StripComment(std::string_view line) {
    bool inString = false;
    size_t end = line.size();
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == ';') {
            end = i;
            break;
        }
    }
    line = line.substr(0, end);
    while (!line.empty() && IsBlank(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    return line;
}

bool LexLine(std::string_view line, std::vector<Token>* tokens, std::string* error) {
    tokens->clear();
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (c == ';') {
            break;
        }
        Token token;
        if (IsIdentStart(c)) {
            const size_t start = i;
            while (i < line.size() && IsIdentChar(line[i])) {
                ++i;
            }
            token.kind = TokenKind::kIdent;
            token.text = std::string(line.substr(start, i - start));
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && i + 1 < line.size() &&
                    std::isdigit(static_cast<unsigned char>(line[i + 1])))) {
            const size_t start = i;
            const bool negative = c == '-';
            if (negative) {
                ++i;
            }
            const size_t digitsStart = i;
            while (i < line.size() && std::isalnum(static_cast<unsigned char>(line[i]))) {
                ++i;
            }
            int64_t value = 0;
            bool tooLarge = false;
            token.text = std::string(line.substr(start, i - start));
            if (!ParseDigits(line.substr(digitsStart, i - digitsStart), &value, &tooLarge)) {
                *error = tooLarge ? "number " + token.text + " does not fit 32 bits"
                                  : "bad number '" + token.text + "'";
                return false;
            }
            token.kind = TokenKind::kNumber;
            token.number = negative ? -value : value;
            if (!FitsWord(token.number)) {
                *error = "number " + token.text + " does not fit 32 bits";
                return false;
            }
        } else if (c == '"') {
            const size_t start = ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '\\' && i + 1 < line.size()) {
                    i += 2;
                } else if (line[i] == '"') {
                    closed = true;
                    break;
                } else {
                    ++i;
                }
            }
            if (!closed) {
                *error = "string is not closed by '\"'";
                return false;
            }
            token.kind = TokenKind::kString;
            token.text = std::string(line.substr(start, i - start));
            ++i;
        } else if (c == ',' || c == '[' || c == ']' || c == ':' || c == '@' || c == '#' ||
                   c == '&' || c == '=') {
            token.kind = TokenKind::kPunct;
            token.text = std::string(1, c);
            ++i;
        } else {
            *error = std::string("unexpected character '") + c + "'";
            return false;
        }
        tokens->push_back(std::move(token));
    }
    return true;
}

}  // namespace kvasm
