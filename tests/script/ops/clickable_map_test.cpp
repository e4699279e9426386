// Clickable maps built from script operands, drawn with the scene, and run by the select
// operations with the pointer, Up and Down, decide, cancel and the right-click script; what bad
// counts, kinds and indexes do.

#include <gtest/gtest.h>

#include "app/globals/globals.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/screens/clickable_map.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/overlay_input_fixture.h"

namespace {

using opstest::FrameTrace;
using opstest::Picture;
namespace key = backend::key;

class ClickableMapTest : public opstest::OverlayInputTest {
public:
    // Three areas of 20x10 at y 100 (x 100, 200, 300), strips at y 0, 10, 20 of STRIP; the second
    // disabled. Chips (op 107): 30x20 from (60, 0) + 20 per area, shown at (500, 400).
    static std::string Areas(bool chips) {
        std::string text;
        for (int i = 0; i < 3; ++i) {
            text += ", " + std::to_string(100 + 100 * i) + ", 100, 0, " + std::to_string(10 * i) + ", 20, 10";
            if (chips) text += ", 500, 400, 60, " + std::to_string(10 * i) + ", 30, 20";
            text += i == 1 ? ", byte 0" : ", byte 1";
        }
        return text;
    }
    // INIT builds the map, shows it, and selects with op (70 or 109) into A int 2.
    void StartMap(bool chips, int cancelable, const std::string& more = "") {
        const std::string build = chips ? "ReadyToChipClickableMap" : "ReadyToClickableMap";
        const std::string select = chips ? "RClickDispatch" : "ClickableMapSelect";
        WriteScript("INIT", SceneSetup() + "calld " + build + " 1, 1, \"HOVER\", 2, \"CLICK\"" + Areas(chips) + ", " +
                                std::to_string(chips ? 44 : 26) + "\n" + more + Commit() +
                                "calld SetRightClickEnable 1\ncalld OpSetCaption \"select\"\ncalld " + select +
                                " 2, " + std::to_string(cancelable) + "\ncalld OpSetCaption \"chosen\"\nl: line 1\njmp l\n");
        Start();
        ASSERT_TRUE(RunUntilCaption("select"));
        Frames(3);
        ASSERT_EQ(Trace().phase, 1u);
        Silence();
    }
    bool Chosen(std::int32_t index) {
        Frames(2);
        const std::int32_t* value = kv::g_vm->AInt(2);
        return Caption() == "chosen" && value && *value == index;
    }
};

TEST_F(ClickableMapTest, TheCountDecidesTheAreasAndNoOperandIsLeftBehind) {
    struct Case {
        const char* build;
        std::string operands;  // after the head
        int n;
        int areas;
        const char* box;
    };
    const std::string oneArea = ", 1, 2, 3, 4, 5, 6, byte 1";
    const std::vector<Case> cases = {
        {"ReadyToClickableMap", oneArea, 12, 1, ""},
        {"ReadyToClickableMap", oneArea + ", 7, 8, 9, 10, 11, 12", 18, 1, ""},
        {"ReadyToChipClickableMap", oneArea, 12, 0, ""},
        {"ReadyToClickableMap", ", 1, 2, 3, 4, 5, byte 1", 11, 0, "error|No selection at clickablemap op."},
        {"ReadyToChipClickableMap", "", 5, 0, "error|No selections."},
        {"ReadyToClickableMap", oneArea, 40, 0, "error|Illiegal argments in ReadyToClickableMap()."},
        {"ReadyToClickableMap", ", 1, 2, 3, 4, 5, 6, 7", 12, 0, "error|Illiegal argments in ReadyToClickableMap()."},
        {"ReadyToClickableMap", oneArea.substr(0, 0) + ", 1, 2, \"x\", 4, 5, 6, byte 1", 12, 0,
         "error|Illiegal argments in ReadyToClickableMap()."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.build) + " " + std::to_string(c.n) + c.operands);
        Restart();
        WriteScript("INIT", "calld AllocLayers 1\ncalld " + std::string(c.build) + " 0, -1, \"\", -1, \"\"" + c.operands +
                                ", " + std::to_string(c.n) + "\nline 1\nl: line 2\njmp l\n");
        Start();
        Frames(8);
        if (*c.box == '\0') {
            EXPECT_TRUE(WindowAlive());
            EXPECT_EQ(kv::g_vm->StackDepth(), 0);  // the result went, and nothing else is there
            EXPECT_EQ(kv::g_currentClickableMap->Count(), c.areas);
            EXPECT_TRUE(BoxTexts().empty());
        } else {
            EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.box});
            EXPECT_FALSE(WindowAlive());
        }
    }
}

TEST_F(ClickableMapTest, ThePointerHighlightsWithItsSoundAndAClickChoosesWithItsSound) {
    StartMap(false, 0);
    Picture screen = Screen();
    EXPECT_TRUE(ShowsPart(screen, strip_, 100, 100, 20, 10, 20, 0));  // at rest
    EXPECT_TRUE(ShowsPart(screen, strip_, 200, 100, 20, 10, 0, 10));  // disabled
    MoveMouse(205, 105);  // the disabled area is never hit
    EXPECT_EQ(kv::g_currentClickableMap->hover, -1);
    MoveMouse(320, 110);  // the corner is inside
    EXPECT_TRUE(ShowsPart(LastPresented(), strip_, 300, 100, 20, 10, 40, 20));
    EXPECT_TRUE(Heard(hoverPcm_));
    MoveMouse(100, 100);
    screen = LastPresented();
    EXPECT_TRUE(ShowsPart(screen, strip_, 300, 100, 20, 10, 20, 20));
    EXPECT_TRUE(ShowsPart(screen, strip_, 100, 100, 20, 10, 40, 0));
    Silence();
    TapButton(0);
    EXPECT_TRUE(Heard(clickPcm_));
    EXPECT_TRUE(Chosen(0));
}

TEST_F(ClickableMapTest, UpAndDownSkipDisabledAreasAndADecideTakesTheHighlight) {
    StartMap(false, 1);
    TapKey(key::Up);  // from none to the last
    EXPECT_EQ(kv::g_currentClickableMap->hover, 2);
    TapKey(key::Up);
    EXPECT_EQ(kv::g_currentClickableMap->hover, 0);
    TapKey(key::Up);
    EXPECT_EQ(kv::g_currentClickableMap->hover, 2);
    TapKey(key::Down);
    EXPECT_EQ(kv::g_currentClickableMap->hover, 0);
    TapKey(key::Return);
    EXPECT_TRUE(Chosen(0));
}

TEST_F(ClickableMapTest, UpAndDownWithNothingSelectableLeaveTheRunGoingAndEscCancels) {
    for (const std::string& more : {std::string("calld SetClickableArea 0, 0, 0, 0, 0, 1, 1, 0\n"
                                               "calld SetClickableArea 2, 0, 0, 0, 0, 1, 1, 0\n"),
                                   std::string("calld ClearClickableMap\n")}) {
        SCOPED_TRACE(more);
        Restart();
        StartMap(false, 1, more);
        TapKey(key::Down);
        TapKey(key::Up);
        TapKey(key::Return);
        EXPECT_EQ(Trace().phase, 1u);
        EXPECT_EQ(kv::g_currentClickableMap->hover, -1);
        TapKey(key::Escape);
        EXPECT_TRUE(Chosen(-1));
    }
}

TEST_F(ClickableMapTest, ARightClickRunsRclickOnItsOwnScreenAndTheMapResumes) {
    WriteScript("RCLICK", "calld OpSetCaption \"rclick\"\ncalld ReturnFromRightClickScreen\nret\n");
    StartMap(true, 0);
    const FrameTrace selecting = Trace();
    MoveMouse(110, 105);
    TapButton(1);
    EXPECT_EQ(kv::g_currentClickableMap, &kv::RightClickClickableMap());
    EXPECT_EQ(Trace().opSaveTop, 0);
    ASSERT_TRUE(RunUntilCaption("rclick"));
    Frames(4);
    EXPECT_EQ(Trace(), selecting);
    EXPECT_EQ(kv::g_currentClickableMap, &kv::GameScreenClickableMap());
    // Without the right click allowed it does nothing.
    kv::g_gameState.rightClickEnabled = 0;
    TapButton(1);
    EXPECT_EQ(Trace(), selecting);
    TapButton(0);
    EXPECT_TRUE(Chosen(0));
}

TEST_F(ClickableMapTest, AChipMapShowsTheChipWithTheHighlightAndTakesItAwayAfter) {
    StartMap(true, 1);
    MoveMouse(305, 105);
    Picture screen = LastPresented();
    EXPECT_TRUE(ShowsPart(screen, strip_, 500, 400, 30, 20, 60, 20));
    EXPECT_TRUE(ShowsPart(screen, strip_, 300, 100, 20, 10, 40, 20));
    MoveMouse(50, 50);
    screen = LastPresented();
    EXPECT_TRUE(ShowsPart(screen, background_, 500, 400, 30, 20, 500, 400));
    EXPECT_TRUE(ShowsPart(screen, strip_, 300, 100, 20, 10, 20, 20));
}

TEST_F(ClickableMapTest, AreasDrawUpToTheFirstWithoutAPictureAndNothingWithoutTheLayer) {
    StartMap(false, 1, "calld SetClickableArea 1, 200, 100, -1, 0, 20, 10, 1\n");
    Picture screen = Screen();
    EXPECT_TRUE(ShowsPart(screen, strip_, 100, 100, 20, 10, 20, 0));
    EXPECT_TRUE(ShowsPart(screen, background_, 200, 100, 120, 10, 200, 100));
    Restart();
    StartMap(false, 1, "calld ClearLayer 1\n");
    MoveMouse(105, 105);
    EXPECT_TRUE(ShowsPart(LastPresented(), background_, 0, 0, 800, 600, 0, 0));
    EXPECT_EQ(kv::g_currentClickableMap->hover, 0);
}

TEST_F(ClickableMapTest, AnAreaOutsideTheMapIsAnArgumentError) {
    WriteScript("INIT", "calld SetClickableArea 3, 0, 0, 0, 0, 1, 1, 1\nl: line 1\njmp l\n");
    Start();
    Frames(4);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|Illiegal argments in SetClickableArea()."});
    EXPECT_FALSE(WindowAlive());
}

}  // namespace
