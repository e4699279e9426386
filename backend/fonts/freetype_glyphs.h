#pragma once
// The glyph service of the real programs: FreeType rasterises the glyphs of the fonts that
// fontconfig finds. A logical font's face name is looked up among the installed families; a
// character that face lacks (or a face that is not installed) is drawn from the fallback faces:
// the Tahoma-metric face for Latin text, then the face that serves the build's code page
// (Japanese for Shift-JIS, Chinese for GBK), then any installed face that holds it. Bold is made
// up from the regular face's outlines, and so is italic where the family has no italic face.
//
// Faces, sizes and glyphs are opened once and kept: the engine asks for every character anew.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backend/code_page.h"
#include "backend/glyph_service.h"

namespace backend {

class FreetypeGlyphs final : public GlyphService {
public:
    explicit FreetypeGlyphs(CodePage page);
    ~FreetypeGlyphs() override;

    bool RenderGlyph(const FontRequest& font, std::uint32_t code, GlyphFormat format, GlyphMetrics& metrics,
                     std::vector<std::uint8_t>& bits) override;

    // The file of the face the last glyph came from (empty before the first one); for tests.
    const std::string& LastFontFile() const;

private:
    struct State;
    CodePage page_;
    std::unique_ptr<State> state_;
};

// The family that serves a code page's own characters, and that code page's fontconfig language.
const char* FallbackFamily(CodePage page);
const char* FallbackLanguage(CodePage page);
// The Tahoma-metric family that serves Latin text whatever the code page.
inline constexpr const char* kLatinFamily = "Tahoma";

}  // namespace backend
