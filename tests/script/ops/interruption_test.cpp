// Interrupting a multi-frame operation with the right click or a system button, the return that
// resumes it, and the interruptions that cannot be taken.

#include <gtest/gtest.h>

#include "backend/dialog_service.h"
#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/script_frame_fixture.h"

namespace {

using opstest::FrameTrace;
using opstest::ProbeCall;
namespace key = backend::key;

const std::string kLine9 = "ZE-RoreroRerodi ver1.0INIT.SNX=Line : 9";

class InterruptionTest : public opstest::ScriptFrameTest {
public:
    // INIT waits in operation 15, phase 1, at pc 3; the right click is enabled.
    void StartWaiting() {
        UseWaitProbes();
        WriteScript("INIT", "calld CreateDirectInputManager\ncall OpWaitClick 1\ndiscard\nline 9\nend\n");
        Start();
        kv::g_gameState.rightClickEnabled = 1;
        Frames(4);
        ASSERT_EQ(Trace(), (FrameTrace{15, 1, 3, 0, -1, -1, "INIT"}));
        probes_.clear();
    }
    // A right-click script that waits itself, so that interruptions nest.
    void WriteWaitingRclick() { WriteScript("RCLICK", "call OpWaitClick 2\ndiscard\nret\n"); }
};

TEST_F(InterruptionTest, ARightClickRunsRclickAndTheWaitResumesInItsPhaseWithItsScratch) {
    WriteScript("RCLICK", "line 20\nret\n");
    StartWaiting();
    Frame();                     // frame 5
    TapButton(1);                // 6, 7: the release interrupts
    std::vector<FrameTrace> traces = {Trace()};
    for (int i = 0; i < 4; ++i) traces.push_back(Frame());  // 8 .. 11
    const std::vector<FrameTrace> expected = {
        {0, 0, 0, 0, 0, 0, "RCLICK"},  // a call frame and a saved OpState
        {0, 0, 1, 0, 0, 0, "RCLICK"},  // its line
        {2, 0, 1, 0, 0, 0, "RCLICK"},  // its return
        {15, 1, 3, 0, -1, -1, "INIT"}, // the wait is back, pc on its call
        {15, 1, 3, 0, -1, -1, "INIT"},
    };
    EXPECT_EQ(traces, expected);
    const std::vector<ProbeCall> seen = {
        {5, 1, 1, 100, "INIT"}, {6, 1, 1, 101, "INIT"}, {7, 1, 1, 102, "INIT"}, {11, 1, 1, 102, "INIT"}};
    EXPECT_EQ(probes_, seen);
    TapKey(key::Return);
    EXPECT_EQ(Trace(), (FrameTrace{0, 0, 4, 1, -1, -1, "INIT"}));
    EXPECT_EQ(kv::g_vm->StackEntry(0).value, 1u);  // the wait's own result
    Frame();
    EXPECT_EQ(Caption(), kLine9);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(InterruptionTest, NestedInterruptionsUnwindInReverseOrder) {
    WriteWaitingRclick();
    WriteScript("SYSBTN", "line 30\nret\n");
    StartWaiting();
    TapButton(1);
    Frames(2);
    EXPECT_EQ(Trace(), (FrameTrace{15, 1, 1, 0, 0, 0, "RCLICK"}));
    TapKey(key::S);  // a system button inside the right-click script
    EXPECT_EQ(Trace(), (FrameTrace{0, 0, 0, 0, 1, 1, "SYSBTN"}));
    EXPECT_EQ(kv::g_gameState.opSave[0].scratch[0], 1u);
    EXPECT_EQ(kv::g_gameState.opSave[1].scratch[0], 2u);
    Frames(2);
    EXPECT_EQ(Frame(), (FrameTrace{15, 1, 1, 0, 0, 0, "RCLICK"}));
    TapKey(key::Return);
    EXPECT_EQ(probes_.back(), (ProbeCall{frameNumber_, 1, 2, probes_.back().scratch1, "RCLICK"}));
    Frame();
    EXPECT_EQ(Frame(), (FrameTrace{15, 1, 3, 0, -1, -1, "INIT"}));
    TapKey(key::Return);
    EXPECT_EQ(probes_.back().scratch0, 1u);
    Frame();
    EXPECT_EQ(Caption(), kLine9);
}

TEST_F(InterruptionTest, AnInterruptionWhoseScriptWillNotLoadLeavesTheOperationRunning) {
    StartWaiting();  // no RCLICK.SNX anywhere
    TapButton(1);
    // Nothing pushed, switched or cleared: the same wait, same script, same stacks.
    EXPECT_EQ(Trace(), (FrameTrace{15, 1, 3, 0, -1, -1, "INIT"}));
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts().back(), "error|This game failed to call SNX-file in ReadyToJumpRClickProcess().");
    EXPECT_EQ(Os().Dialogs().MessageBoxes().back().owner, kv::g_mainWindow->Handle());
    Frame();
    EXPECT_EQ(probes_.back(), (ProbeCall{frameNumber_, 1, 1, 101, "INIT"}));  // the click frame counted nothing
    TapKey(key::Return);
    Frame();
    EXPECT_EQ(Caption(), kLine9);
}

TEST_F(InterruptionTest, ANinthNestedInterruptionIsRefused) {
    WriteWaitingRclick();
    StartWaiting();
    for (int level = 0; level < kv::kOpSaveDepth; ++level) {
        TapButton(1);
        Frames(2);
        ASSERT_EQ(Trace(), (FrameTrace{15, 1, 1, 0, level, level, "RCLICK"}));
    }
    TapButton(1);
    EXPECT_EQ(Trace(), (FrameTrace{15, 1, 1, 0, 7, 7, "RCLICK"}));
    EXPECT_EQ(kv::g_vm->Fault(), kv::VmFault::None);
    EXPECT_TRUE(BoxTexts().empty());
    for (int level = kv::kOpSaveDepth - 1; level >= 0; --level) {
        TapKey(key::Return);
        Frame();  // discard, ret
        ASSERT_EQ(Frame(), (FrameTrace{15, 1, level ? 1 : 3, 0, level - 1, level - 1, level ? "RCLICK" : "INIT"}));
    }
    TapKey(key::Return);
    Frame();
    EXPECT_EQ(Caption(), kLine9);
}

TEST_F(InterruptionTest, AReturnFromAnInterruptionWithNothingSavedActsAsAfterACall) {
    WriteScript("INIT", "l: line 1\njmp l\n");
    Start();
    Frame();
    kv::g_vm->SetPc(1);
    kv::g_vm->PushCallFrame(1);  // as a damaged save file can leave it
    kv::g_gameState.opSaveTop = -1;
    kv::CurrentOp().operation = kv::kOpReturnSNX;
    EXPECT_EQ(Frame(), (FrameTrace{0, 0, 1, 0, -1, -1, "INIT"}));
    Frame();
    EXPECT_EQ(Caption(), "ZE-RoreroRerodi ver1.0INIT.SNX=Line : 1");
}

}  // namespace
