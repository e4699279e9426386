#include "base/text_utils.h"

#include <gtest/gtest.h>

#include "tests/support/headless_game.h"

namespace kv {
namespace {

TEST(IsDbcsLeadPairTest, ShiftJisRanges) {
    EXPECT_TRUE(IsDbcsLeadPair("\x81\x40"));
    EXPECT_TRUE(IsDbcsLeadPair("\x9F\xFC"));
    EXPECT_TRUE(IsDbcsLeadPair("\xE0\x7E"));
    EXPECT_TRUE(IsDbcsLeadPair("\xFC\x80"));
    EXPECT_TRUE(IsDbcsLeadPair("\x83\x5C"));
    // Half-width kana and the bytes past 0xFC are not lead bytes.
    EXPECT_FALSE(IsDbcsLeadPair("\xA0\x40"));
    EXPECT_FALSE(IsDbcsLeadPair("\xB1\x40"));
    EXPECT_FALSE(IsDbcsLeadPair("\xDF\x40"));
    EXPECT_FALSE(IsDbcsLeadPair("\xFD\x40"));
    EXPECT_FALSE(IsDbcsLeadPair("\x80\x40"));
    EXPECT_FALSE(IsDbcsLeadPair("a\x40"));
    // Trail bytes: 0x40-0x7E and 0x80-0xFC.
    EXPECT_FALSE(IsDbcsLeadPair("\x82\x3F"));
    EXPECT_FALSE(IsDbcsLeadPair("\x82\x7F"));
    EXPECT_FALSE(IsDbcsLeadPair("\x82\xFD"));
    EXPECT_FALSE(IsDbcsLeadPair("\x82"));  // lead byte before the terminator
    EXPECT_FALSE(IsDbcsLeadPair(""));
}

TEST(CutBetweenCharactersTest, KeepsWholeCharactersWithinTheLimit) {
    using namespace std::string_view_literals;
    struct Case {
        const char* name;
        std::string_view text;
        std::size_t limit;
        std::string_view kept;
    };
    const Case cases[] = {
        {"short text whole", "abc"sv, 5, "abc"sv},
        {"single bytes cut at the limit", "abcdef"sv, 4, "abcd"sv},
        {"a pair across the limit left out", "ab\x82\xA0"sv, 3, "ab"sv},
        {"a pair ending at the limit kept", "a\x82\xA0z"sv, 3, "a\x82\xA0"sv},
        {"a lone lead byte at the end counts as one", "ab\x82"sv, 3, "ab\x82"sv},
        {"the terminator ends the text", "ab\0cdef"sv, 4, "ab"sv},
        {"nothing fits", "\x82\xA0"sv, 1, ""sv},
    };
    for (const Case& c : cases) EXPECT_EQ(CutBetweenCharacters(c.text, c.limit), c.kept) << c.name;
}

using FileQueryTest = kvtest::HeadlessGameTest;

TEST_F(FileQueryTest, SizeAndExistence) {
    WriteFile("five.bin", "12345");
    WriteFile("zero.bin", "");
    MakeFolder("sub");
    std::string folder = EngineFolder();

    EXPECT_EQ(GetFileSizeByName(folder + "five.bin"), 5);
    EXPECT_EQ(GetFileSizeByName(folder + "zero.bin"), 0);
    EXPECT_EQ(GetFileSizeByName(folder + "missing.bin"), -1);
    EXPECT_TRUE(FileExists(folder + "five.bin"));
    EXPECT_TRUE(FileExists(folder + "zero.bin"));
    EXPECT_FALSE(FileExists(folder + "missing.bin"));
    EXPECT_FALSE(FileExists(folder + "sub"));
    EXPECT_FALSE(FileExists(folder + "sub\\"));
}

}  // namespace
}  // namespace kv
