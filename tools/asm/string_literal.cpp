#include "tools/asm/string_literal.h"

#include <cstdio>

#include "base/byte_order.h"

namespace kvasm {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string Hex2(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", byte);
    return text;
}

std::string CodePointName(uint32_t codePoint) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", codePoint);
    return text;
}

// The index of an expansion escape: a number (decimal or 0x hex) or a variable name.
bool ParseExpansionIndex(std::string_view text, Bank bank, const VariableLookup& lookup,
                         uint32_t* index, std::string* error) {
    if (text.empty()) {
        *error = "empty variable in expansion escape";
        return false;
    }
    if (text[0] >= '0' && text[0] <= '9') {
        uint64_t value = 0;
        int base = 10;
        std::string_view digits = text;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            base = 16;
            digits.remove_prefix(2);
        }
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0 || d >= base) {
                *error = "bad index '" + std::string(text) + "' in expansion escape";
                return false;
            }
            value = value * base + d;
            if (value > 0xFFFFFFFFull) {
                *error = "index '" + std::string(text) + "' in expansion escape does not fit 32 bits";
                return false;
            }
        }
        *index = static_cast<uint32_t>(value);
        return true;
    }
    if (!lookup) {
        *error = "variable names are not known here; write the index of '" + std::string(text) + "'";
        return false;
    }
    return lookup(text, bank, index, error);
}

bool RoundTrips(std::span<const uint8_t> bytes, CodePageConverter& converter, std::string* utf8) {
    const std::string_view in(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string back;
    return converter.Decode(in, utf8) && converter.Encode(*utf8, &back) && back == in;
}

}  // namespace

bool EncodeLiteral(std::string_view body, CodePageConverter& converter, const VariableLookup& lookup,
                   std::vector<uint8_t>* out, std::vector<std::string>* errors) {
    const size_t errorsBefore = errors->size();
    size_t i = 0;
    while (i < body.size()) {
        const char c = body[i];
        if (c != '\\') {
            uint32_t codePoint = 0;
            const size_t length = Utf8CharLength(body, i, &codePoint);
            if (length == 0) {
                errors->push_back("byte 0x" + Hex2(static_cast<uint8_t>(c)) + " is not UTF-8");
                ++i;
                continue;
            }
            std::string encoded;
            if (!converter.Encode(body.substr(i, length), &encoded)) {
                errors->push_back("character " + CodePointName(codePoint) + " '" +
                                  std::string(body.substr(i, length)) + "' has no " +
                                  backend::IconvName(converter.page()) + " equivalent");
            } else {
                out->insert(out->end(), encoded.begin(), encoded.end());
            }
            i += length;
            continue;
        }
        if (i + 1 >= body.size()) {
            errors->push_back("'\\' at the end of a string");
            break;
        }
        const char escape = body[i + 1];
        i += 2;
        switch (escape) {
        case '\\': out->push_back('\\'); break;
        case '"': out->push_back('"'); break;
        case '0': out->push_back(0); break;
        case 'n': out->push_back(1); break;
        case 'w': out->push_back(2); break;
        case 'p': out->push_back(3); break;
        case 'x': {
            const int high = i < body.size() ? HexDigit(body[i]) : -1;
            const int low = i + 1 < body.size() ? HexDigit(body[i + 1]) : -1;
            if (high < 0 || low < 0) {
                errors->push_back("'\\x' needs two hexadecimal digits");
                break;
            }
            out->push_back(static_cast<uint8_t>(high * 16 + low));
            i += 2;
            break;
        }
        case 'a':
        case 's':
        case 'c': {
            const Bank bank = escape == 'a' ? Bank::kAInt : escape == 's' ? Bank::kAString : Bank::kCInt;
            const size_t close = body.find('}', i);
            if (i >= body.size() || body[i] != '{' || close == std::string_view::npos) {
                errors->push_back(std::string("'\\") + escape + "' needs a variable in braces, as \\" +
                                  escape + "{3}");
                break;
            }
            std::string_view name = body.substr(i + 1, close - i - 1);
            while (!name.empty() && name.front() == ' ') {
                name.remove_prefix(1);
            }
            while (!name.empty() && name.back() == ' ') {
                name.remove_suffix(1);
            }
            i = close + 1;
            uint32_t index = 0;
            std::string error;
            if (!ParseExpansionIndex(name, bank, lookup, &index, &error)) {
                errors->push_back(error);
                break;
            }
            out->push_back(escape == 'a' ? 4 : escape == 's' ? 5 : 6);
            kv::AppendLe32(*out, index);
            break;
        }
        default:
            errors->push_back(std::string("unknown escape '\\") + escape + "'");
            break;
        }
    }
    return errors->size() == errorsBefore;
}

std::string RenderLiteral(std::span<const uint8_t> bytes, CodePageConverter& converter) {
    std::string text;
    size_t i = 0;
    while (i < bytes.size()) {
        const uint8_t b = bytes[i];
        if (b >= 4 && b <= 6 && bytes.size() - i >= 5) {
            text += b == 4 ? "\\a{" : b == 5 ? "\\s{" : "\\c{";
            text += std::to_string(kv::ReadLe32(bytes.data() + i + 1));
            text += '}';
            i += 5;
            continue;
        }
        if (b < 0x80) {
            switch (b) {
            case 0: text += "\\0"; break;
            case 1: text += "\\n"; break;
            case 2: text += "\\w"; break;
            case 3: text += "\\p"; break;
            case '\\': text += "\\\\"; break;
            case '"': text += "\\\""; break;
            default:
                if (b < 0x20 || b == 0x7F) {
                    text += "\\x" + Hex2(b);
                } else {
                    text += static_cast<char>(b);
                }
                break;
            }
            ++i;
            continue;
        }
        std::string utf8;
        if (backend::IsLeadPair(converter.page(), bytes.data() + i, bytes.size() - i) &&
            RoundTrips(bytes.subspan(i, 2), converter, &utf8)) {
            text += utf8;
            i += 2;
        } else if (RoundTrips(bytes.subspan(i, 1), converter, &utf8)) {
            text += utf8;
            ++i;
        } else {
            text += "\\x" + Hex2(b);
            ++i;
        }
    }
    return text;
}

}  // namespace kvasm
