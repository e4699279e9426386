#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>

#include "base/build_variant.h"

namespace platform {
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

bool CodePageToUtf8(std::string_view text, std::string& out) {
    return Convert("UTF-8", kv::ActiveBuildVariant().codePage, text, out);
}

bool Utf8ToCodePage(std::string_view text, std::string& out) {
    return Convert(kv::ActiveBuildVariant().codePage, "UTF-8", text, out);
}

bool IsCodePageLeadPair(const unsigned char* p, std::size_t available) {
    if (available < 2) return false;
    const kv::BuildVariant& variant = kv::ActiveBuildVariant();
    unsigned char lead = p[0];
    unsigned char trail = p[1];
    bool isLead = lead >= 0x81 && lead <= variant.leadByteLast &&
                  !(variant.shiftJisLeadGap && lead >= 0xA0 && lead <= 0xDF);
    bool isTrail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
    return isLead && isTrail;
}

std::string CodePageToUtf8Lossy(std::string_view text) {
    std::string out;
    if (CodePageToUtf8(text, out)) return out;
    out.clear();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = IsCodePageLeadPair(bytes + i, text.size() - i) ? 2 : 1;
        std::string piece;
        if (CodePageToUtf8(text.substr(i, n), piece))
            out += piece;
        else
            out += '?';
        i += n;
    }
    return out;
}

}  // namespace platform
