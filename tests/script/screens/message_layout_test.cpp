// A message window's layout on the headless backend's rule-made glyphs (24 px): advances, line
// and page ends, hanging punctuation, the bracket indent, control codes, the code page's
// double-byte pairs, text limits, and that every blend stays inside its surfaces.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/globals/globals.h"
#include "base/build_variant.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "tests/support/headless_game.h"

namespace {

using kv::MessageWindow;
using kv::PixelRect;
namespace code = kv::message_code;

constexpr PixelRect kTextArea{100, 400, 200, 100};

class MessageLayoutTest : public kvtest::HeadlessGameTest {
protected:
    void SetUp() override {
        HeadlessGameTest::SetUp();
        ASSERT_TRUE(screen_.Create(800, 600, 24));
        screen_.FillRect24(0, 0, 800, 600, 40, 80, 120);
    }

    // A window over the screen with its surfaces built, its cursor at the text origin.
    void Prepare(MessageWindow& window, const PixelRect& windowArea = kTextArea, const PixelRect& text = kTextArea) {
        window.screen = &screen_;
        window.windowRect = windowArea;
        window.textRect = text;
        window.cursorX = text.x;
        window.cursorY = text.y;
        window.BuildSurfaces();
    }

    // Steps the message to its end as the message flow does, a full line or page turning one;
    // the results, "L" for a line turned and "P" for a page.
    static std::vector<std::string> Lay(MessageWindow& window, const std::string& message, int limit = 2000) {
        EXPECT_TRUE(window.PutText(message));
        std::vector<std::string> results;
        for (int i = 0; i < limit; ++i) {
            const std::int32_t r = window.Step();
            if (r == code::kTextEnd) return results;
            results.push_back(std::to_string(r));
            if (r == code::kLineBreak) {
                if (window.NewLine() != 0) results.push_back("P");
            } else if (r == code::kPageBreak) {
                window.NewPage();
            }
        }
        ADD_FAILURE() << "the layout never ended";
        return results;
    }

    kv::Surface screen_;
};

using Results = std::vector<std::string>;

TEST_F(MessageLayoutTest, AdvancesBreaksHangingAndIndent) {
    struct Case {
        const char* name;
        std::string message;
        PixelRect text;
        bool hanging;
        Results results;
        std::int32_t cursorX, cursorY;  // relative to the text origin
        std::int32_t depth;
    };
    const Case cases[] = {
        // Shadow (1, 1): a single byte advances 12 + 1, a double byte 24 + 1.
        {"single bytes", "AB", {100, 400, 200, 100}, true, {"0", "0"}, 26, 0, 0},
        {"double byte", "\x88\x9f", {100, 400, 200, 100}, true, {"0"}, 25, 0, 0},
        // Width 50: three letters end at 39; a fourth would end at 52.
        {"line full", "ABCD", {100, 400, 50, 100}, true, {"0", "0", "0", "1", "0"}, 13, 25, 0},
        {"hanging dot", "ABC.", {100, 400, 50, 100}, true, {"0", "0", "0", "0"}, 52, 0, 0},
        {"hanging off", "ABC.", {100, 400, 50, 100}, false, {"0", "0", "0", "1", "0"}, 13, 25, 0},
        {"hanging ideographic full stop", "\x88\x9f\x81\x42", {100, 400, 30, 100}, true, {"0", "0"}, 50, 0, 0},
        // Height 30: no second line (0 + 2 x 25 > 30): the page is full.
        {"page full", "ABCD", {100, 400, 50, 30}, true, {"0", "0", "0", "3", "0"}, 13, 0, 0},
        {"line code", "A\x01" "B", {100, 400, 200, 100}, true, {"0", "1", "0"}, 13, 25, 0},
        // A line code on the last line starts a new page.
        {"line code overflows", "A\x01" "B", {100, 400, 200, 30}, true, {"0", "1", "P", "0"}, 13, 0, 0},
        // Inside 「 every new line starts one full-width advance in; 」 ends it.
        {"bracket indent", "\x81\x75" "ABCDEF", {100, 400, 60, 100}, true,
         {"0", "0", "0", "1", "0", "0", "1", "0", "0"}, 25 + 26, 50, 1},
        {"bracket closed", "\x81\x75" "A\x81\x76" "BCDEF", {100, 400, 70, 100}, true,
         {"0", "0", "0", "1", "0", "0", "0", "0", "0"}, 65, 25, 0},
        {"closing alone", "A)", {100, 400, 200, 100}, true, {"0", "0"}, 26, 0, 0},
        {"other codes are returned", "A\x05\x1f" "B", {100, 400, 200, 100}, true, {"0", "5", "31", "0"}, 26, 0, 0},
        // Narrower than one character: each still stands at the start of its own line or page.
        {"too narrow", "AB", {100, 400, 5, 100}, true, {"0", "1", "0"}, 13, 25, 0},
        {"too small", "AB", {100, 400, 5, 5}, true, {"0", "3", "0"}, 13, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageWindow window;
        Prepare(window, c.text, c.text);
        window.hanging = c.hanging;
        EXPECT_EQ(Lay(window, c.message), c.results);
        EXPECT_EQ(window.cursorX - c.text.x, c.cursorX);
        EXPECT_EQ(window.cursorY - c.text.y, c.cursorY);
        EXPECT_EQ(window.bracketDepth, c.depth);
    }
}

TEST_F(MessageLayoutTest, SpacingShadowAndPageCounts) {
    MessageWindow window;
    Prepare(window);
    window.shadow = false;
    window.charSpacing = 3;
    window.lineSpacing = 4;
    EXPECT_EQ(Lay(window, "A\x01" "B"), (Results{"0", "1", "0"}));
    EXPECT_EQ(window.cursorX - kTextArea.x, 15);
    EXPECT_EQ(window.cursorY - kTextArea.y, 28);
    EXPECT_EQ(window.charsOnPage, 2);
    // The page-break code clears the count; the page text keeps every byte since the page began.
    EXPECT_EQ(Lay(window, "C\x03" "D"), (Results{"0", "3", "0"}));
    EXPECT_EQ(window.charsOnPage, 1);
    EXPECT_EQ(window.pageText, "D");
    window.NewPage();
    EXPECT_FALSE(window.Shown());
}

TEST_F(MessageLayoutTest, TheBuildsCodePageDecidesDoubleBytePairs) {
    const bool gbk = kv::ActiveBuildVariant().codePage == backend::CodePage::Gbk;
    struct Case {
        std::string message;
        std::int32_t sjisAdvance, gbkAdvance;
    };
    const Case cases[] = {
        {"\x81\x40", 25, 25},
        {"\xE0\x40", 25, 25},
        {"\xA1\xA1", 26, 25},  // half-width katakana in Shift-JIS, one character in GBK
        {"\xFD\x40", 26, 25},  // no lead byte in Shift-JIS
        {"\x81", 13, 13},      // a lead byte with nothing after it stands alone
    };
    for (const Case& c : cases) {
        MessageWindow window;
        Prepare(window);
        Lay(window, c.message);
        EXPECT_EQ(window.cursorX - kTextArea.x, gbk ? c.gbkAdvance : c.sjisAdvance) << c.message;
    }
}

TEST_F(MessageLayoutTest, TextLimitsAndAWindowWithNothingToLayOut) {
    MessageWindow window;
    // Before any text, and without surfaces, stepping does nothing harmful.
    EXPECT_EQ(window.Step(), code::kTextEnd);
    EXPECT_EQ(window.BuildSurfaces(), 1);
    const std::string longest(1023, 'A');
    window.textRect = {0, 0, 800, 60000};
    EXPECT_FALSE(window.PutText(longest + "A"));
    EXPECT_EQ(window.readIndex, -1);
    ASSERT_TRUE(window.PutText(longest));
    std::int32_t steps = 0;
    while (window.Step() != code::kTextEnd && steps < 5000) {
        if (window.readIndex > 0 && window.cursorX > 700) window.NewLine();
        ++steps;
    }
    EXPECT_EQ(window.readIndex, 1023);
    EXPECT_EQ(window.pageText.size(), 1023u);
}

TEST_F(MessageLayoutTest, BlendsStayInsideEverySurface) {
    struct Case {
        PixelRect window;
        std::int32_t shadowX, shadowY;
    };
    // Under the sanitizers these would be caught reading or writing outside a buffer.
    const Case cases[] = {
        {{-50, -30, 120, 80}, 1, 1},
        {{760, 570, 120, 80}, 5, 5},
        {{0, 0, 800, 600}, -3, -3},
        {{790, 590, 10, 10}, 40, 40},
    };
    for (const Case& c : cases) {
        MessageWindow window;
        Prepare(window, c.window, c.window);
        window.shadowOffsetX = c.shadowX;
        window.shadowOffsetY = c.shadowY;
        Lay(window, "AB\x81\x42gy()WW");
        window.Redraw(800, 600);
        window.RedrawRect(c.window.x - 5, c.window.y - 5, c.window.width + 10, c.window.height + 10);
    }
    // The glyph box reaches above the line (the top row of the bottom-up surface) and past the
    // left and right edges of the window.
    MessageWindow window;
    Prepare(window, {100, 100, 30, 20}, {90, 95, 60, 40});
    Lay(window, "\x88\x9f\x88\x9f\x81\x42");
}

TEST_F(MessageLayoutTest, AGlyphThatCannotBeMadeBlendsNothing) {
    MessageWindow window;
    Prepare(window);
    Os().Glyphs().Refuse('B' << 0);
    const std::vector<std::uint8_t> before(screen_.Bits(), screen_.Bits() + screen_.ImageSize());
    Lay(window, "AB");
    // A is blended where it stands; where B would stand the screen is as it was.
    const std::int32_t bX = kTextArea.x + 13;
    for (std::int32_t y = kTextArea.y; y < kTextArea.y + 30; ++y) {
        for (std::int32_t x = bX + 3; x < bX + 13; ++x) {  // A (and its shadow) reaches 3 px in
            const std::uint8_t* now = screen_.PixelAt(x, y);
            const std::size_t offset = static_cast<std::size_t>(now - screen_.Bits());
            ASSERT_EQ(now[0], before[offset]) << x << "," << y;
        }
    }
    EXPECT_EQ(window.cursorX - kTextArea.x, 26);  // the cursor moves on all the same
}

TEST_F(MessageLayoutTest, AReplayedPageMatchesTheLaidOutOne) {
    kv::AllocMessageWindows(1);
    MessageWindow& window = *kv::MessageWindowAt(0);
    Prepare(window, {90, 390, 220, 120}, kTextArea);
    window.bracketIndent = true;
    Lay(window, "\x81\x75" "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x81\x76" "abc\x01" "def");
    const std::vector<std::uint8_t> laidOut(window.maskSurface->Bits(),
                                            window.maskSurface->Bits() + window.maskSurface->ImageSize());
    window.maskSurface->FillRect24(0, 0, 220, 120, 255, 255, 255);
    kv::ReplayMessageWindowPage(0);
    EXPECT_EQ(std::vector<std::uint8_t>(window.maskSurface->Bits(),
                                        window.maskSurface->Bits() + window.maskSurface->ImageSize()),
              laidOut);
    kv::FreeMessageWindows();
    EXPECT_EQ(kv::MessageWindowAt(0), nullptr);
}

}  // namespace
