// The word wrap of windows 0 and 3: where breaks go, the per-page line count and its report, and
// texts that would not fit the buffer.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/screens/line_breaking.h"
#include "tests/support/headless_game.h"

namespace {

class WordWrapTest : public kvtest::HeadlessGameTest {
protected:
    std::string Wrap(const std::string& input) {
        char text[kv::kMessageBufferSize] = {};
        std::memcpy(text, input.data(), std::min(input.size(), sizeof text));
        kv::KinsokuEnglish(text);
        EXPECT_EQ(text[sizeof text - 1], '\0');
        return std::string(text, strnlen(text, sizeof text));
    }
    static std::string Repeat(const std::string& part, int times) {
        std::string all;
        for (int i = 0; i < times; ++i) all += part;
        return all;
    }
};

TEST_F(WordWrapTest, BreaksGoBeforeTheWordThatPassesColumnFifty) {
    const std::string nine = "abcdefghi ";  // 10 columns a word with its space
    struct Case {
        const char* name;
        std::string input, output;
    };
    const Case cases[] = {
        {"short", "Hello there.", "Hello there."},
        // Five words end at column 49; the sixth would end at 59.
        {"sixty columns", Repeat(nine, 6), Repeat(nine, 5) + "\x01" + nine},
        // A word ending exactly at 50 drops the space after it.
        {"exactly fifty", Repeat("abcd ", 9) + "abcde efg", Repeat("abcd ", 9) + "abcde\x01" "efg"},
        {"breaks restart the column", Repeat(nine, 4) + "\x01" + Repeat(nine, 4), Repeat(nine, 4) + "\x01" + Repeat(nine, 4)},
        // A word longer than a line (and than any fixed word buffer) stands on its own line.
        {"long word", "go " + std::string(120, 'x') + " on", "go \x01" + std::string(120, 'x') + " \x01" "on"},
        {"spaces past the line", "a" + std::string(60, ' ') + "b", "a" + std::string(50, ' ') + "\x01" + std::string(10, ' ') + "b"},
        {"codes pass through", "a\x02\x03" "b", "a\x02\x03" "b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Wrap(c.input), c.output) << c.name;
    }
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(WordWrapTest, PagesOverFiveBreaksAreReportedAndAPageBreakResetsTheCount) {
    const std::string line = std::string(40, 'x') + "\x01";
    EXPECT_EQ(Wrap(Repeat(line, 5) + "\x03" + Repeat(line, 5)), Repeat(line, 5) + "\x03" + Repeat(line, 5));
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(Wrap(Repeat(line, 6)), Repeat(line, 6));  // reported, and wrapped all the same
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|Page Over!"});
}

TEST_F(WordWrapTest, AResultThatWouldNotFitLeavesTheTextAsItWas) {
    // 1023 bytes of 31-byte words, of which every second needs a break before it.
    const std::string input = Repeat(std::string(30, 'w') + " ", 33);
    EXPECT_EQ(Wrap(input), input);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts().back(), "error|MsgBufferOver in KinsokuEnglish()");
    // 1023 bytes that need no break fit with their terminator.
    const std::string full = Repeat(std::string(49, 'w') + "\x01", 20) + std::string(23, 'w');
    EXPECT_EQ(Wrap(full), full);
}

}  // namespace
