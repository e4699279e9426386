// The glyph rasteriser on the headless backend's rule-made glyphs: the blend's exact bytes, the
// one-bit layout, placement, clipping, the glyphs with no bitmap, and what reaches the service.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "backend/glyph_service.h"
#include "graphics/font.h"
#include "graphics/surface.h"
#include "tests/graphics/picture_test_util.h"
#include "tests/support/headless_game.h"

namespace {

using backend::GlyphMetrics;
using kv::Font;
using kv::Surface;

constexpr std::uint32_t kTestCode = 0x8ABF;

GlyphMetrics Box(std::uint32_t width, std::uint32_t height, std::int32_t originX = 0, std::int32_t originY = 0) {
    GlyphMetrics metrics;
    metrics.blackBoxWidth = width;
    metrics.blackBoxHeight = height;
    metrics.originX = originX;
    metrics.originY = originY;
    metrics.incrementX = static_cast<std::int32_t>(width);
    return metrics;
}

class FontTest : public kvtest::HeadlessGameTest {
protected:
    backend::HeadlessGlyphs& Glyphs() { return Os().Glyphs(); }

    // A surface of one colour.
    static void Fill(Surface& surface, std::int32_t width, std::int32_t height, std::uint8_t value) {
        ASSERT_TRUE(surface.Create(width, height, 24));
        surface.FillRect24(0, 0, width, height, value, value, value);
    }

    // The rows of the surface with any pixel unlike the background.
    static std::vector<std::int32_t> InkedRows(const Surface& surface, std::uint8_t background) {
        std::vector<std::int32_t> rows;
        for (std::int32_t y = 0; y < surface.Height(); ++y) {
            const std::uint8_t* row = surface.PixelAt(0, y);
            for (std::int32_t i = 0; i < surface.Width() * 3; ++i)
                if (row[i] != background) {
                    rows.push_back(y);
                    break;
                }
        }
        return rows;
    }
};

TEST_F(FontTest, GreyLevelsBlendTowardTheColourWithATruncatingDivision) {
    struct Case {
        std::uint8_t level;
        std::uint8_t before;
        std::uint8_t colour;
        std::uint8_t after;
    } cases[] = {
        {32, 255, 0, 128},   // 255 + (32 x -255) / 64 = 255 - 127 (-127.5 truncated toward zero)
        {32, 0, 255, 127},   // 0 + 127.5, truncated
        {64, 77, 200, 200},  // full level: the colour exactly
        {64, 200, 0, 0},
        {0, 77, 200, 77},    // level 0: untouched
        {1, 0, 255, 3},      // 3.98
        {63, 255, 0, 4},     // 255 - 251.02
        {33, 10, 200, 107},  // 10 + 97.97
        {33, 200, 10, 103},  // 200 - 97.97
        {200, 90, 30, 30},   // a level beyond 64 from a faulty service is full, not a wrap-around
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << int(c.level) << " on " << int(c.before));
        Glyphs().SetGlyph(kTestCode, Box(1, 1), {c.level, 0, 0, 0});
        Surface surface;
        Fill(surface, 3, 3, c.before);
        Font font;
        // Each channel toward its own colour: blue c, green 255 - c, red the colour's mean with before.
        const std::uint8_t red = static_cast<std::uint8_t>((c.colour + c.before) / 2);
        font.colour = kv::TextColour{red, static_cast<std::uint8_t>(255 - c.colour), c.colour};
        ASSERT_TRUE(font.DrawChar(surface, 1, 1, kTestCode));
        const std::uint8_t* pixel = surface.PixelAt(1, 1);
        EXPECT_EQ(pixel[0], c.after);
        const auto expect = [&](int target) {
            const int level = std::min<int>(c.level, 64);
            return static_cast<std::uint8_t>(c.before + level * (target - c.before) / 64);
        };
        EXPECT_EQ(pixel[1], expect(255 - c.colour));
        EXPECT_EQ(pixel[2], expect(red));
        // Nothing around it changed.
        for (std::int32_t y = 0; y < 3; ++y)
            for (std::int32_t x = 0; x < 3; ++x)
                EXPECT_TRUE((x == 1 && y == 1) || surface.PixelAt(x, y)[0] == c.before) << x << "," << y;
    }
}

TEST_F(FontTest, RowsArePaddedTo4BytesAndOneBitRowsReadMostSignificantBitFirst) {
    // Grey, 5 wide: a pitch of 8 bytes; row 1 starts at byte 8.
    std::vector<std::uint8_t> grey(16, 0);
    grey[4] = 64;      // row 0, column 4
    grey[8 + 0] = 64;  // row 1, column 0
    Glyphs().SetGlyph(kTestCode, Box(5, 2, 0, 2), grey);
    Surface surface;
    Fill(surface, 16, 8, 255);
    Font font;
    ASSERT_TRUE(font.DrawChar(surface, 2, 4, kTestCode));
    EXPECT_EQ(font.RowPitch(), 8u);
    EXPECT_EQ(surface.PixelAt(6, 2)[0], 0);
    EXPECT_EQ(surface.PixelAt(2, 3)[0], 0);
    EXPECT_EQ(InkedRows(surface, 255), (std::vector<std::int32_t>{2, 3}));

    // One bit, 9 wide: a pitch of 4 bytes; pixel 8 is the top bit of the row's second byte.
    Glyphs().SetGlyph(kTestCode, Box(9, 2, 0, 2), {0x80, 0x80, 0, 0, /*row 1*/ 0x00, 0x80, 0, 0});
    Fill(surface, 16, 8, 255);
    font.glyphFormat = kv::kGlyphFormatMono;
    font.colour = kv::TextColour{10, 20, 30};
    ASSERT_TRUE(font.DrawChar(surface, 2, 4, kTestCode));
    EXPECT_EQ(font.RowPitch(), 4u);
    for (std::int32_t y = 0; y < 8; ++y)
        for (std::int32_t x = 0; x < 16; ++x) {
            const bool set = (y == 2 && (x == 2 || x == 10)) || (y == 3 && x == 10);
            const std::uint8_t* pixel = surface.PixelAt(x, y);
            EXPECT_EQ(pixel[0], set ? 30 : 255) << x << "," << y;  // blue
            EXPECT_EQ(pixel[2], set ? 10 : 255) << x << "," << y;  // red
        }
}

TEST_F(FontTest, GlyphsSitOnTheBaselineOrOnTheBottomOfTheirBlackBox) {
    struct Case {
        bool byBoxBottom;
        std::int32_t originY;
        std::int32_t firstRow, lastRow, above, below;
    } cases[] = {
        {false, 17, 83, 102, 17, 3},
        {true, 17, 80, 99, 20, 0},  // whatever its origin
        {true, -5, 80, 99, 20, 0},
        {false, 25, 75, 94, 25, -5},  // wholly above the baseline
    };
    std::vector<std::uint8_t> solid(4 * 20, 64);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.byBoxBottom << " origin " << c.originY);
        Glyphs().SetGlyph(kTestCode, Box(3, 20, 2, c.originY), solid);
        Surface surface;
        Fill(surface, 40, 200, 255);
        Font font;
        font.placeByBlackBoxBottom = c.byBoxBottom;
        ASSERT_TRUE(font.DrawChar(surface, 10, 100, kTestCode));
        const std::vector<std::int32_t> rows = InkedRows(surface, 255);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.front(), c.firstRow);
        EXPECT_EQ(rows.back(), c.lastRow);
        EXPECT_EQ(rows.size(), 20u);
        EXPECT_EQ(surface.PixelAt(11, c.firstRow)[0], 255);  // origin x 2: columns 12 to 14
        EXPECT_EQ(surface.PixelAt(12, c.firstRow)[0], 0);
        EXPECT_EQ(surface.PixelAt(15, c.firstRow)[0], 255);
        EXPECT_EQ(font.RowsAbove(), c.above);
        EXPECT_EQ(font.RowsBelow(), c.below);
    }
}

TEST_F(FontTest, GlyphsAreClippedToTheSurfaceWhereverTheyAreDrawn) {
    // The rule-made glyph of the code, drawn whole in the middle of a large surface, is the
    // reference for every part of it that lands on a small one.
    Font font;
    font.logicalFont.height = 16;
    Surface large;
    Fill(large, 100, 100, 200);
    ASSERT_TRUE(font.DrawChar(large, 50, 50, kTestCode));
    const GlyphMetrics metrics = font.Metrics();
    ASSERT_GT(metrics.blackBoxWidth, 0u);
    const std::int32_t positions[] = {INT_MIN, -1000, -8, -3, 0, 2, 5, 9, 1000, INT_MAX};
    for (std::uint32_t format : {kv::kGlyphFormatGrey, kv::kGlyphFormatMono}) {
        font.glyphFormat = format;
        Fill(large, 100, 100, 200);
        ASSERT_TRUE(font.DrawChar(large, 50, 50, kTestCode));
        for (std::int32_t x : positions) {
            for (std::int32_t y : positions) {
                SCOPED_TRACE(testing::Message() << "format " << format << " at " << x << "," << y);
                Surface small;
                Fill(small, 7, 6, 200);
                ASSERT_TRUE(font.DrawChar(small, x, y, kTestCode));
                for (std::int32_t sy = 0; sy < 6; ++sy)
                    for (std::int32_t sx = 0; sx < 7; ++sx) {
                        // Where (sx, sy) lies on the large surface's drawing.
                        const std::int64_t lx = static_cast<std::int64_t>(sx) - x + 50;
                        const std::int64_t ly = static_cast<std::int64_t>(sy) - y + 50;
                        const std::uint8_t expected =
                            lx >= 0 && ly >= 0 && lx < 100 && ly < 100 ? large.PixelAt(int(lx), int(ly))[0] : 200;
                        ASSERT_EQ(small.PixelAt(sx, sy)[0], expected) << sx << "," << sy;
                    }
            }
        }
    }
    // Surfaces that cannot take a glyph are left alone.
    Surface empty;
    EXPECT_TRUE(font.DrawChar(empty, 0, 10, kTestCode));
    Surface deep;
    ASSERT_TRUE(deep.Create(8, 8, 32));
    std::vector<std::uint8_t> before(deep.Bits(), deep.Bits() + deep.ImageSize());
    EXPECT_TRUE(font.DrawChar(deep, 0, 6, kTestCode));
    EXPECT_EQ(std::vector<std::uint8_t>(deep.Bits(), deep.Bits() + deep.ImageSize()), before);
}

TEST_F(FontTest, SpacesAndGlyphsWithoutABitmapDrawNothing) {
    Surface surface;
    Fill(surface, 30, 30, 255);
    Font font;
    ASSERT_TRUE(font.DrawChar(surface, 10, 20, 'A'));
    const GlyphMetrics metrics = font.Metrics();
    const std::int32_t above = font.RowsAbove();
    const std::vector<std::uint8_t> drawn = graphicstest::TopDownBytes(surface);

    // The two spaces: no glyph is asked for; surface, metrics and placement results stay.
    Glyphs().ClearQueries();
    for (std::uint32_t space : {0x20u, 0x8140u}) {
        font.placeByBlackBoxBottom = true;
        EXPECT_TRUE(font.DrawChar(surface, 3, 3, space));
        EXPECT_EQ(font.Metrics().blackBoxHeight, metrics.blackBoxHeight);
        EXPECT_EQ(font.RowsAbove(), above);
    }
    EXPECT_TRUE(Glyphs().Queries().empty());

    // Other blank glyphs come without a bitmap, however their box is described; one whose
    // bitmap is shorter than its box is not read either.
    Glyphs().SetGlyph(0x8141, Box(1, 1, 0, 1), {});
    Glyphs().SetGlyph(0x8142, Box(6, 6, 0, 6), std::vector<std::uint8_t>(20, 0xFF));  // 48 or 24 bytes due
    for (std::uint32_t blank : {0xA1A1u, 0x8141u, 0x8142u}) {
        for (std::uint32_t format : {kv::kGlyphFormatGrey, kv::kGlyphFormatMono}) {
            font.glyphFormat = format;
            EXPECT_TRUE(font.DrawChar(surface, 10, 20, blank)) << blank;
            EXPECT_EQ(graphicstest::TopDownBytes(surface), drawn) << blank;
        }
    }
}

TEST_F(FontTest, AGlyphThatCannotBeMadeDrawsNothingAndKeepsThePreviousGlyph) {
    Surface surface;
    Fill(surface, 30, 30, 255);
    Font font;
    ASSERT_TRUE(font.DrawChar(surface, 10, 20, 'A'));
    const std::vector<std::uint8_t> bits = font.GlyphBits();
    const std::vector<std::uint8_t> drawn = graphicstest::TopDownBytes(surface);
    Glyphs().Refuse(0x8ABF);
    for (std::uint32_t code : {0x8ABFu, 0x05u, 0x10000u}) {
        EXPECT_FALSE(font.DrawChar(surface, 10, 20, code)) << code;
        EXPECT_EQ(font.GlyphBits(), bits);
        EXPECT_EQ(graphicstest::TopDownBytes(surface), drawn);
    }
    // With no glyph service installed, no glyph can be made.
    backend::Install(std::make_unique<backend::Hub>(backend::Services{}));
    EXPECT_FALSE(font.DrawChar(surface, 10, 20, 'A'));
    backend::Uninstall();
    EXPECT_FALSE(font.DrawChar(surface, 10, 20, 'A'));
}

TEST_F(FontTest, TheLogicalFontAndFormatOfEachCharacterReachTheGlyphService) {
    Surface surface;
    Fill(surface, 30, 30, 255);
    Font font;
    font.DrawChar(surface, 5, 20, 'A');
    font.logicalFont.height = -30;
    font.logicalFont.weight = 700;
    font.logicalFont.italic = 1;
    font.logicalFont.SetFaceName("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E and then some more bytes");
    font.DrawChar(surface, 5, 20, 0xFFFFFFB1);  // a single byte, sign-extended
    font.glyphFormat = 5;
    font.DrawChar(surface, 5, 20, 'B');
    font.glyphFormat = 0;
    font.DrawChar(surface, 5, 20, 'C');
    const std::vector<backend::GlyphQuery>& queries = Glyphs().Queries();
    ASSERT_EQ(queries.size(), 4u);
    EXPECT_EQ(queries[0].font, (backend::FontRequest{"Tahoma", 24, 0, false}));
    EXPECT_EQ(queries[0].format, backend::GlyphFormat::Grey);
    const backend::FontRequest changed{"\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E and then some mor", -30, 700,
                                       true};
    EXPECT_EQ(changed.faceName.size(), 31u);
    EXPECT_EQ(queries[1].font, changed);
    EXPECT_EQ(queries[1].code, 0xFFFFFFB1u);
    EXPECT_EQ(queries[2].format, backend::GlyphFormat::Mono);
    EXPECT_EQ(queries[3].format, backend::GlyphFormat::Mono);
}

TEST_F(FontTest, CopySettingsTakesTheSettingsAndPlacementButNotTheGlyph) {
    Surface surface;
    Fill(surface, 40, 40, 255);
    Font source;
    source.logicalFont.height = 16;
    source.logicalFont.underline = 1;
    source.colour = kv::TextColour{1, 2, 3};
    source.glyphFormat = kv::kGlyphFormatMono;
    source.placeByBlackBoxBottom = true;
    ASSERT_TRUE(source.DrawChar(surface, 5, 30, 'A'));
    Font copy;
    ASSERT_TRUE(copy.DrawChar(surface, 5, 30, 0x8ABF));
    const std::vector<std::uint8_t> ownBits = copy.GlyphBits();
    const std::uint32_t ownWidth = copy.Metrics().blackBoxWidth;
    copy.CopySettings(source);
    EXPECT_EQ(copy.logicalFont.height, 16);
    EXPECT_EQ(copy.logicalFont.underline, 1);
    EXPECT_EQ(copy.colour.blue, 3);
    EXPECT_EQ(copy.glyphFormat, kv::kGlyphFormatMono);
    EXPECT_TRUE(copy.placeByBlackBoxBottom);
    EXPECT_EQ(copy.RowsAbove(), source.RowsAbove());
    EXPECT_EQ(copy.RowsBelow(), source.RowsBelow());
    EXPECT_EQ(copy.GlyphBits(), ownBits);
    EXPECT_EQ(copy.Metrics().blackBoxWidth, ownWidth);

    copy.Init();
    EXPECT_EQ(copy.logicalFont.height, 24);
    EXPECT_EQ(copy.logicalFont.faceName, "Tahoma");
    EXPECT_EQ(copy.glyphFormat, kv::kGlyphFormatGrey);
    EXPECT_TRUE(copy.GlyphBits().empty());
}

}  // namespace
