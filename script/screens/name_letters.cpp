#include "script/screens/name_letters.h"

#include <cstdint>
#include <string>
#include <vector>

#include "backend/code_page.h"
#include "base/build_variant.h"

namespace kv {

namespace {

// The tables hold characters, each turned into the build's code page, so that the GBK build
// refuses the same punctuation as the Shift-JIS one.
constexpr const char* kHangingWide[] = {"？", "！", "、", "。", "，", "）", "〕", "］", "｝", "〉", "》", "」", "』"};
constexpr const char* kOpeningWide[] = {"（", "〔", "［", "｛", "〈", "《", "「", "『"};
constexpr const char* kClosingWide[] = {"）", "〕", "］", "｝", "〉", "》", "」", "』"};
constexpr char kHangingSingle[] = "?!,.)]}";
constexpr char kOpeningSingle[] = "([{";
constexpr char kClosingSingle[] = ")]}";
constexpr const char* kWideSpace = "　";

template <std::size_t N>
std::vector<std::uint16_t> CodesOf(const char* const (&characters)[N]) {
    std::vector<std::uint16_t> codes;
    for (const char* character : characters) {
        std::string converted;
        if (backend::FromUtf8(ActiveBuildVariant().codePage, character, converted) && converted.size() == 2)
            codes.push_back(static_cast<std::uint16_t>(static_cast<unsigned char>(converted[0]) << 8 |
                                                       static_cast<unsigned char>(converted[1])));
    }
    return codes;
}

struct WideTables {
    std::vector<std::uint16_t> hanging = CodesOf(kHangingWide);
    std::vector<std::uint16_t> brackets = [] {
        std::vector<std::uint16_t> codes = CodesOf(kOpeningWide);
        const std::vector<std::uint16_t> closing = CodesOf(kClosingWide);
        codes.insert(codes.end(), closing.begin(), closing.end());
        return codes;
    }();
    std::uint16_t space = [] {
        const char* const space[] = {kWideSpace};
        const std::vector<std::uint16_t> codes = CodesOf(space);
        return codes.empty() ? std::uint16_t{0} : codes[0];
    }();
};

const WideTables& Wide() {
    static const WideTables tables;
    return tables;
}

// The code page's own pair rule: the GBK full-width brackets have trail bytes up to 0xFE.
bool IsPairAt(const char* text) {
    return backend::IsLeadPair(ActiveBuildVariant().codePage, reinterpret_cast<const unsigned char*>(text),
                               text[0] != '\0' && text[1] != '\0' ? 2 : 1);
}

bool Contains(const std::vector<std::uint16_t>& codes, std::uint16_t code) {
    for (const std::uint16_t entry : codes)
        if (entry == code) return true;
    return false;
}

// One pass: every character, double-byte ones against the wide table, single bytes against
// the single-byte letters (only bytes below 0x80 can match one).
bool AnyCharacterIn(const char* text, const std::vector<std::uint16_t>& wide, const std::string& single) {
    for (std::size_t i = 0; text[i] != '\0';) {
        if (IsPairAt(text + i)) {
            const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(text[i]) << 8 |
                                                         static_cast<unsigned char>(text[i + 1]));
            if (Contains(wide, code)) return true;
            i += 2;
        } else {
            if (static_cast<signed char>(text[i]) > 0 && single.find(text[i]) != std::string::npos) return true;
            i += 1;
        }
    }
    return false;
}

}  // namespace

bool HasForbiddenLetters(const char* text) {
    if (text == nullptr) return false;
    const WideTables& wide = Wide();
    return AnyCharacterIn(text, wide.hanging, kHangingSingle) ||
           AnyCharacterIn(text, wide.brackets, std::string(kOpeningSingle) + kClosingSingle);
}

bool HasInvalidLetters(const char* text) {
    if (text == nullptr) return false;
    const std::uint16_t wideSpace = Wide().space;
    for (std::size_t i = 0; text[i] != '\0';) {
        if (IsPairAt(text + i)) {
            const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(text[i]) << 8 |
                                                         static_cast<unsigned char>(text[i + 1]));
            if (code == wideSpace) return true;
            i += 2;
        } else {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte == 0x20 || (byte >= 0xA6 && byte <= 0xDF)) return true;
            i += 1;
        }
    }
    return false;
}

}  // namespace kv
