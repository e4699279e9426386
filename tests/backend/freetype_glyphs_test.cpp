// The glyph service of the real programs on the fonts the setup script installs: which face draws
// a character, the height mapping, the bitmap layout, and that kept glyphs are the ones drawn anew.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "backend/code_page.h"
#include "backend/fonts/font_size.h"
#include "backend/fonts/freetype_glyphs.h"

namespace {

using backend::CodePage;
using backend::FontRequest;
using backend::GlyphFormat;
using backend::GlyphMetrics;

constexpr const char* kTahoma = "/usr/share/wine/fonts/tahoma.ttf";
constexpr const char* kVlGothic = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf";
constexpr const char* kVlPGothic = "/usr/share/fonts/truetype/vlgothic/VL-PGothic-Regular.ttf";
constexpr const char* kMicroHei = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

FontRequest Font(std::string face, std::int32_t height = 24, std::int32_t weight = 0, bool italic = false) {
    return FontRequest{std::move(face), height, weight, italic};
}

struct Glyph {
    bool drawn = false;
    GlyphMetrics metrics;
    std::vector<std::uint8_t> bits;
    std::string file;

    bool operator==(const Glyph& other) const {
        return drawn == other.drawn && bits == other.bits && metrics.blackBoxWidth == other.metrics.blackBoxWidth &&
               metrics.blackBoxHeight == other.metrics.blackBoxHeight && metrics.originX == other.metrics.originX &&
               metrics.originY == other.metrics.originY && metrics.incrementX == other.metrics.incrementX &&
               metrics.incrementY == other.metrics.incrementY;
    }
};

Glyph Render(backend::FreetypeGlyphs& glyphs, const FontRequest& font, std::uint32_t code,
             GlyphFormat format = GlyphFormat::Grey) {
    Glyph glyph;
    glyph.drawn = glyphs.RenderGlyph(font, code, format, glyph.metrics, glyph.bits);
    if (glyph.drawn) glyph.file = std::filesystem::canonical(glyphs.LastFontFile()).string();
    return glyph;
}

std::string Canonical(const char* path) { return std::filesystem::canonical(path).string(); }

TEST(FreetypeGlyphsTest, EachCharacterComesFromTheNamedFaceOrTheFallbackOfItsScript) {
    struct Case {
        CodePage page;
        FontRequest font;
        std::uint32_t code;
        const char* file;
    } cases[] = {
        {CodePage::ShiftJis, Font("Tahoma"), 'A', kTahoma},
        {CodePage::ShiftJis, Font("Tahoma", 24, 700), 'A', kTahoma},  // made bold from the regular outlines
        {CodePage::ShiftJis, Font("Tahoma"), 0x8ABF, kVlGothic},      // a kanji: Tahoma has none
        {CodePage::ShiftJis, Font("Tahoma"), 0xB1, kVlGothic},        // a half-width katakana
        {CodePage::ShiftJis, Font("Tahoma"), 0xFFFFFFB1, kVlGothic},  // the same byte sign-extended
        {CodePage::ShiftJis, Font("VL PGothic"), 'A', kVlPGothic},
        {CodePage::ShiftJis, Font("vl pgothic"), 0x8ABF, kVlPGothic},  // names match whatever their case
        // "ＭＳ ゴシック" is not installed: Latin from the Tahoma-metric face, the rest from the fallback.
        {CodePage::ShiftJis, Font("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"), 'A', kTahoma},
        {CodePage::ShiftJis, Font("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"), 0x8141, kVlGothic},
        {CodePage::ShiftJis, Font(""), 'A', kTahoma},
        {CodePage::Gbk, Font("Tahoma"), 'A', kTahoma},
        {CodePage::Gbk, Font("Tahoma"), 0xBABA, kMicroHei},  // a hanzi
        {CodePage::Gbk, Font("Tahoma"), 0xA1A2, kMicroHei},
    };
    backend::FreetypeGlyphs sjis(CodePage::ShiftJis);
    backend::FreetypeGlyphs gbk(CodePage::Gbk);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font.faceName + " " + std::to_string(c.code));
        const Glyph glyph = Render(c.page == CodePage::Gbk ? gbk : sjis, c.font, c.code);
        ASSERT_TRUE(glyph.drawn);
        EXPECT_EQ(glyph.file, Canonical(c.file));
    }
}

TEST(FreetypeGlyphsTest, AnyInstalledFaceServesWhatTheFallbacksLack) {
    backend::FreetypeGlyphs glyphs(CodePage::Gbk);
    const Glyph glyph = Render(glyphs, Font("Tahoma"), 0xA8BB);  // U+0251, in neither fallback face
    ASSERT_TRUE(glyph.drawn);
    EXPECT_NE(glyph.file, Canonical(kTahoma));
    EXPECT_NE(glyph.file, Canonical(kMicroHei));
    EXPECT_GT(glyph.metrics.blackBoxHeight, 0u);
}

TEST(FreetypeGlyphsTest, CodesThatAreNoCharacterAreRefusedAndLeaveTheOutputsAlone) {
    backend::FreetypeGlyphs glyphs(CodePage::ShiftJis);
    for (std::uint32_t code : {0x81u, 0x8100u, 0x4142u, 0x10000u, 0xFFFF8ABFu, 0x7FFFFFFFu}) {
        SCOPED_TRACE(code);
        GlyphMetrics metrics;
        metrics.blackBoxWidth = 77;
        std::vector<std::uint8_t> bits{1, 2, 3};
        EXPECT_FALSE(glyphs.RenderGlyph(Font("Tahoma"), code, GlyphFormat::Grey, metrics, bits));
        EXPECT_EQ(metrics.blackBoxWidth, 77u);
        EXPECT_EQ(bits, (std::vector<std::uint8_t>{1, 2, 3}));
    }
    // Heights beyond any screen are refused rather than rasterised.
    GlyphMetrics metrics;
    std::vector<std::uint8_t> bits;
    for (std::int32_t height : {INT_MIN, -100000, 100000, INT_MAX})
        EXPECT_FALSE(glyphs.RenderGlyph(Font("Tahoma", height), 'A', GlyphFormat::Grey, metrics, bits)) << height;
}

TEST(FreetypeGlyphsTest, BitmapsHaveLevelsUpTo64AndRowsPaddedTo4Bytes) {
    backend::FreetypeGlyphs sjis(CodePage::ShiftJis);
    backend::FreetypeGlyphs gbk(CodePage::Gbk);
    struct Case {
        backend::FreetypeGlyphs& glyphs;
        std::uint32_t code;
    } cases[] = {{sjis, 'H'}, {sjis, 'g'}, {sjis, 'i'}, {sjis, 0x8ABF}, {sjis, 0x82A0}, {gbk, 0xBABA}, {gbk, 'W'}};
    for (const Case& c : cases) {
        for (std::int32_t height : {-9, 12, 24, 48}) {
            for (GlyphFormat format : {GlyphFormat::Grey, GlyphFormat::Mono}) {
                SCOPED_TRACE(std::to_string(c.code) + " height " + std::to_string(height) +
                             (format == GlyphFormat::Mono ? " mono" : " grey"));
                const Glyph glyph = Render(c.glyphs, Font("Tahoma", height), c.code, format);
                ASSERT_TRUE(glyph.drawn);
                const GlyphMetrics& m = glyph.metrics;
                ASSERT_GT(m.blackBoxWidth, 0u);
                ASSERT_GT(m.blackBoxHeight, 0u);
                const std::uint32_t pitch = backend::GlyphRowPitch(format, m.blackBoxWidth);
                EXPECT_EQ(pitch % 4, 0u);
                ASSERT_EQ(glyph.bits.size(), static_cast<std::size_t>(pitch) * m.blackBoxHeight);
                EXPECT_GT(m.incrementX, 0);
                EXPECT_EQ(m.incrementY, 0);
                EXPECT_LE(static_cast<std::int32_t>(m.blackBoxHeight), std::abs(height) * 2);
                EXPECT_GT(m.originY, 0);  // every one of these characters has ink above the baseline
                bool anyInk = false;
                for (std::uint32_t r = 0; r < m.blackBoxHeight; ++r) {
                    const std::uint8_t* row = glyph.bits.data() + static_cast<std::size_t>(r) * pitch;
                    if (format == GlyphFormat::Grey) {
                        for (std::uint32_t k = 0; k < pitch; ++k) {
                            EXPECT_LE(row[k], backend::kGlyphFullLevel);
                            if (k >= m.blackBoxWidth) {
                                EXPECT_EQ(row[k], 0);
                            }
                            anyInk |= row[k] != 0;
                        }
                    } else {
                        for (std::uint32_t k = m.blackBoxWidth; k < pitch * 8; ++k)
                            EXPECT_EQ(row[k / 8] & (0x80 >> (k % 8)), 0) << "padding bit " << k;
                        anyInk |= std::any_of(row, row + pitch, [](std::uint8_t b) { return b != 0; });
                    }
                }
                EXPECT_TRUE(anyInk);
                if (format == GlyphFormat::Grey && c.code == 'H' && height >= 24) {  // the stems are solid
                    EXPECT_NE(std::find(glyph.bits.begin(), glyph.bits.end(), backend::kGlyphFullLevel),
                              glyph.bits.end());
                }
            }
        }
    }
}

TEST(FreetypeGlyphsTest, SpacesHaveNoInkAndNoBitmapButAnIncrement) {
    backend::FreetypeGlyphs sjis(CodePage::ShiftJis);
    backend::FreetypeGlyphs gbk(CodePage::Gbk);
    for (auto [glyphs, code] : {std::pair{&sjis, 0x20u}, {&sjis, 0x8140u}, {&gbk, 0xA1A1u}}) {
        for (GlyphFormat format : {GlyphFormat::Grey, GlyphFormat::Mono}) {
            const Glyph glyph = Render(*glyphs, Font("Tahoma"), code, format);
            ASSERT_TRUE(glyph.drawn) << code;
            EXPECT_EQ(glyph.metrics.blackBoxWidth, 0u);
            EXPECT_EQ(glyph.metrics.blackBoxHeight, 0u);
            EXPECT_TRUE(glyph.bits.empty());
            EXPECT_GT(glyph.metrics.incrementX, 0);
        }
    }
}

TEST(PixelsPerEmTest, PositiveHeightsAreCellsNegativeOnesEms) {
    struct Case {
        std::int32_t height, unitsPerEm, cellUnits;
        std::optional<std::int32_t> pixels;
    } cases[] = {
        {24, 2048, 2472, 20},  // Tahoma: 24 * 2048 / 2472 = 19.88
        {24, 1000, 1270, 19},  // VL Gothic: 18.9
        {-24, 2048, 2472, 24}, {-1, 2048, 2472, 1},
        {0, 2048, 2472, 13},   // the default cell of 16: 13.25
        {1, 1000, 1270, 1},    // never below one pixel
        {2048, 1000, 1000, 2048}, {-2048, 1000, 1270, 2048},
        {2049, 1000, 1000, std::nullopt}, {-2049, 1000, 1000, std::nullopt},
        {INT_MIN, 1000, 1000, std::nullopt}, {INT_MAX, 1000, 1000, std::nullopt},
        {24, 0, 1270, std::nullopt}, {24, 1000, 0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(backend::PixelsPerEm(c.height, c.unitsPerEm, c.cellUnits), c.pixels) << c.height << " " << c.cellUnits;
}

TEST(FreetypeGlyphsTest, APositiveHeightIsTheCellOfTheFaceThatDrawsTheCharacter) {
    backend::FreetypeGlyphs glyphs(CodePage::ShiftJis);
    // Tahoma's cell is 2472 units for an em of 2048, VL Gothic's 1270 for 1000.
    EXPECT_EQ(Render(glyphs, Font("Tahoma", 24), 'H'), Render(glyphs, Font("Tahoma", -20), 'H'));
    EXPECT_EQ(Render(glyphs, Font("Tahoma", 24), 0x8ABF), Render(glyphs, Font("Tahoma", -19), 0x8ABF));
    EXPECT_NE(Render(glyphs, Font("Tahoma", 24), 'H'), Render(glyphs, Font("Tahoma", -24), 'H'));
}

int Ink(const Glyph& glyph) {
    int sum = 0;
    for (std::uint8_t level : glyph.bits) sum += level;
    return sum;
}

TEST(FreetypeGlyphsTest, BoldAndItalicWidenTheInkWhetherTheFaceHasThemOrNot) {
    backend::FreetypeGlyphs glyphs(CodePage::ShiftJis);
    for (std::uint32_t code : {std::uint32_t{'l'}, 0x8ABFu}) {
        SCOPED_TRACE(code);
        const Glyph plain = Render(glyphs, Font("Tahoma"), code);
        const Glyph bold = Render(glyphs, Font("Tahoma", 24, 700), code);
        const Glyph italic = Render(glyphs, Font("Tahoma", 24, 0, true), code);
        EXPECT_GT(Ink(bold), Ink(plain));
        EXPECT_GT(italic.metrics.blackBoxWidth, plain.metrics.blackBoxWidth);
        EXPECT_EQ(bold.file, plain.file);
        EXPECT_EQ(italic.file, plain.file);
    }
}

TEST(FreetypeGlyphsTest, KeptGlyphsAreTheGlyphsDrawnAnew) {
    backend::FreetypeGlyphs kept(CodePage::Gbk);
    const Glyph first = Render(kept, Font("Tahoma"), 0xBABA);
    const Glyph firstMono = Render(kept, Font("Tahoma"), 0xBABA, GlyphFormat::Mono);
    // Enough other glyphs, in another font, to push out everything kept.
    std::size_t drawn = 0;
    for (std::int32_t height : {7, 8, 9})
        for (std::uint32_t lead = 0xB0; lead <= 0xF7; ++lead)
            for (std::uint32_t trail = 0xA1; trail <= 0xFE; ++trail) {
                GlyphMetrics metrics;
                std::vector<std::uint8_t> bits;
                drawn += kept.RenderGlyph(Font("Tahoma", height), lead << 8 | trail, GlyphFormat::Mono, metrics, bits);
            }
    EXPECT_GT(drawn, 17000u);
    for (int size = 1; size <= 70; ++size) Render(kept, Font("Tahoma", size), 'A');  // and every kept font
    backend::FreetypeGlyphs fresh(CodePage::Gbk);
    EXPECT_EQ(Render(fresh, Font("Tahoma"), 0xBABA), first);
    EXPECT_EQ(Render(kept, Font("Tahoma"), 0xBABA), first);
    EXPECT_EQ(Render(kept, Font("Tahoma"), 0xBABA, GlyphFormat::Mono), firstMono);
    EXPECT_EQ(Render(kept, Font("Tahoma"), 0xBABA), Render(kept, Font("Tahoma"), 0xBABA));
}

}  // namespace
