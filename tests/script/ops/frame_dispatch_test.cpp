// The per-frame dispatch: when handlers run relative to the script, the table's bounds, the
// housekeeping before the handler (skip and auto mode, screen effects) and the last frames.

#include <gtest/gtest.h>

#include "backend/clock_service.h"
#include "backend/dialog_service.h"
#include "backend/event_queue.h"
#include "backend/window_message.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/script_frame_fixture.h"

namespace {

using opstest::FrameTrace;
namespace key = backend::key;

class FrameDispatchTest : public opstest::ScriptFrameTest {};

TEST_F(FrameDispatchTest, AHandlerRunsTheFrameAfterItsCallAndTheScriptGoesOnTheFrameAfterThat) {
    WriteScript("INIT", "push 7\nsys 40\ndiscard\nline 5\nline 6\nend\n");
    Replace(40, [] {
        kv::CurrentOp().flag = 0x101;
        kv::CurrentOp().scratch[15] = 9;
        return FinishProbe();
    });
    Start();
    const std::vector<FrameTrace> expected = {
        {40, 0, 1, 1, -1, -1, "INIT"},  // the call: operand on the stack, pc on the call
        {0, 0, 2, 1, -1, -1, "INIT"},   // the handler: operand taken, result pushed, pc past it
        {0, 0, 4, 0, -1, -1, "INIT"},   // the script again, up to a line marker
        {0, 0, 5, 0, -1, -1, "INIT"},   // one line a frame
        {1, 0, 5, 0, -1, -1, "INIT"},   // end of script: the quit operation
        {0, 0, 5, 0, -1, -1, "INIT"},   // the window is destroyed
        {0, 0, 5, 0, -1, -1, "INIT"},   // and nothing runs any more
    };
    std::vector<FrameTrace> traces;
    std::vector<std::string> captions;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        traces.push_back(Frame());
        captions.push_back(Caption());
    }
    EXPECT_EQ(traces, expected);
    EXPECT_EQ(probes_, (std::vector<opstest::ProbeCall>{{2, 0, 0, 0, "INIT"}}));
    EXPECT_EQ(kv::CurrentOp().flag, 0x101u);  // a finished handler's flag word stays
    EXPECT_EQ(kv::CurrentOp().scratch[15], 0u);
    EXPECT_EQ(captions[2], "ZE-RoreroRerodi ver1.0INIT.SNX=Line : 5");
    EXPECT_EQ(captions[3], "ZE-RoreroRerodi ver1.0INIT.SNX=Line : 6");
    EXPECT_FALSE(WindowAlive());
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(FrameDispatchTest, NumbersOutsideTheTableAndMissingOperationsEndTheGameWithABox) {
    struct Case {
        const char* init;
        std::uint32_t op, phase;  // forced after the first frame, as a restored save may hold them
        std::string box;
    };
    const Case cases[] = {
        {"sys 171\nend\n", 0, 0, "Operation 171 is not in the operation table."},
        // Phase entries are reached only through their operation, never called by a script.
        {"sys 135\nend\n", 0, 0, "Operation 135 is not in the operation table."},
        {"sys 170\nend\n", 0, 0, "Operation 170 is not in the operation table."},
        {"l: line 1\njmp l\n", 140, 1, "Operation 140 is not in the operation table."},
        {"l: line 1\njmp l\n", 0xFFFFFFFFu, 0, "Operation 4294967295 is not in the operation table."},
        {"l: line 1\njmp l\n", 15, 2, "Operation 15 has no phase 2."},  // one past its own phases
        {"l: line 1\njmp l\n", 134, 0x80000000u, "Operation 134 has no phase 2147483648."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        Restart();
        WriteScript("INIT", c.init);
        Start();
        Frame();
        if (c.op != 0) kv::CurrentOp() = kv::OpState{c.op, c.phase, {}, 0};
        EXPECT_EQ(Frame().op, kv::kOpQuit);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|" + c.box});
        ASSERT_FALSE(Os().Dialogs().MessageBoxes().empty());
        EXPECT_EQ(Os().Dialogs().MessageBoxes().back().owner, kv::g_mainWindow->Handle());
        Frame();
        EXPECT_FALSE(WindowAlive());
    }
}

TEST_F(FrameDispatchTest, ADummyOperationComesBackEverySecondFrame) {
    WriteScript("INIT", "sys 3\nend\n");
    Start();
    std::vector<std::size_t> boxes;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Frame(), (FrameTrace{i % 2 ? 0u : 3u, 0, 0, 0, -1, -1, "INIT"}));
        boxes.push_back(Os().Dialogs().MessageBoxes().size());
    }
    EXPECT_EQ(boxes, (std::vector<std::size_t>{0, 1, 1, 2, 2, 3}));
    EXPECT_EQ(BoxTexts().front(), "error|This game made a dummy op to run.");
}

TEST_F(FrameDispatchTest, ScriptErrorsAndStackFaultsShowOneBoxEvenWithTheLoopsLastFrame) {
    const std::pair<const char*, const char*> cases[] = {
        {"push 1\npush 0\ndiv\nend\n", "Error code is -6"},
        {"l: push 1\njmp l\n", "Error code is -24"},
        {"discard\nend\n", "Error code is -25"},
        {"calld CallSNX \"INIT\"\nend\n", "Error code is -26"},  // 33 nested calls
        {"ret\n", "Error code is -27"},                          // a return without a caller
        {"sys 12\nl: line 1\njmp l\n", "Error code is -25"},      // a handler pops the empty stack
    };
    for (const auto& [init, box] : cases) {
        SCOPED_TRACE(box);
        Restart();
        WriteScript("INIT", init);
        EXPECT_EQ(kv::WinMain(), 0);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{std::string("SNXError|") + box});
        EXPECT_FALSE(Os().Clock().SleepLimitReached());
    }
}

TEST_F(FrameDispatchTest, AFaultAHandlerLeavesIsReportedAtOnceEvenWhenItNeverFinishes) {
    // A handler that pops what is not there and asks to be called again, frame after frame.
    Replace(40, [] {
        kv::g_vm->Pop();
        return kv::kOpContinue;
    });
    WriteScript("INIT", "sys 40\nend\n");
    Start();
    Frame();
    EXPECT_EQ(Frame().op, kv::kOpQuit);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"SNXError|Error code is -25"});
    EXPECT_FALSE(kv::g_vm->StackFault());
    Frame();
    EXPECT_FALSE(WindowAlive());
    EXPECT_EQ(BoxTexts().size(), 1u);
}

// ---- housekeeping ----

class HousekeepingTest : public opstest::ScriptFrameTest {
public:
    // INIT makes the input object (unless told not to) and waits in the click-wait probe.
    void StartWaiting(bool makeInput = true) {
        UseWaitProbes();
        WriteScript("INIT", std::string(makeInput ? "calld CreateDirectInputManager\n" : "") +
                                "call OpWaitClick 1\ndiscard\nl: line 9\njmp l\n");
        Start();
        Frames(makeInput ? 4 : 2);
        ASSERT_EQ(Trace().phase, 1u);
        probes_.clear();
    }
    bool Waiting() const { return kv::CurrentOp().operation == 15; }
    // Starts a screen effect whose first step, due at the next frame, is its last.
    void StartOneStepEffect(bool runsOn) {
        kv::LayerSet& layers = *kv::g_currentLayers;
        layers.SelectGraphicEffect(kv::kEffectCrossFade);
        layers.Effect().step = layers.Effect().end = 256;
        layers.EffectTimer().Start(1);
        Os().Clock().AdvanceClock(2);
        kv::g_gameState.effectRunning = 1;
        kv::g_gameState.scriptRunsOn = runsOn ? 1 : 0;
    }
};

TEST_F(HousekeepingTest, SkipAndAutoModeEndOnThePlayersKeysAndButtons) {
    struct Case {
        bool isKey;
        int code;
        bool endsSkip, endsAuto;
    };
    const Case cases[] = {
        {true, key::Return, true, true},        {true, key::NumpadEnter, true, true},
        {true, key::LeftShift, true, true},     {true, key::RightShift, true, true},
        {true, key::Escape, true, true},        {false, 0, true, true},
        {false, 1, true, true},                 {true, key::LeftControl, false, true},
        {true, key::RightControl, false, true}, {true, key::Space, false, false},
        {false, 2, false, false},
    };
    StartWaiting();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.isKey ? "key " : "button ") << c.code);
        kv::g_gameState.skipMode = kv::g_gameState.autoMode = 1;
        if (c.isKey) Os().Events().QueueKey(static_cast<std::uint8_t>(c.code), true);
        else Os().Events().QueueMouseButton(c.code, true);
        Frame();
        EXPECT_EQ(kv::g_gameState.skipMode, c.endsSkip ? 0 : 1);
        EXPECT_EQ(kv::g_gameState.autoMode, c.endsAuto ? 0 : 1);
        if (c.isKey) Os().Events().QueueKey(static_cast<std::uint8_t>(c.code), false);
        else Os().Events().QueueMouseButton(c.code, false);
        kv::g_gameState.skipMode = kv::g_gameState.autoMode = 0;
        Frame();
        kv::CurrentOp() = kv::OpState{15, 1, {1}, 0};  // a decide release may have ended the wait
    }
}

TEST_F(HousekeepingTest, BeforeTheInputObjectExistsNothingCountsAsPressed) {
    StartWaiting(/*makeInput=*/false);
    kv::g_gameState.skipMode = kv::g_gameState.autoMode = 1;
    Os().Events().QueueKey(key::Return, true);
    Os().Events().QueueKey(key::LeftControl, true);
    Frame();
    Os().Events().QueueKey(key::Return, false);
    Frame();
    EXPECT_EQ(kv::g_gameState.skipMode, 1);
    EXPECT_EQ(kv::g_gameState.autoMode, 1);
    EXPECT_TRUE(Waiting());
    EXPECT_EQ(probes_.size(), 2u);
}

TEST_F(HousekeepingTest, AnEffectHoldsTheScriptUnlessItRunsOnOrIsCutShort) {
    StartWaiting();
    auto effectFrame = [&](bool runsOn) {
        StartOneStepEffect(runsOn);
        probes_.clear();
        Frame();
        EXPECT_EQ(kv::g_gameState.effectRunning, 0);
        return probes_.size();
    };
    EXPECT_EQ(effectFrame(false), 0u);  // the operation waits for the effect
    EXPECT_EQ(effectFrame(true), 1u);
    Os().Events().QueueKey(key::LeftControl, true);
    EXPECT_EQ(effectFrame(false), 1u);  // Ctrl cuts it short and the frame goes on
    Os().Events().QueueKey(key::LeftControl, false);
    Frame();
    kv::g_gameState.skipMode = 1;
    EXPECT_EQ(effectFrame(false), 1u);  // so does skip mode
}

// An effect that the script runs on during leaves the input to the operation: a release in the
// frame of its step ends the wait then. One that holds the script reads the input itself, so a
// release while it runs is gone when the operation goes on.
TEST_F(HousekeepingTest, TheEffectLeavesTheReleaseToTheOperationOnlyWhileTheScriptRunsOn) {
    for (bool runsOn : {true, false}) {
        SCOPED_TRACE(runsOn ? "runs on" : "holds the script");
        Restart();
        StartWaiting();
        Os().Events().QueueKey(key::Return, true);
        Frame();
        StartOneStepEffect(runsOn);
        Os().Events().QueueKey(key::Return, false);
        Frame();
        EXPECT_EQ(kv::g_gameState.effectRunning, 0);
        Frame();
        EXPECT_EQ(Waiting(), !runsOn);
    }
}

TEST_F(HousekeepingTest, NoFrameWorkWhileTheWindowIsInactive) {
    StartWaiting();
    const backend::WindowId window = kv::g_mainWindow->Handle();
    Os().Events().QueueSystemMessage({window, backend::MessageKind::ActivateApp, 0, 0, 0});
    Frames(3);
    EXPECT_TRUE(probes_.empty());
    Os().Events().QueueSystemMessage({window, backend::MessageKind::ActivateApp, 0, 0, 1});
    Frame();
    EXPECT_EQ(probes_.size(), 1u);
}

// The running effect steps when its timer is due, each step reaching the window; Ctrl shows its
// final picture at once.
TEST_F(HousekeepingTest, AnEffectStepsOnItsTimerAndEachStepIsPresented) {
    StartWaiting();
    kv::LayerSet& layers = *kv::g_currentLayers;
    auto startFade = [&] {
        kv::g_workSurface2->FillRect24(0, 0, 800, 600, 0, 0, 0);      // the old picture
        kv::g_workSurface1->FillRect24(0, 0, 800, 600, 200, 200, 200);  // the new one
        layers.SelectGraphicEffect(kv::kEffectCrossFade);
        layers.SetEffectSteps(2, 0);
        layers.EffectTimer().Start(10);
        kv::g_gameState.effectRunning = 1;
        kv::g_gameState.scriptRunsOn = 0;
        Os().Windows().ClearFrames();
        probes_.clear();
    };
    auto shown = [&] { return Os().Windows().Frames().empty() ? -1 : Os().Windows().Frames().back().bgr[400 * 3]; };
    startFade();
    std::vector<int> presented;
    for (int frame = 0; frame < 8 && kv::g_gameState.effectRunning; ++frame) {
        Frame();  // not due yet: nothing drawn
        EXPECT_EQ(Os().Windows().Frames().size(), presented.size());
        Os().Clock().AdvanceClock(11);
        Frame();
        presented.push_back(shown());
    }
    EXPECT_EQ(presented, (std::vector<int>{0, 100, 200}));
    EXPECT_TRUE(probes_.empty());  // the operation waited for the effect
    Frame();
    EXPECT_EQ(probes_.size(), 1u);

    startFade();
    Os().Events().QueueKey(key::LeftControl, true);
    Frame();
    EXPECT_EQ(kv::g_gameState.effectRunning, 0);
    EXPECT_EQ(shown(), 200);
    Os().Events().QueueKey(key::LeftControl, false);
}

}  // namespace
