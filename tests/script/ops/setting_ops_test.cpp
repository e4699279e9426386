// The player settings: bindings to bank-C variables, the window-mode switch they drive, skip and
// auto mode and the right-click switch.

#include <gtest/gtest.h>

#include "backend/dialog_service.h"
#include "backend/window_service.h"
#include "app/globals/globals.h"
#include "platform/display_mode.h"
#include "platform/game_window.h"
#include "tests/script/ops/line_script_fixture.h"

namespace {

class SettingOpsTest : public opstest::LineScriptTest {
public:
    backend::Rect Client() { return Os().Windows().GetClientRect(kv::g_mainWindow->Handle()); }
};

TEST_F(SettingOpsTest, BindingsStoreTheirIndexAsGivenAndTheFlagsFollowTheScript) {
    WriteScript("INIT",
                "calld BindWindowModeVar 3\ncalld BindEffectsVar 2\ncalld BindInstantTextVar 1\n"
                "calld BindSkipVar 999\ncalld BindAutoWaitVar -4\ncalld SetSpareSetting 77\n"
                "calld SetRightClickEnable 5\nline 1\n"
                "calld SetRightClickEnable 0\nline 2\n"
                "l: line 3\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));
    const kv::GameState& state = kv::g_gameState;
    EXPECT_EQ(state.windowModeVar, 3);
    EXPECT_EQ(state.effectsVar, 2);
    EXPECT_EQ(state.instantTextVar, 1);
    EXPECT_EQ(state.skipAllVar, 999);  // checked where it is read, not here
    EXPECT_EQ(state.autoWaitVar, -4);
    EXPECT_EQ(state.spareSetting, 77);
    EXPECT_EQ(state.rightClickEnabled, 1);
    ASSERT_TRUE(RunToLine(2));
    EXPECT_EQ(state.rightClickEnabled, 0);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SettingOpsTest, TheWindowModeFollowsItsSettingVariable) {
    WriteScript("INIT",
                "calld BindWindowModeVar 1\n"
                "ref cint[1]\npush 1\nassign\ndiscard\n"
                "calld ApplyWindowMode\nline 1\n"
                "calld ApplyWindowMode\nline 2\n"  // already so: nothing to do
                "ref cint[1]\npush 0\nassign\ndiscard\n"
                "calld ApplyWindowMode\nline 3\n"
                "ref cint[1]\npush -7\nassign\ndiscard\n"  // any nonzero value is full screen
                "calld ApplyWindowMode\nline 4\n"
                "l: line 5\njmp l\n");
    Start();
    ASSERT_FALSE(kv::g_displayMode->IsFullScreen());
    ASSERT_TRUE(RunToLine(1));
    EXPECT_TRUE(kv::g_displayMode->IsFullScreen());
    EXPECT_EQ(Client().width, 1024);  // the desktop
    ASSERT_TRUE(RunToLine(2));
    EXPECT_TRUE(kv::g_displayMode->IsFullScreen());
    ASSERT_TRUE(RunToLine(3));
    EXPECT_FALSE(kv::g_displayMode->IsFullScreen());
    EXPECT_EQ(Client().width, 800);
    EXPECT_EQ(Client().height, 600);
    ASSERT_TRUE(RunToLine(4));
    EXPECT_TRUE(kv::g_displayMode->IsFullScreen());
    EXPECT_TRUE(WindowAlive());
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(SettingOpsTest, AWindowModeVariableOutsideBankCIsReportedAndChangesNothing) {
    // The fixture's image has four C integers.
    for (const char* index : {"4", "-1"}) {
        SCOPED_TRACE(index);
        Restart();
        // Full screen first, so that a bad read taken as 0 would show as a switch.
        WriteScript("INIT", std::string("calld BindWindowModeVar 0\nref cint[0]\npush 1\nassign\ndiscard\n"
                                        "calld ApplyWindowMode\nline 1\ncalld BindWindowModeVar ") +
                                index + "\ncalld ApplyWindowMode\nline 2\nl: line 3\njmp l\n");
        Start();
        ASSERT_TRUE(RunToLine(1));
        ASSERT_TRUE(kv::g_displayMode->IsFullScreen());
        ASSERT_TRUE(RunToLine(2));
        EXPECT_TRUE(kv::g_displayMode->IsFullScreen());
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|Access violation in Scripts"});
        EXPECT_EQ(Os().Dialogs().MessageBoxes().back().owner, 0u);
    }
}

TEST_F(SettingOpsTest, SkipAndAutoModeStartUnlessAChoiceMenuIsShowing) {
    for (bool menu : {false, true}) {
        SCOPED_TRACE(menu ? "menu showing" : "no menu");
        Restart();
        WriteScript("INIT", "calld StartSkip\nline 1\ncalld StartAutoMode\nline 2\nl: line 3\njmp l\n");
        Start();
        kv::g_gameState.choiceMenuShowing = menu ? 1 : 0;
        ASSERT_TRUE(RunToLine(1));
        EXPECT_EQ(kv::g_gameState.skipMode, menu ? 0 : 1);
        EXPECT_EQ(kv::g_gameState.autoMode, 0);
        ASSERT_TRUE(RunToLine(2));
        EXPECT_EQ(kv::g_gameState.skipMode, menu ? 0 : 1);  // nobody pressed anything
        EXPECT_EQ(kv::g_gameState.autoMode, menu ? 0 : 1);
    }
}

}  // namespace
