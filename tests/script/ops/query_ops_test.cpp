// Random numbers, the local time and the voiced window into A integers.

#include <gtest/gtest.h>

#include <vector>

#include "backend/clock_service.h"
#include "app/globals/globals.h"
#include "base/runtime_random.h"
#include "tests/script/ops/line_script_fixture.h"

namespace {

class QueryOpsTest : public opstest::LineScriptTest {
public:
    std::vector<std::int32_t> AInts(std::uint32_t count) {
        std::vector<std::int32_t> values;
        for (std::uint32_t i = 0; i < count; ++i) values.push_back(AInt(i));
        return values;
    }
};

TEST_F(QueryOpsTest, RandomDrawsOnlyForARangeOfAtLeastOne) {
    UseVariables(8, 4);
    WriteScript("INIT",
                "ref aint[3]\npush 9\nassign\ndiscard\nref aint[4]\npush 9\nassign\ndiscard\nline 1\n"
                "calld Random 100, 0\n"     // 41
                "calld Random 1000, 1\n"    // 18467
                "calld Random 1, 2\n"       // 6334 drawn, 0 stored
                "calld Random 0, 3\n"       // nothing drawn
                "calld Random -5, 4\n"      // nothing drawn
                "calld Random 100000, 5\n"  // 26500: the fourth number of the sequence
                "line 2\nl: line 3\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));
    kv::SeedRandom(1);  // the sequence 41, 18467, 6334, 26500, ...
    ASSERT_TRUE(RunToLine(2));
    EXPECT_EQ(AInts(6), (std::vector<std::int32_t>{41, 467, 0, 0, 0, 26500}));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(QueryOpsTest, ARandomNumberForAVariableOutsideBankAIsReportedAndNotStored) {
    WriteScript("INIT", "calld Random 10, 4\ncalld Random 10, -1\nline 1\nl: line 2\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(2, "error|Access violation in Scripts"));
    EXPECT_EQ(AInts(4), std::vector<std::int32_t>(4, 0));
}

TEST_F(QueryOpsTest, TheLocalTimeGoesIntoTheVariablesTheScriptNames) {
    UseVariables(8, 4);
    // Script order: month, day, day of week, hour, minute, second.
    WriteScript("INIT",
                "calld GetLocalTimeToVariables 0, 1, 2, 3, 4, 5\nline 1\n"
                "calld GetLocalTimeToVariables 5, 4, 3, 2, 1, 0\nline 2\n"
                "calld GetLocalTimeToVariables -1, -1, -1, -1, -1, -1\nline 3\n"
                "calld GetLocalTimeToVariables 6, 6, 6, 6, 6, 6\nline 4\n"
                "calld GetLocalTimeToVariables -1, -1, 7, -1, -1, 8\nline 5\n"
                "l: line 6\njmp l\n");
    Start();
    Os().Clock().AdvanceClock(((13u * 60u + 45u) * 60u + 30u) * 1000u);  // the test clock's day, 13:45:30
    const backend::LocalTime now = Os().Clock().Now();
    ASSERT_EQ(now.hour, 13);
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(AInts(6), (std::vector<std::int32_t>{now.month, now.day, now.dayOfWeek, 13, 45, 30}));
    ASSERT_TRUE(RunToLine(2));
    EXPECT_EQ(AInts(6), (std::vector<std::int32_t>{30, 45, 13, now.dayOfWeek, now.day, now.month}));
    ASSERT_TRUE(RunToLine(3));
    EXPECT_EQ(AInts(6), (std::vector<std::int32_t>{30, 45, 13, now.dayOfWeek, now.day, now.month}));
    ASSERT_TRUE(RunToLine(4));
    EXPECT_EQ(AInt(6), 30);  // stored month first, second last
    EXPECT_TRUE(BoxTexts().empty());
    ASSERT_TRUE(RunToLine(5));
    EXPECT_EQ(AInt(7), now.dayOfWeek);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|Access violation in Scripts"});  // index 8
}

TEST_F(QueryOpsTest, TheVoicedWindowGoesIntoAVariable) {
    WriteScript("INIT",
                "calld GetVoiceWindowToVariable 1\nline 1\ncalld GetVoiceWindowToVariable 2\nline 2\n"
                "calld GetVoiceWindowToVariable 4\nline 3\nl: line 4\njmp l\n");
    Start();
    kv::g_gameState.voicedWindow = 3;
    ASSERT_TRUE(RunToLine(1));
    kv::g_gameState.voicedWindow = -1;
    ASSERT_TRUE(RunToLine(2));
    EXPECT_EQ(AInts(4), (std::vector<std::int32_t>{0, 3, -1, 0}));
    ASSERT_TRUE(BoxTexts().empty());
    ASSERT_TRUE(RunToLine(3));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|Access violation in Scripts"});
}

}  // namespace
