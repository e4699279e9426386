#pragma once
// The installed fonts, as fontconfig knows them, plus the folders that fontconfig's own
// configuration leaves out (Wine's fonts, where the Tahoma-metric face lies). A private
// configuration: what the program adds here changes no other program's view of the fonts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace backend {

struct FontFile {
    std::string path;
    std::int32_t index = 0;  // face in a collection
    bool bold = false;       // the face itself is bold (no bold needs to be made up)
    bool italic = false;     // the face itself slants

    bool operator==(const FontFile&) const = default;
};

// The weight and slant a font is asked for; weight as in a logical font (400 normal, 700 bold).
struct FontStyle {
    std::int32_t weight = 400;
    bool italic = false;
};

class FontCatalog {
public:
    FontCatalog();
    ~FontCatalog();
    FontCatalog(const FontCatalog&) = delete;
    FontCatalog& operator=(const FontCatalog&) = delete;

    // The face of that family (any of its names, case ignored) closest to the style; nothing
    // when no installed family has that name.
    std::optional<FontFile> FindFamily(std::string_view familyUtf8, FontStyle style) const;
    // The installed face closest to the family, the language and the style among those that
    // hold the character; nothing when none does.
    std::optional<FontFile> FindForCharacter(char32_t character, std::string_view familyUtf8,
                                             std::string_view language, FontStyle style) const;

private:
    struct Config;
    Config* config_;
};

}  // namespace backend
