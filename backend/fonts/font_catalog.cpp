#include "backend/fonts/font_catalog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <string>

namespace backend {

namespace {

// Folders of fonts that Debian installs outside fontconfig's default folders.
constexpr const char* kExtraFontFolders[] = {
    "/usr/share/wine/fonts",  // fonts-wine: tahoma.ttf, tahomabd.ttf
};

const FcChar8* AsFc(const std::string& text) { return reinterpret_cast<const FcChar8*>(text.c_str()); }

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

// A pattern for outline fonts of that family and style.
PatternPtr StylePattern(std::string_view familyUtf8, FontStyle style) {
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) return nullptr;
    if (!familyUtf8.empty()) FcPatternAddString(pattern.get(), FC_FAMILY, AsFc(std::string(familyUtf8)));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(std::clamp(style.weight, 1, 1000)));
    FcPatternAddInteger(pattern.get(), FC_SLANT, style.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    return pattern;
}

bool HasFamily(FcPattern* font, std::string_view familyUtf8) {
    const std::string wanted(familyUtf8);
    FcChar8* name = nullptr;
    for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
        if (FcStrCmpIgnoreCase(name, AsFc(wanted)) == 0) return true;
    }
    return false;
}

std::optional<FontFile> FileOf(FcPattern* font) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch) return std::nullopt;
    FontFile file;
    file.path = reinterpret_cast<const char*>(path);
    int index = 0;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch) file.index = index;
    int weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetInteger(font, FC_WEIGHT, 0, &weight) == FcResultMatch) file.bold = weight >= FC_WEIGHT_DEMIBOLD;
    int slant = FC_SLANT_ROMAN;
    if (FcPatternGetInteger(font, FC_SLANT, 0, &slant) == FcResultMatch) file.italic = slant != FC_SLANT_ROMAN;
    return file;
}

}  // namespace

struct FontCatalog::Config {
    FcConfig* fc = nullptr;
};

FontCatalog::FontCatalog() : config_(new Config) {
    config_->fc = FcInitLoadConfigAndFonts();
    if (!config_->fc) return;
    for (const char* folder : kExtraFontFolders) FcConfigAppFontAddDir(config_->fc, reinterpret_cast<const FcChar8*>(folder));
}

FontCatalog::~FontCatalog() {
    if (config_->fc) FcConfigDestroy(config_->fc);
    delete config_;
}

namespace {

// The fonts' own patterns, best match first (a matched pattern would carry the asked-for style
// in place of the font's own).
template <typename Accept>
std::optional<FontFile> FirstSorted(FcConfig* config, FcPattern* pattern, Accept accept) {
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(config, pattern, FcFalse, nullptr, &result);
    if (!sorted) return std::nullopt;
    std::optional<FontFile> found;
    for (int i = 0; i < sorted->nfont && !found; ++i) {
        FcBool scalable = FcFalse;
        if (FcPatternGetBool(sorted->fonts[i], FC_SCALABLE, 0, &scalable) != FcResultMatch || !scalable) continue;
        if (accept(sorted->fonts[i])) found = FileOf(sorted->fonts[i]);
    }
    FcFontSetDestroy(sorted);
    return found;
}

}  // namespace

// Only the installed family of that very name counts: fontconfig's matching always finds some
// font, and its aliases would hand out another family under the asked-for name.
std::optional<FontFile> FontCatalog::FindFamily(std::string_view familyUtf8, FontStyle style) const {
    if (!config_->fc || familyUtf8.empty()) return std::nullopt;
    PatternPtr pattern = StylePattern(familyUtf8, style);
    if (!pattern) return std::nullopt;
    FcDefaultSubstitute(pattern.get());
    // The best match of the family holds the name, if any font does.
    bool first = true;
    return FirstSorted(config_->fc, pattern.get(), [&](FcPattern* font) {
        const bool accept = first && HasFamily(font, familyUtf8);
        first = false;
        return accept;
    });
}

std::optional<FontFile> FontCatalog::FindForCharacter(char32_t character, std::string_view familyUtf8,
                                                      std::string_view language, FontStyle style) const {
    if (!config_->fc) return std::nullopt;
    PatternPtr pattern = StylePattern(familyUtf8, style);
    if (!pattern) return std::nullopt;
    if (!language.empty()) FcPatternAddString(pattern.get(), FC_LANG, AsFc(std::string(language)));
    FcConfigSubstitute(config_->fc, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    return FirstSorted(config_->fc, pattern.get(), [character](FcPattern* font) {
        FcCharSet* characters = nullptr;
        return FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) == FcResultMatch &&
               FcCharSetHasChar(characters, static_cast<FcChar32>(character));
    });
}

}  // namespace backend
