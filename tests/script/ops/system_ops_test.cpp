// Operations 0 to 12: script calls, returns and replacement frame by frame, their load failures,
// the caption operation, and operation 126 that makes the input object.

#include <gtest/gtest.h>

#include "backend/clock_service.h"
#include "backend/dialog_service.h"
#include "backend/event_queue.h"
#include "backend/window_message.h"
#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "script/ops/input_ops.h"
#include "script/ops/op_state.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/script_frame_fixture.h"

namespace {

using opstest::FrameTrace;

class SystemOpsTest : public opstest::ScriptFrameTest {
public:
    // A game whose INIT makes the input object, with another program in front from its first
    // frame on.
    backend::WindowId StartWithTheWindowBehind() {
        WriteScript("INIT", "calld CreateDirectInputManager\nl: line 1\njmp l\n");
        Start();
        Frame();
        const backend::WindowId window = kv::g_mainWindow->Handle();
        Os().Events().QueueSystemMessage({window, backend::MessageKind::ActivateApp, 0, 0, 0});
        Pump();
        return window;
    }
};

TEST_F(SystemOpsTest, ACallComesBackAfterItselfAndLoadSnxReplacesTheScript) {
    WriteScript("INIT", "call CallSNX \"SUB\"\ndiscard\nline 7\ncalld LoadSNX \"NEXT\"\nend\n");
    WriteScript("SUB", "line 2\nret\n");
    WriteScript("NEXT", "line 4\nend\n");
    Start();
    const std::vector<FrameTrace> expected = {
        {11, 0, 1, 1, -1, -1, "INIT"},  // the name on the stack
        {0, 0, 0, 1, 0, -1, "SUB"},     // called: the call's result waits for the caller
        {0, 0, 1, 1, 0, -1, "SUB"},
        {2, 0, 1, 1, 0, -1, "SUB"},
        {0, 0, 2, 1, -1, -1, "INIT"},   // back after the call
        {0, 0, 4, 0, -1, -1, "INIT"},
        {10, 0, 5, 1, -1, -1, "INIT"},
        {0, 0, 0, 0, -1, -1, "NEXT"},   // replaced: nothing pushed, no frame
        {0, 0, 1, 0, -1, -1, "NEXT"},
    };
    std::vector<FrameTrace> traces;
    for (std::size_t i = 0; i < expected.size(); ++i) traces.push_back(Frame());
    EXPECT_EQ(traces, expected);
    EXPECT_EQ(Caption(), "ZE-RoreroRerodi ver1.0NEXT.SNX=Line : 4");
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SystemOpsTest, ScriptLoadFailuresShowTheirBoxAndEndTheGame) {
    struct Case {
        const char* init;
        const char* box;
        int frames;              // up to and with the failing one
        std::int32_t callDepth;  // afterwards
    };
    const Case cases[] = {
        {"call CallSNX \"NOPE\"\nend\n", "This game failed to load SNX-file in CallSNX().", 2, 0},
        {"call LoadSNX \"NOPE\"\nend\n", "This game failed to load SNX-file in LoadSNX().", 2, -1},
        // Not a text: the name buffer stays the empty text, which names no script.
        {"call LoadSNX 5\nend\n", "This game failed to load SNX-file in LoadSNX().", 2, -1},
        // INIT is removed while SUB runs.
        {"call CallSNX \"SUB\"\nend\n", "This game failed to call SNX-file in ReturnSNX().", 5, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        Restart();
        WriteScript("INIT", c.init);
        WriteScript("SUB", "line 2\nret\n");
        Start();
        Frames(c.frames - 1);
        RemoveFile("INIT.SNX");
        FrameTrace failed = Frame();
        EXPECT_EQ(failed.op, kv::kOpQuit);
        EXPECT_EQ(failed.callDepth, c.callDepth);
        ASSERT_FALSE(BoxTexts().empty());
        EXPECT_EQ(BoxTexts().back(), std::string("error|") + c.box);
        EXPECT_EQ(Os().Dialogs().MessageBoxes().back().owner, kv::g_mainWindow->Handle());
        Frame();
        EXPECT_FALSE(WindowAlive());
    }
}

TEST_F(SystemOpsTest, TheCaptionTakesAtMost63BytesAndNeverHalfACharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"Title\"", "Title"},
        {"\"" + std::string(70, 'x') + "\"", std::string(63, 'x')},
        {"\"" + std::string(62, 'x') + "\xE3\x81\x82\"", std::string(62, 'x')},  // U+3042: 82 A0
        {"\"" + std::string(61, 'x') + "\xE3\x81\x82\"", std::string(61, 'x') + "\x82\xA0"},
        {"5", ""},  // not a text: the empty caption
    };
    for (const auto& [operand, caption] : cases) {
        SCOPED_TRACE(operand);
        Restart();
        WriteScript("INIT", "call OpSetCaption " + operand + "\ndiscard\nline 3\nend\n");
        Start();
        Frame();
        EXPECT_EQ(Frame(), (FrameTrace{0, 0, 2, 1, -1, -1, "INIT"}));
        EXPECT_EQ(Caption(), caption);
        EXPECT_EQ(std::string(kv::g_gameState.caption), caption);
        Frame();
        EXPECT_EQ(Caption(), caption + "INIT.SNX=Line : 3");
    }
}

// ---- operation 126 ----

// "DirectInput" + "manager creation failed" in Shift-JIS.
const std::string kInputFailedBox = "error|DirectInput\x83}\x83l\x81[\x83W\x83\x83\x90\xB6\x90\xAC\x82\xC9\x8E\xB8\x94s";

TEST_F(SystemOpsTest, TheInputOperationRetriesWhileTheWindowIsBehindAndFailsAfterThirty) {
    const backend::WindowId window = StartWithTheWindowBehind();
    // Called directly: the frame does not run while the window is behind.
    const std::uint32_t before = Os().Clock().TickCount();
    EXPECT_EQ(kv::CreateDirectInputManager(), kv::kOpContinue);
    EXPECT_EQ(Os().Clock().SleepCalls(), 30u);
    EXPECT_EQ(Os().Clock().TickCount() - before, 3000u);
    EXPECT_EQ(kv::CurrentOp().operation, kv::kOpQuit);
    EXPECT_EQ(kv::g_input, nullptr);
    EXPECT_EQ(kv::g_vm->Pc(), 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kInputFailedBox});
    EXPECT_EQ(Os().Dialogs().MessageBoxes().front().owner, 0u);

    // The window coming back during the retries lets an attempt succeed: the retries pump the
    // events that bring it to the front.
    Os().Clock().SetSleepHook([window, this] {
        if (Os().Clock().SleepCalls() == 33)
            Os().Events().QueueSystemMessage({window, backend::MessageKind::ActivateApp, 0, 0, 1});
    });
    kv::CurrentOp().operation = 126;
    EXPECT_EQ(kv::CreateDirectInputManager(), kv::kOpFinished);
    EXPECT_EQ(Os().Clock().SleepCalls(), 33u);
    ASSERT_NE(kv::g_input, nullptr);
    EXPECT_EQ(kv::g_mainWindow->GetInput(), kv::g_input);
    EXPECT_EQ(kv::g_vm->Pc(), 1);
    EXPECT_EQ(kv::g_vm->StackEntry(0).value, 0u);
    EXPECT_TRUE(kv::g_mainWindow->IsActive());
}

TEST_F(SystemOpsTest, ClosingTheGameDuringTheInputRetriesStopsThemAndKeepsTheQuit) {
    StartWithTheWindowBehind();
    Os().Clock().SetSleepHook([this] {
        if (Os().Clock().SleepCalls() == 2) Os().Events().QueueSystemMessage({0, backend::MessageKind::Quit, 0, 0, 0});
    });
    const std::uint64_t before = Os().Clock().SleepCalls();
    EXPECT_EQ(kv::CreateDirectInputManager(), kv::kOpContinue);
    EXPECT_EQ(Os().Clock().SleepCalls() - before, 2u);
    EXPECT_EQ(kv::CurrentOp().operation, kv::kOpQuit);
    EXPECT_EQ(kv::g_input, nullptr);
    EXPECT_TRUE(BoxTexts().empty());
    backend::WindowMessage message;
    ASSERT_TRUE(Os().Events().PeekMessage(message));
    EXPECT_EQ(message.kind, backend::MessageKind::Quit);
}

TEST_F(SystemOpsTest, ASecondInputOperationEndsTheGameAndKeepsTheFirstObject) {
    WriteScript("INIT", "calld CreateDirectInputManager\ncalld CreateDirectInputManager\nl: line 1\njmp l\n");
    Start();
    Frames(2);
    kv::Input* first = kv::g_input;
    ASSERT_NE(first, nullptr);
    Frame();
    EXPECT_EQ(Frame().op, kv::kOpQuit);
    EXPECT_EQ(kv::g_input, first);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kInputFailedBox});
}

}  // namespace
