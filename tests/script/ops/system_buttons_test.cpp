// System buttons over a wait that keeps them live (a stand-in for the message click wait): the
// hover and press with their pictures and sounds, the keys, Space and the wheel, the scripts they
// interrupt with and the wait's return, and what a bad button, a missing script or picture does;
// and a press during a real message's click wait.

#include <gtest/gtest.h>

#include <functional>

#include "app/globals/globals.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/ops/player_hooks.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/screens/system_buttons.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/overlay_input_fixture.h"

namespace {

using opstest::FrameTrace;
using opstest::Picture;
namespace key = backend::key;

// Operation 15's run as a wait that keeps the buttons live: the buttons first, then a decide
// finishes.
std::uint32_t ButtonWaitRun() {
    kv::RefreshInput();
    if (kv::ProcessSystemButton()) return kv::kOpFinished;
    kv::OpState& op = kv::CurrentOp();
    if (kv::IsDecidePressed()) return kv::CompleteOperation(static_cast<std::int32_t>(op.scratch[0]));
    ++op.scratch[1];
    return kv::kOpContinue;
}

class SystemButtonsTest : public opstest::OverlayInputTest {
public:
    // Buttons 0 (A, sounds, the wheel's), 1 (B, key B, Space's) and 2 (C, disabled) in a row at
    // y 100, over a wait at pc waitPc of INIT.
    void StartWithButtons(const std::string& more = "") {
        Replace(137, WaitSetProbe);
        Replace(138, ButtonWaitRun);
        WriteScript("INIT", SceneSetup() + R"(
            calld CreateSystemButtons 3
            calld SetSystemButtonImage 1
            calld DefineSystemButton 0, 100, 100, 0, 0, 20, 10, "SYSA", 0
            calld DefineSystemButton 1, 200, 100, 0, 10, 20, 10, "SYSB", 0x30
            calld DefineSystemButton 2, 300, 100, 0, 20, 20, 10, "SYSC", 0
            calld SetSystemButtonEnable 0, 1
            calld SetSystemButtonEnable 1, 1
            calld SetSystemButtonVisible 0, 1
            calld SetSystemButtonVisible 1, 1
            calld SetSystemButtonVisible 2, 1
            calld SetSystemButtonSound 0, 1, "HOVER", 2, "CLICK"
            calld SetSystemButtonSpaceKey 1
            calld SetSystemButtonWheel 0
        )" + more + Commit() + R"(
            calld OpSetCaption "waiting"
            call OpWaitClick 7
            discard
            line 9
        l:  line 10
            jmp l
        )");
        WriteScript("SYSA", "line 20\nret\n");
        WriteScript("SYSB", "line 21\nret\n");
        WriteScript("SYSC", "line 22\nret\n");
        Start();
        ASSERT_TRUE(RunUntilCaption("waiting"));
        Frames(3);
        ASSERT_EQ(Trace().op, 15u);
        waiting_ = Trace();
        Silence();
    }
    // Frames until the wait is back where it stood.
    bool BackInTheWait() {
        for (int i = 0; i < 10; ++i) {
            if (Frame() == waiting_) return true;
        }
        return false;
    }
    FrameTrace waiting_;
};

TEST_F(SystemButtonsTest, APressRunsTheScriptWithItsSoundsAndTheWaitResumesInItsPhase) {
    StartWithButtons();
    // Disabled, normal, normal as first drawn; the strip's layer itself is hidden.
    Picture screen = Screen();
    EXPECT_TRUE(ShowsPart(screen, strip_, 100, 100, 20, 10, 20, 0));
    EXPECT_TRUE(ShowsPart(screen, strip_, 200, 100, 20, 10, 20, 10));
    EXPECT_TRUE(ShowsPart(screen, strip_, 300, 100, 20, 10, 0, 20));
    EXPECT_TRUE(ShowsPart(screen, background_, 0, 0, 100, 100, 0, 0));

    MoveMouse(120, 110);  // the bottom-right corner is inside
    EXPECT_TRUE(ShowsPart(LastPresented(), strip_, 100, 100, 20, 10, 40, 0));
    EXPECT_TRUE(Heard(hoverPcm_));
    const std::uint32_t counted = kv::CurrentOp().scratch[1];

    Os().Events().QueueMouseButton(0, true);
    Frame();
    EXPECT_EQ(kv::g_systemButtons->hoverIndex, 0);  // held: still only hovering
    Os().Events().QueueMouseButton(0, false);
    EXPECT_EQ(Frame(), (FrameTrace{0, 0, 0, 0, 0, 0, "SYSA"}));
    EXPECT_TRUE(Heard(clickPcm_));
    EXPECT_TRUE(ShowsPart(LastPresented(), strip_, 100, 100, 20, 10, 20, 0));
    EXPECT_EQ(kv::g_systemButtons->hoverIndex, -1);
    ASSERT_TRUE(BackInTheWait());
    EXPECT_EQ(kv::CurrentOp().scratch[0], 7u);
    EXPECT_EQ(kv::CurrentOp().scratch[1], counted + 1);  // the press frame counted nothing
    MoveMouse(50, 50);
    TapKey(key::Return);
    Frame();
    EXPECT_EQ(Caption(), "waitingINIT.SNX=Line : 9");
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SystemButtonsTest, KeysSpaceAndTheWheelPressTheirButtonsOnlyWhenLive) {
    StartWithButtons();
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* script;  // "" : nothing pressed
    };
    const std::vector<Case> cases = {
        {"shortcut key", [&] { TapKey(key::B); }, "SYSB"},
        {"space", [&] { TapKey(key::Space); }, "SYSB"},
        {"wheel away", [&] { Os().Events().QueueWheel(120); Frame(); }, "SYSA"},
        {"wheel toward", [&] { Os().Events().QueueWheel(-120); Frame(); Frame(); }, ""},
        {"right edge", [&] { MoveMouse(220, 100); TapButton(0); }, "SYSB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        if (*c.script == '\0') {
            EXPECT_EQ(Trace(), waiting_);
            continue;
        }
        EXPECT_EQ(Trace().script, c.script);
        ASSERT_TRUE(BackInTheWait());
        MoveMouse(10, 10);
    }
    // A click on the disabled button is the wait's own click.
    MoveMouse(310, 105);
    TapButton(0);
    EXPECT_EQ(Trace(), (FrameTrace{0, 0, waiting_.pc + 1, 1, -1, -1, "INIT"}));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SystemButtonsTest, ButtonsMadeAgainForgetTheSpaceWheelAndHoverButtons) {
    StartWithButtons("calld CreateSystemButtons 0\n");  // 0 keeps them
    EXPECT_EQ(kv::g_systemButtons->Count(), 3);
    MoveMouse(105, 105);
    EXPECT_EQ(kv::g_systemButtons->hoverIndex, 0);
    kv::g_systemButtons->AllocButtons(2);
    EXPECT_EQ(kv::g_systemButtons->hoverIndex, -1);
    TapKey(key::Space);
    Os().Events().QueueWheel(120);
    Frame();
    EXPECT_EQ(Trace(), waiting_);
}

TEST_F(SystemButtonsTest, NestedPressesUnwindInReverseOrderAndStopAtTheStackDepth) {
    StartWithButtons();
    WriteScript("SYSA", "calld OpSetCaption \"in A\"\ncall OpWaitClick 8\ndiscard\nret\n");
    MoveMouse(105, 105);
    TapButton(0);
    ASSERT_TRUE(RunUntilCaption("in A"));
    Frames(3);
    EXPECT_EQ(Trace().script, "SYSA");
    TapKey(key::B);  // a button inside the button's script
    EXPECT_EQ(Trace(), (FrameTrace{0, 0, 0, 0, 1, 1, "SYSB"}));
    EXPECT_EQ(kv::g_gameState.opSave[0].scratch[0], 7u);
    EXPECT_EQ(kv::g_gameState.opSave[1].scratch[0], 8u);
    Frames(3);
    EXPECT_EQ(Trace().script, "SYSA");
    EXPECT_EQ(Trace().op, 15u);
    // With the op-save stack full a press is not taken: no script, no sound.
    const std::int32_t top = kv::g_gameState.opSaveTop;
    kv::g_gameState.opSaveTop = kv::kOpSaveDepth - 1;
    Silence();
    TapKey(key::B);
    EXPECT_EQ(Trace().script, "SYSA");
    EXPECT_EQ(Trace().op, 15u);
    EXPECT_FALSE(Heard(clickPcm_));
    kv::g_gameState.opSaveTop = top;
    TapKey(key::Return);
    ASSERT_TRUE(BackInTheWait());
}

TEST_F(SystemButtonsTest, AMissingScriptLeavesTheWaitRunning) {
    StartWithButtons("calld DefineSystemButton 1, 200, 100, 0, 10, 20, 10, \"NOPE\", 0x30\n");
    TapKey(key::B);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts().back(), "error|This game failed to call SNX-file in ProcessSystemButton().");
    EXPECT_EQ(Trace(), waiting_);
    TapKey(key::Return);
    Frame();
    EXPECT_EQ(Caption(), "waitingINIT.SNX=Line : 9");
}

TEST_F(SystemButtonsTest, BadButtonsAreReportedAndButtonsWithoutAPictureDrawNothing) {
    StartWithButtons("calld SetSystemButtonEnable 5, 1\ncalld DefineSystemButton -1, 0, 0, 0, 0, 1, 1, \"X\", 0\n"
                     "calld ClearLayer 1\n");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"error|There is no system button 5 in SetSystemButtonEnable().",
                                                    "error|There is no system button -1 in DefineSystemButton()."}));
    EXPECT_TRUE(ShowsPart(Screen(), background_, 0, 0, 800, 600, 0, 0));
    MoveMouse(105, 105);  // hovering redraws nothing but the scene
    EXPECT_TRUE(ShowsPart(LastPresented(), background_, 0, 0, 800, 600, 0, 0));
    EXPECT_TRUE(WindowAlive());
}

TEST_F(SystemButtonsTest, APressDuringAMessagesClickWaitRunsTheScriptAndTheMessageWaitsOnIntact) {
    constexpr std::uint32_t kMessageFlow = 44;
    constexpr std::uint32_t kClickPhase = 2;
    WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\ncbyte 8\n");
    WriteScript("INIT", SceneSetup() + R"(
        calld CreateSystemButtons 1
        calld SetSystemButtonImage 1
        calld DefineSystemButton 0, 100, 100, 0, 0, 20, 10, "SYSA", 0
        calld SetSystemButtonEnable 0, 1
        calld SetSystemButtonVisible 0, 1
        calld OpAllocTextWindows 2
        calld SetMessageWindowRects 1, 40, 390, 720, 160, 50, 400, 700, 140
        calld ResetTextWindow 1
        calld SetMessageCharDelay 1, 10
    )" + Commit() + R"(
        call MessageFlow 1, "ab\wcd", 0, 1
        discard
    l:  line 9
        jmp l
    )");
    WriteScript("SYSA", "ref aint[2]\npush 5\nassign\ndiscard\nline 20\nret\n");
    Start();
    const auto showing = [] { return kv::CurrentOp().operation == kMessageFlow; };
    const auto waiting = [&] { return showing() && kv::CurrentOp().phase == kClickPhase && Trace().script == "INIT"; };
    for (int i = 0; i < 200 && !waiting(); ++i) {
        Os().Clock().AdvanceClock(10);
        Frame();
    }
    ASSERT_TRUE(waiting()) << ::testing::PrintToString(BoxTexts());
    kv::MessageWindow& window = *kv::MessageWindowAt(1);
    const std::string page = window.pageText;
    ASSERT_EQ(page, std::string("ab\x02"));
    Frames(3);
    const FrameTrace before = Trace();
    const Picture text = Screen();

    MoveMouse(105, 105);
    TapButton(0);
    EXPECT_EQ(Trace().script, "SYSA");
    bool back = false;
    for (int i = 0; i < 10 && !back; ++i) back = Frame() == before;
    ASSERT_TRUE(back) << Trace();
    EXPECT_EQ(*kv::g_vm->AInt(2), 5);
    EXPECT_EQ(kv::CurrentOp().phase, kClickPhase);
    EXPECT_EQ(window.pageText, page);
    EXPECT_EQ(*kv::g_vm->CByte(1), 0);  // not yet read
    EXPECT_TRUE(ShowsPart(Screen(), text, 40, 390, 720, 160, 40, 390));
    Frames(3);
    EXPECT_TRUE(waiting());  // the press is not taken as the message's click as well

    MoveMouse(50, 50);
    TapButton(0);
    for (int i = 0; i < 200 && showing(); ++i) {
        Os().Clock().AdvanceClock(10);
        Frame();
    }
    Frame();
    EXPECT_FALSE(showing());
    EXPECT_EQ(window.pageText, std::string("ab\x02" "cd"));  // a click-wait code does not turn the page
    EXPECT_EQ(*kv::g_vm->CByte(1), 1);
    EXPECT_NE(Caption().find("INIT.SNX=Line : 9"), std::string::npos) << Caption();
    EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
}

}  // namespace
