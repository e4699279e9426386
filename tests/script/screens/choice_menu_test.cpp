// Operation 79 run by scripts on the headless backend: where the choices lie, picks by mouse and
// keyboard with the history entry they leave, operands that must not open a menu, drawing that
// must stay on the screen and end, interruptions while the menu waits, and a save made there.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "backend/event_queue.h"
#include "backend/window_message.h"
#include "platform/game_window.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/ops/player_hooks.h"
#include "script/ops/screen_redraw.h"
#include "script/screens/choice_list.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/layer_scene_fixture.h"

namespace {

namespace key = backend::key;
using opstest::Picture;

constexpr std::uint32_t kChoiceMenu = 79;

// Window 1: text rectangle (50, 400, 700, 140), font 24, character spacing 2, line spacing 4,
// shadow offset 1; the question is shown at once. Layer 1 holds the cursor's frames, masked by
// mask layer 0 unless NOMASK is in the script. Then the menu (MENU) and its end.
const std::string kScene = R"(
    calld CreateDirectInputManager
    calld CreateSoundChannels 1
    calld OpAllocTextWindows 2
    calld SetMessageWindowRects 1, 40, 390, 720, 160, 50, 400, 700, 140
    calld ResetTextWindow 1
    calld SetMessageSpacing 1, 2, 4
    calld SetMessageInstant 1, 1
    calld AllocLayers 2
    calld LoadLayer 0, "bg"
    calld SetLayerRect 0, 0, 0, -1, -1
    calld SetLayerVisible 0, 1
    calld LoadLayer 1, "icons"
    calld AllocMaskLayers 1
    calld LoadMaskLayer 0, "iconmask"
    calld SetLayerMask 1, 0
    calld StartupGraphicEffect -1, 1
    calld DefineClickWaitIcon 1, 1, 0, 0, 0, 0, 16, 16, 2, 100
    calld SetClickWaitIconEnable 1, 1
    calld MessageFlow 1, "Which way?\n", 0, 1
    MENU
    calld OpSetCaption "picked"
l:  line 1
    jmp l
)";
// The message's read flag is C byte 1.
constexpr const char* kVariables = "aint 4\nastr 2\ncint 4\ncbyte 4\n";
const std::string kThreeChoices = R"(call ChoiceMenu 1, &aint[0], "North", "South", "East", 5
    discard)";

class ChoiceMenuTest : public opstest::LayerSceneTest {
public:
    void SetUp() override {
        LayerSceneTest::SetUp();
        hooks_ = kv::ReplaceHooks(kv::PlayerHooks{
            .processSystemButton = nullptr,
            .addHistoryPage = [](std::int32_t window, std::string_view text) {
                pages_.push_back(std::to_string(window) + ":" + std::string(text));
            },
            .addHistoryVoice = nullptr,
        });
        pages_.clear();
    }
    void TearDown() override {
        kv::ReplaceHooks(hooks_);
        kv::ShutdownGame();
        kv::DestroyStaticObjects();
        LayerSceneTest::TearDown();
    }
    // The scene with the menu lines, run until the menu waits for the player (or the frames run
    // out). The pointer starts off every item.
    void Run(const std::string& menu, const std::string& replace = "", const std::string& with = "") {
        WriteSceneFiles();
        std::string script = kScene;
        script.replace(script.find("MENU"), 4, menu);
        if (!replace.empty()) script.replace(script.find(replace), replace.size(), with);
        // The scene is a script of its own, so that a later run can load a save made in it.
        scene_ = script;
        WriteScript("GAME", scene_);
        WriteScript("INIT", "calld LoadSNX \"GAME\"\n");
        WriteVariables("NECEMEM.SNI", kVariables);
        kv::ConstructStaticObjects();
        Start();
        for (int i = 0; i < 60 && !Waiting() && Caption().rfind("picked") == std::string::npos; ++i) {
            Os().Clock().AdvanceClock(10);
            Frame();
        }
    }
    void WriteSceneFiles() {
        background_ = WritePattern("BG", kScreenWidth, kScreenHeight, 1);
        WritePattern("ICONS", 32, 16, 2);
        WritePattern("ICONMASK", 32, 16, 3);
    }
    static bool Waiting() { return kv::CurrentOp().operation == kChoiceMenu && kv::CurrentOp().phase == 1; }
    bool Picked() { return Caption().rfind("picked", 0) == 0; }
    // The frames from the pick to the script's next line.
    bool FinishPick() {
        for (int i = 0; i < 4 && !Picked(); ++i) Frame();
        return Picked();
    }
    void MoveMouse(std::int32_t x, std::int32_t y) {
        Os().Events().QueueSystemMessage({kv::g_mainWindow->Handle(), backend::MessageKind::MouseMove, x, y, 0});
        Frame();
    }
    static std::int32_t Result() { return *kv::g_vm->AInt(0); }
    static std::vector<std::vector<std::int32_t>> ItemAreas() {
        std::vector<std::vector<std::int32_t>> areas;
        const kv::ChoiceList& list = kv::TheChoiceList();
        for (std::int32_t i = 0; i < list.Count(); ++i) {
            const kv::ChoiceItem& item = *list.GetItem(i);
            areas.push_back({item.x, item.y, item.width, item.height});
        }
        return areas;
    }

    static inline std::vector<std::string> pages_;
    Picture background_;
    std::string scene_;

private:
    kv::PlayerHooks hooks_;
};

TEST_F(ChoiceMenuTest, ItemsLieBelowTheQuestionOneAdvanceInAndTakeTheLinesOfTheirText) {
    // x = 50 + 24 + 2 + 1, width = 700 - 1 - 2 - 24; a line is 25 high, lines 4 apart; the first
    // item starts on the question's next line (400 + 25 + 4).
    struct Case {
        const char* name;
        std::string menu;
        std::vector<std::vector<std::int32_t>> areas;
    };
    const std::vector<Case> cases = {
        {"three one-line choices", kThreeChoices, {{77, 429, 673, 25}, {77, 458, 673, 25}, {77, 487, 673, 25}}},
        {"a line break in a choice", "call ChoiceMenu 1, &aint[0], \"Up\\nthere\", \"Down\", 4\ndiscard",
         {{77, 429, 673, 54}, {77, 487, 673, 25}}},
        {"a choice wider than its line", "call ChoiceMenu 1, &aint[0], \"" + std::string(50, 'w') + "\", \"x\", 4\ndiscard",
         {{77, 429, 673, 54}, {77, 487, 673, 25}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        Run(c.menu);
        ASSERT_TRUE(Waiting());
        EXPECT_EQ(ItemAreas(), c.areas);
        EXPECT_EQ(kv::TheChoiceList().GetSavedText(), "Which way?\x01");
        EXPECT_EQ(kv::g_gameState.choiceMenuShowing, 1);
    }
    // Widths of 0 or less put each character on a line of its own, and no more.
    EXPECT_EQ(kv::CountChoiceLines("abc", 0, 24, 2, 1), 4);
    EXPECT_EQ(kv::CountChoiceLines("", -5, 24, 2, 1), 1);
}

TEST_F(ChoiceMenuTest, ThePlayerPicksWithTheMouseOrTheKeysAndTheHistoryKeepsTheMenu) {
    using Input = std::function<void(ChoiceMenuTest&)>;
    const auto tap = [](std::uint8_t code) { return Input([code](ChoiceMenuTest& t) { t.TapKey(code); }); };
    const auto click = Input([](ChoiceMenuTest& t) { t.TapButton(0); });
    const auto move = [](std::int32_t x, std::int32_t y) { return Input([x, y](ChoiceMenuTest& t) { t.MoveMouse(x, y); }); };
    struct Case {
        const char* name;
        std::vector<Input> inputs;
        std::int32_t picked;
    };
    const std::vector<Case> cases = {
        {"a click on the second item", {move(100, 470), click}, 1},
        {"the item's bottom edge still counts", {move(77, 487 + 25), click}, 2},
        {"Down from nothing is the first", {tap(key::Down), tap(key::Return)}, 0},
        {"Up from nothing is the last", {tap(key::Up), tap(key::LeftShift)}, 2},
        {"Up from the first wraps", {tap(key::Down), tap(key::Up), tap(key::Return)}, 2},
        {"a still pointer keeps the keys' pick", {move(100, 440), tap(key::Down), click}, 1},
        {"a decide with nothing hovered waits", {move(5, 5), click, tap(key::Return), tap(key::Down), tap(key::Return)}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        pages_.clear();
        Run(kThreeChoices, "calld MessageFlow 1", "calld StartAutoMode\ncalld MessageFlow 1");
        ASSERT_TRUE(Waiting());
        EXPECT_EQ(kv::g_gameState.autoMode, 0);  // off while the menu waits
        for (const Input& input : c.inputs) {
            ASSERT_FALSE(Picked());
            input(*this);
        }
        ASSERT_TRUE(FinishPick());
        EXPECT_EQ(Result(), c.picked);
        EXPECT_EQ(pages_, std::vector<std::string>{std::string("1:Which way?\x01North\x01South\x01" "East\x01")});
        EXPECT_EQ(kv::MessageWindowAt(1)->pageText, "");
        EXPECT_EQ(kv::g_gameState.choiceMenuShowing, 0);
        EXPECT_EQ(kv::TheChoiceList().Count(), 0);
        EXPECT_EQ(kv::g_gameState.autoMode, 1);  // back on after the pick
    }
    // A window that keeps no history logs nothing.
    Restart();
    pages_.clear();
    Run(kThreeChoices, "MessageFlow 1", "SetMessageBacklogFlag 1, 0\ncalld MessageFlow 1");
    TapKey(key::Down);
    TapKey(key::Return);
    EXPECT_TRUE(FinishPick());
    EXPECT_TRUE(pages_.empty());
}

TEST_F(ChoiceMenuTest, OperandsThatCannotMakeAMenuEndTheGameAndNoChoiceEndsAtOnce) {
    const std::string illegal = "error|Illiegal argments in ChoiceMenuReady().";
    struct Case {
        const char* name;
        std::string menu;
        std::vector<std::string> boxes;
        std::int32_t result;  // when the script goes on
    };
    const std::vector<Case> cases = {
        {"a window outside the array", "call ChoiceMenu 2, &aint[0], \"a\", 3\ndiscard", {illegal}, 0},
        {"a negative window", "call ChoiceMenu -1, &aint[0], \"a\", 3\ndiscard", {illegal}, 0},
        {"a value for the variable", "call ChoiceMenu 1, 0, \"a\", 3\ndiscard", {illegal}, 0},
        {"a count below two", "call ChoiceMenu 1, &aint[0], 1\ndiscard", {illegal}, 0},
        {"a count past the stack", "call ChoiceMenu 1, &aint[0], \"a\", 40\ndiscard", {illegal}, 0},
        {"no choice at all", "call ChoiceMenu 1, &aint[0], 2\ndiscard", {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        Run(c.menu);
        Frames(3);
        EXPECT_EQ(BoxTexts(), c.boxes);
        EXPECT_EQ(Picked(), c.boxes.empty());
        if (c.boxes.empty()) {
            EXPECT_EQ(Result(), c.result);
        } else {
            EXPECT_FALSE(WindowAlive());
        }
        EXPECT_EQ(kv::TheChoiceList().Count(), 0);
    }
}

TEST_F(ChoiceMenuTest, MenusPastTheScreenOrThePageAreDrawnCutAndEnd) {
    const std::string rects = "40, 390, 720, 160, 50, 400, 700, 140";
    const std::string longChoice = "call ChoiceMenu 1, &aint[0], \"" + std::string(50, 'w') + "\", \"x\", 4\ndiscard";
    struct Case {
        const char* name;
        std::string menu, with;
        std::int32_t pointerX, pointerY, picked;
    };
    const std::vector<Case> cases = {
        // The question's line break turns the page; the last item's highlight and cursor lie
        // partly below the screen's foot.
        {"below the screen", kThreeChoices, "40, 500, 760, 160, 50, 520, 780, 40", 100, 590, 2},
        // A text rectangle one line high: the long choice's second line is past the page.
        {"past the page", longChoice, "40, 390, 720, 160, 50, 400, 700, 24", 100, 470, 1},
        // Windows and items running off the screen's right edge.
        {"past the right edge", kThreeChoices, "700, 390, 400, 160, 710, 400, 400, 140", 790, 470, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        Run(c.menu, rects, c.with);
        ASSERT_TRUE(Waiting());
        MoveMouse(c.pointerX, c.pointerY);
        Os().Clock().AdvanceClock(200);
        Frames(2);
        EXPECT_EQ(kv::TheChoiceList().hoverIndex, c.picked);
        TapButton(0);
        EXPECT_TRUE(FinishPick());
        EXPECT_EQ(Result(), c.picked);
    }

    // A cursor whose layer names no mask draws nothing: the area left of the item keeps the scene.
    Restart();
    Run(kThreeChoices, "calld SetLayerMask 1, 0", "calld SetLayerMask 1, -1");
    MoveMouse(100, 440);
    Os().Clock().AdvanceClock(200);
    Frames(2);
    const Picture screen = Copy(*kv::g_screenSurface);
    for (std::int32_t y = 429 + 4 + 6; y < 429 + 4 + 6 + 16; ++y) {
        EXPECT_TRUE(std::equal(screen.At(77 - 16, y), screen.At(77, y), background_.At(77 - 16, y))) << "row " << y;
    }
    // The hovered item is tinted: blue gains 128 over its area moved down (a pixel of the item's
    // row right of its text, dark in blue); a redraw keeps the tint.
    std::int32_t x = 500;
    while (x < 740 && background_.At(x, 455)[0] >= 120) ++x;
    ASSERT_LT(x, 740);
    EXPECT_NEAR(screen.At(x, 455)[0], background_.At(x, 455)[0] + 128, 1);
    EXPECT_NEAR(screen.At(x, 455)[1], background_.At(x, 455)[1], 1);  // the text's blend
    kv::ShowComposedScene(kv::SceneText::ChoiceThenMessages);  // the page is blended twice there
    EXPECT_NEAR(kv::g_screenSurface->PixelAt(x, 455)[0], background_.At(x, 455)[0] + 128, 3);
    // A redraw that also resets the hover (as a view drawn over the menu does) loses the tint
    // at the next frame, not later.
    kv::TheChoiceList().hoverIndex = -1;
    Frame();
    EXPECT_NEAR(kv::g_screenSurface->PixelAt(x, 455)[0], background_.At(x, 455)[0], 3);
}

TEST_F(ChoiceMenuTest, TheMenuWaitsThroughInterruptionsAndASaveLoadsBackIntoIt) {
    // A right click runs RCLICK; its own menu picks for itself and the waiting menu gets its
    // choices back.
    WriteScript("RCLICK", "call ChoiceMenu 1, &aint[1], \"Stay\", \"Leave\", 4\ndiscard\nret\n");
    Run(kThreeChoices, "calld MessageFlow 1", "calld SetRightClickEnable 1\ncalld MessageFlow 1");
    ASSERT_TRUE(Waiting());
    TapButton(1);
    for (int i = 0; i < 5 && !Waiting(); ++i) Frame();
    ASSERT_TRUE(Waiting());
    EXPECT_EQ(kv::g_gameState.opSaveTop, 0);
    EXPECT_EQ(kv::TheChoiceList().GetItem(0)->text, "Stay");
    TapKey(key::Up);
    TapKey(key::Return);
    for (int i = 0; i < 5 && kv::g_gameState.opSaveTop >= 0; ++i) Frame();
    EXPECT_EQ(*kv::g_vm->AInt(1), 1);
    ASSERT_TRUE(Waiting());
    EXPECT_EQ(kv::TheChoiceList().GetItem(2)->text, "East");
    EXPECT_EQ(kv::g_gameState.choiceMenuShowing, 1);
    TapKey(key::Down);
    TapKey(key::Return);
    EXPECT_TRUE(FinishPick());
    EXPECT_EQ(Result(), 0);

    // Without an RCLICK script the click is not taken: a box, and the menu waits on.
    Restart();
    Run(kThreeChoices, "calld MessageFlow 1", "calld SetRightClickEnable 1\ncalld MessageFlow 1");
    TapButton(1);
    Frame();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"error|RCLICK.SNX is not found.",
                                                    "error|This game failed to call SNX-file in ReadyToJumpRClickProcess()."}));
    EXPECT_TRUE(Waiting());
    EXPECT_EQ(kv::g_gameState.opSaveTop, -1);

    // A save made from the right click loads into a fresh run waiting in the same menu.
    Restart();
    MakeFolder("sav");
    WriteScript("RCLICK", "calld Save 1\nret\n");
    Run(kThreeChoices, "calld MessageFlow 1", "calld SetRightClickEnable 1\ncalld MessageFlow 1");
    TapButton(1);
    for (int i = 0; i < 6 && kv::g_gameState.opSaveTop >= 0; ++i) Frame();
    ASSERT_TRUE(Waiting());
    const std::vector<std::vector<std::int32_t>> areas = ItemAreas();
    std::ifstream in(folder_ + "/sav/SAVE01.KVR", std::ios::binary);
    const std::vector<std::uint8_t> save((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(save.empty());
    const std::string scene = scene_;
    Restart();
    MakeFolder("sav");
    WriteFile("sav/SAVE01.KVR", save);
    WriteSceneFiles();
    WriteScript("GAME", scene);
    WriteVariables("NECEMEM.SNI", kVariables);
    WriteScript("INIT", "calld CreateDirectInputManager\ncalld CreateSoundChannels 1\ncalld LoadDispatch 1\nl: line 1\njmp l\n");
    kv::ConstructStaticObjects();
    Start();
    for (int i = 0; i < 10 && !Waiting(); ++i) Frame();
    ASSERT_TRUE(Waiting());
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(ItemAreas(), areas);
    EXPECT_EQ(kv::TheChoiceList().WindowIndex(), 1);
    EXPECT_EQ(kv::g_gameState.choiceMenuShowing, 1);
    EXPECT_EQ(kv::MessageWindowAt(1)->pageText, "Which way?\x01NorthSouthEast");  // drawn again
    MoveMouse(100, 500);
    TapButton(0);
    EXPECT_TRUE(FinishPick());
    EXPECT_EQ(Result(), 2);
}

}  // namespace
