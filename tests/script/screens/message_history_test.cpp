// The history's list: what is kept, in which order, with which voices, and how long texts are cut.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/screens/message_history.h"

namespace {

using kv::HistoryVoice;
using kv::MessageHistory;

// The texts of the history, newest first.
std::vector<std::string> NewestFirst(const MessageHistory& history) {
    std::vector<std::string> texts;
    for (std::int32_t i = 0; i < history.PageCount(); ++i) texts.push_back(history.FromNewest(i)->text);
    return texts;
}

TEST(MessageHistoryTest, KeepsTheLastHundredFinishedPagesNewestAtZero) {
    struct Case {
        const char* name;
        std::vector<std::string> appended;
        std::vector<std::string> expectedNewestFirst;
    };
    std::vector<std::string> many;
    for (int i = 0; i < 150; ++i) many.push_back("page " + std::to_string(i));
    std::vector<std::string> lastHundred;
    for (int i = 149; i >= 50; --i) lastHundred.push_back("page " + std::to_string(i));
    const Case cases[] = {
        {"empty and page-break pages are not pages", {"a", "", "\x03", std::string("\0b", 2), "b\x03"}, {"b\x03", "a"}},
        {"150 pages keep the newest 100", many, lastHundred},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageHistory history;
        for (const std::string& text : c.appended) history.AddHistoryPage(0, text);
        EXPECT_EQ(NewestFirst(history), c.expectedNewestFirst);
        EXPECT_EQ(history.FromNewest(history.PageCount()), nullptr);
        EXPECT_EQ(history.FromNewest(-1), nullptr);
    }
}

TEST(MessageHistoryTest, VoicesWaitForTheirPageAndANinthIsDropped) {
    MessageHistory history;
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(history.AddVoice(i, 2 * i, "V" + std::to_string(i), -100 * i, i), i < 8) << i;
    }
    history.AddHistoryPage(1, "\x03");  // not a page: the voices stay pending
    ASSERT_EQ(history.PendingVoices().size(), 8u);
    history.AddHistoryPage(2, "voiced");
    history.AddVoice(5, 6, "NEXT", 0, 0);
    history.AddHistoryPage(3, "second");

    const kv::HistoryPage* voiced = history.FromNewest(1);
    ASSERT_NE(voiced, nullptr);
    EXPECT_EQ(voiced->window, 2u);
    ASSERT_EQ(voiced->voices.size(), 8u);
    EXPECT_EQ(voiced->voices[7], (HistoryVoice{7, 14, "V7", -700, 7}));
    ASSERT_EQ(history.FromNewest(0)->voices.size(), 1u);
    EXPECT_EQ(history.FromNewest(0)->voices[0].name, "NEXT");
    EXPECT_TRUE(history.PendingVoices().empty());

    history.AddVoice(0, 0, "W", 0, 0);
    history.Clear();
    EXPECT_EQ(history.PageCount(), 0);
    EXPECT_TRUE(history.PendingVoices().empty());
}

TEST(MessageHistoryTest, TextsAreCutToTheirFieldsBetweenCharacters) {
    const std::string kanji = "\x88\x9f";  // one double-byte character
    struct Case {
        const char* name;
        std::string text;
        std::size_t expectedTextBytes;
        std::string voiceName;
        std::size_t expectedNameBytes;
    };
    const Case cases[] = {
        {"fits", std::string(1023, 'a'), 1023, std::string(63, 'v'), 63},
        {"one byte over", std::string(1024, 'a'), 1023, std::string(64, 'v'), 63},
        // A double-byte character across the last byte is left out whole.
        {"pair across the end", std::string(1022, 'a') + kanji, 1022, std::string(62, 'v') + kanji, 62},
        {"pairs only", [&] { std::string s; for (int i = 0; i < 600; ++i) s += kanji; return s; }(), 1022,
         kanji + kanji, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageHistory history;
        history.AddVoice(0, 0, c.voiceName, 0, 0);
        history.AddHistoryPage(0, c.text);
        ASSERT_EQ(history.PageCount(), 1);
        EXPECT_EQ(history.FromNewest(0)->text, c.text.substr(0, c.expectedTextBytes));
        EXPECT_EQ(history.FromNewest(0)->voices.at(0).name, c.voiceName.substr(0, c.expectedNameBytes));
    }
}

}  // namespace
