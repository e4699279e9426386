// A window that shows a line of text in the build's code page drawn character by character with
// the engine's font from the installed fonts: in the default font, in bold italic, and in one-bit
// glyphs, laid out as message windows lay text out (a full cell for a double-byte character,
// half of one for a single byte, the baseline at the bottom of the cell). Built once for each
// code page; tests/glyphs/check_glyph_scene.sh compares a screenshot of it with the expected
// picture. Prints the screen position of the window's client area, then shows the picture until
// it is ended (SIGTERM).

#include <cstdio>
#include <cstring>

#include "backend/code_page.h"
#include "backend/hub.h"
#include "backend/sdl/sdl_hub.h"
#include "base/build_variant.h"
#include "graphics/font.h"
#include "graphics/surface.h"
#include "tests/glyphs/scene_window.h"

namespace {

constexpr std::int32_t kWidth = 440;
constexpr std::int32_t kHeight = 112;
constexpr std::int32_t kMargin = 8;

// "漢字とかな、ｶﾀｶﾅ Text 123" in Shift-JIS; "汉字和拼音，中文 Text 123" in GBK.
constexpr const char* kJapaneseLine =
    "\x8A\xBF\x8E\x9A\x82\xC6\x82\xA9\x82\xC8\x81\x41\xB6\xC0\xB6\xC5 Text 123";
constexpr const char* kChineseLine = "\xBA\xBA\xD7\xD6\xBA\xCD\xC6\xB4\xD2\xF4\xA3\xAC\xD6\xD0\xCE\xC4 Text 123";

void DrawLine(kv::Font& font, kv::Surface& surface, std::int32_t top, const char* text, backend::CodePage page) {
    const std::int32_t cell = font.logicalFont.height;
    std::int32_t x = kMargin;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length;) {
        if (backend::IsLeadPair(page, bytes + i, length - i)) {
            font.DrawChar(surface, x, top + cell, static_cast<std::uint32_t>(bytes[i] << 8 | bytes[i + 1]));
            x += cell;
            i += 2;
        } else {
            font.DrawChar(surface, x, top + cell, bytes[i]);
            x += cell / 2;
            i += 1;
        }
    }
}

}  // namespace

int main() {
    const backend::CodePage page = kv::ActiveBuildVariant().codePage;
    backend::Install(backend::CreateNativeHub(page));
    const char* line = page == backend::CodePage::Gbk ? kChineseLine : kJapaneseLine;

    kv::Surface picture;
    if (!picture.Create(kWidth, kHeight, 24)) return 1;
    picture.FillRect24(0, 0, kWidth, kHeight, 255, 255, 255);
    kv::Font font;
    DrawLine(font, picture, kMargin, line, page);
    font.logicalFont.weight = 700;
    font.logicalFont.italic = 1;
    font.colour = kv::TextColour{160, 0, 0};
    DrawLine(font, picture, kMargin + 32, line, page);
    font.logicalFont.weight = 0;
    font.logicalFont.italic = 0;
    font.colour = kv::TextColour{0, 0, 128};
    font.glyphFormat = kv::kGlyphFormatMono;
    DrawLine(font, picture, kMargin + 64, line, page);

    const int shown = glyphscene::ShowUntilClosed(picture, "KVGLYPHS", "glyphs", kWidth, kHeight);
    backend::Uninstall();
    return shown;
}
