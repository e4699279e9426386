#include "backend/code_page.h"

#include <iconv.h>

#include <cerrno>

namespace backend {

namespace {

bool Convert(const char* to, const char* from, std::string_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input(text);
    char* in = input.data();
    std::size_t inLeft = input.size();
    bool ok = true;
    char buffer[1024];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

}  // namespace

const char* IconvName(CodePage page) { return page == CodePage::Gbk ? "GBK" : "CP932"; }

bool IsLeadPair(CodePage page, const unsigned char* p, std::size_t available) {
    if (available < 2) return false;
    const unsigned char lead = p[0];
    const unsigned char trail = p[1];
    if (page == CodePage::Gbk) {
        return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
    }
    const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    const bool isTrail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
    return isLead && isTrail;
}

bool ToUtf8(CodePage page, std::string_view text, std::string& out) {
    return Convert("UTF-8", IconvName(page), text, out);
}

bool FromUtf8(CodePage page, std::string_view text, std::string& out) {
    return Convert(IconvName(page), "UTF-8", text, out);
}

CodePointDecoder::CodePointDecoder(CodePage page) : converter_(iconv_open("UTF-32LE", IconvName(page))) {}

CodePointDecoder::~CodePointDecoder() {
    if (converter_ != reinterpret_cast<void*>(-1)) iconv_close(static_cast<iconv_t>(converter_));
}

bool CodePointDecoder::Decode(std::uint32_t code, char32_t& codePoint) {
    if (converter_ == reinterpret_cast<void*>(-1) || code > 0xFFFF) return false;
    const auto cd = static_cast<iconv_t>(converter_);
    char bytes[2];
    std::size_t inLeft = 0;
    if (code > 0xFF) bytes[inLeft++] = static_cast<char>(code >> 8);
    bytes[inLeft++] = static_cast<char>(code & 0xFF);
    unsigned char utf32[8];
    char* in = bytes;
    char* out = reinterpret_cast<char*>(utf32);
    std::size_t outLeft = sizeof utf32;
    const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // no shift state carries over to the next code
    // A code of two single-byte characters converts to two: it is not one character.
    if (result == static_cast<std::size_t>(-1) || inLeft != 0 || sizeof utf32 - outLeft != 4) return false;
    codePoint = static_cast<char32_t>(utf32[0] | (utf32[1] << 8) | (utf32[2] << 16) |
                                      (static_cast<std::uint32_t>(utf32[3]) << 24));
    return true;
}

namespace {

// Converts the whole text, or else character by character with '?' for each one that fails.
template <typename CharLength, typename Convert>
std::string ConvertLossy(CodePage page, std::string_view text, CharLength charLength, Convert convert) {
    std::string out;
    if (convert(page, text, out)) return out;
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = charLength(text.substr(i));
        std::string piece;
        if (convert(page, text.substr(i, n), piece))
            out += piece;
        else
            out += '?';
        i += n;
    }
    return out;
}

}  // namespace

std::string ToUtf8Lossy(CodePage page, std::string_view text) {
    const auto charLength = [page](std::string_view rest) -> std::size_t {
        return IsLeadPair(page, reinterpret_cast<const unsigned char*>(rest.data()), rest.size()) ? 2 : 1;
    };
    return ConvertLossy(page, text, charLength, &ToUtf8);
}

std::size_t Utf8CharLength(std::string_view text) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    if (length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
    return length;
}

std::string FromUtf8Lossy(CodePage page, std::string_view text) {
    return ConvertLossy(page, text, &Utf8CharLength, &FromUtf8);
}

}  // namespace backend
