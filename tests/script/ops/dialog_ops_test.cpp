// Operation 77: the script's question box, each kind and answer, the texts it shows, and what it
// does to skip and auto mode.

#include <gtest/gtest.h>

#include <string>

#include "backend/dialog_service.h"
#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "tests/script/ops/line_script_fixture.h"

namespace {

using backend::MessageBoxAnswer;
using backend::MessageBoxButtons;

class DialogOpsTest : public opstest::LineScriptTest {};

TEST_F(DialogOpsTest, EachKindAndAnswerGoesIntoTheVariable) {
    struct Case {
        int kind;
        MessageBoxAnswer answer;
        MessageBoxButtons buttons;
        std::int32_t stored;
    };
    const Case cases[] = {
        {1, MessageBoxAnswer::Yes, MessageBoxButtons::YesNo, 1},
        {1, MessageBoxAnswer::No, MessageBoxButtons::YesNo, 0},
        {0, MessageBoxAnswer::Ok, MessageBoxButtons::Ok, 1},
        {2, MessageBoxAnswer::Ok, MessageBoxButtons::Ok, 1},
        {-1, MessageBoxAnswer::Ok, MessageBoxButtons::Ok, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind);
        Restart();
        // Both modes on when the question comes: it must stop them.
        WriteScript("INIT", "ref aint[2]\npush 5\nassign\ndiscard\ncalld StartSkip\ncalld StartAutoMode\nline 1\n"
                            "calld ScriptMessageBox \"Quit now?\", \"Question\", " +
                                std::to_string(c.kind) + ", 2\nline 2\nl: line 3\njmp l\n");
        Start();
        ASSERT_TRUE(RunToLine(1));
        ASSERT_EQ(kv::g_gameState.skipMode + kv::g_gameState.autoMode, 2);
        Os().Dialogs().QueueMessageBoxAnswer(c.answer);
        ASSERT_TRUE(RunToLine(2));
        ASSERT_EQ(Os().Dialogs().MessageBoxes().size(), 1u);
        const backend::ShownMessageBox& box = Os().Dialogs().MessageBoxes().front();
        EXPECT_EQ(box.text, "Quit now?");
        EXPECT_EQ(box.caption, "Question");
        EXPECT_EQ(box.buttons, c.buttons);
        EXPECT_EQ(box.owner, kv::g_mainWindow->Handle());
        EXPECT_EQ(AInt(2), c.stored);
        EXPECT_EQ(kv::g_gameState.skipMode, 0);
        EXPECT_EQ(kv::g_gameState.autoMode, 0);
        EXPECT_EQ(Os().Dialogs().UnexpectedMessageBoxes(), 0);
    }
}

TEST_F(DialogOpsTest, TextsAreExpandedAndATextThatCannotBeFetchedWholeIsShownEmpty) {
    const std::string tooLong(128, 'x');  // one byte more than fits with the terminator
    const std::string fits(127, 'y');
    struct Case {
        std::string text, caption;  // operands as written in the script
        std::string shownText, shownCaption;
    };
    const Case cases[] = {
        {"astr[0]", "\"Day \\a{1}\"", "Go on, Kaede?", "Day 12"},
        {"17", "\"Cap\"", "", "Cap"},  // a number is no text
        {"\"" + tooLong + "\"", "\"" + fits + "\"", "", fits},
        {"\"t\"", "astr[7]", "t", ""},  // a string variable outside bank A
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.caption);
        Restart();
        WriteScript("INIT", "ref astr[0]\npush \"Go on, Kaede?\"\nassign\ndiscard\n"
                            "ref aint[1]\npush 12\nassign\ndiscard\n"
                            "calld ScriptMessageBox " +
                                c.text + ", " + c.caption + ", 0, 0\nline 1\nl: line 2\njmp l\n");
        Start();
        Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
        ASSERT_TRUE(RunToLine(1));
        ASSERT_FALSE(Os().Dialogs().MessageBoxes().empty());
        const backend::ShownMessageBox& box = Os().Dialogs().MessageBoxes().back();
        EXPECT_EQ(box.text, c.shownText);
        EXPECT_EQ(box.caption, c.shownCaption);
        EXPECT_EQ(AInt(0), 1);
    }
}

TEST_F(DialogOpsTest, AnAnswerVariableOutsideBankAIsReportedAfterTheBoxAndTheGameGoesOn) {
    // The fixture's image has four A integers.
    WriteScript("INIT", "calld ScriptMessageBox \"Sure?\", \"Q\", 1, 4\nline 1\nl: line 2\njmp l\n");
    Start();
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Q|Sure?", "error|Access violation in Scripts"}));
    for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(AInt(i), 0);
    EXPECT_TRUE(WindowAlive());
}

}  // namespace
