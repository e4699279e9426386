// The redraws: the scene view, the return from the right-click screen, the full redraw, the
// overlays every path draws (through fakes registered in place of the parts not built yet) and
// the page replay that ends on a window too small for its text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/key_codes.h"
#include "graphics/layer_set.h"
#include "script/ops/op_state.h"
#include "script/ops/page_replay.h"
#include "script/ops/screen_overlays.h"
#include "script/ops/screen_redraw.h"
#include "tests/script/ops/layer_scene_fixture.h"

namespace {

using opstest::Picture;

// Overlays that log their calls and mark work surface 1 where buttons and maps would be.
struct FakeOverlays {
    static std::vector<std::string> calls;
    static std::vector<std::pair<std::int32_t, kv::ClickableAreaRects>> areas;

    static void Mark(kv::Surface& target, std::int32_t x) { target.FillRect24(x, 0, 10, 10, 255, 0, 255); }
    static kv::ScreenOverlays Make() {
        kv::ScreenOverlays overlays;
        overlays.drawSystemButtons = [](kv::Surface& target) { calls.push_back("buttons"); Mark(target, 0); };
        overlays.drawClickableMap = [](kv::Surface& target) { calls.push_back("map"); Mark(target, 10); };
        overlays.drawSaveSlotScreen = [](kv::Surface& target) { calls.push_back("slots"); Mark(target, 20); };
        overlays.drawChoiceList = [] { calls.push_back("choice"); };
        overlays.messageWindowShown = [](std::int32_t window) { return window == 1; };
        overlays.redrawMessageWindow = [](std::int32_t window, std::int32_t width, std::int32_t height) {
            calls.push_back("redraw " + std::to_string(window) + " " + std::to_string(width) + "x" + std::to_string(height));
        };
        overlays.replayMessagePage = [](std::int32_t window) { calls.push_back("replay " + std::to_string(window)); };
        overlays.buildMessageWindowSurfaces = [](std::int32_t window) { calls.push_back("build " + std::to_string(window)); };
        overlays.autoModeIconArea = [](kv::PixelRect& area) {
            area = {100, 100, 20, 10};
            return true;
        };
        overlays.setClickableAreaRects = [](std::int32_t area, const kv::ClickableAreaRects& rects, bool enabled) {
            if (area < 0 || area >= 3) return false;
            areas.emplace_back(area, rects);
            calls.push_back(enabled ? "area enabled" : "area disabled");
            return true;
        };
        return overlays;
    }
};
std::vector<std::string> FakeOverlays::calls;
std::vector<std::pair<std::int32_t, kv::ClickableAreaRects>> FakeOverlays::areas;

class ScreenOpsTest : public opstest::LayerSceneTest {
public:
    void SetUp() override {
        LayerSceneTest::SetUp();
        registered_ = kv::ReplaceOverlays(FakeOverlays::Make());
        FakeOverlays::calls.clear();
        FakeOverlays::areas.clear();
        background_ = WritePattern("BG", 800, 600, 21);
        other_ = WritePattern("OTHER", 800, 600, 22);
        sprite_ = WritePattern("SPR", 50, 40, 23);
    }
    void TearDown() override {
        kv::ReplaceOverlays(registered_);
        LayerSceneTest::TearDown();
    }
    // Starts the script with two message windows of which window 1 is shown.
    void StartWithWindows() {
        Start();
        kv::g_gameState.messageWindowCount = 2;
        Os().Windows().ClearFrames();
    }
    // The scene's opening: BG over the whole screen in layer 1, SPR at (100, 100) in layer 0.
    static std::string Scene() {
        return R"(
            calld CreateDirectInputManager
            calld AllocLayers 2
            calld LoadLayer 1, "bg"
            calld SetLayerRect 1, 0, 0, -1, -1
            calld SetLayerVisible 1, 1
            calld LoadLayer 0, "spr"
            calld SetLayerRect 0, 0, 0, -1, -1
            calld SetLayerPosition 0, 100, 100
            calld SetLayerVisible 0, 1
        )";
    }
    Picture With(const Picture& base, const Picture& sprite) const {
        Picture out = base;
        opstest::DrawReferenceLayer(out, {&sprite, nullptr, 100, 100, 0, 0, sprite.width, sprite.height, -1, 0});
        return out;
    }
    // What the screen shows of a scene: the fakes' marks of the buttons, the map and (unless a
    // full redraw leaves it out) the slot screen over it.
    static Picture Overlaid(Picture scene, bool slots = true) {
        for (std::int32_t x = 0; x < (slots ? 30 : 20); ++x) {
            for (std::int32_t y = 0; y < 10; ++y) {
                scene.At(x, y)[0] = scene.At(x, y)[2] = 255;
                scene.At(x, y)[1] = 0;
            }
        }
        return scene;
    }
    // Runs frames until the operation and phase are current.
    bool RunUntilOperation(std::uint32_t op, std::uint32_t phase) {
        for (int i = 0; i < 100; ++i) {
            if (kv::CurrentOp().operation == op && kv::CurrentOp().phase == phase) return true;
            Frame();
        }
        return false;
    }

    kv::ScreenOverlays registered_;
    Picture background_, other_, sprite_;
};

// Every path that commits or redraws draws the overlays in the one order: buttons, map and
// slot screen into work surface 1 (the full redraws leave the slot screen out), then over the
// screen the choice list or the message windows, as each path has it. Work surface 3 holds the
// scene without overlays after every commit.
TEST_F(ScreenOpsTest, EveryRedrawPathDrawsTheOverlaysInTheirOrder) {
    struct Case {
        const char* what;
        const char* script;   // after the scene
        bool messagesOverEffects;
        bool choiceBusy;
        std::vector<std::string> calls;
    };
    const std::string r = "redraw 1 800x600";
    const Case cases[] = {
        {"at once", "calld StartupGraphicEffect -1, 1", false, false, {"buttons", "map", "slots"}},
        {"at once, messages", "calld StartupGraphicEffect -1, 1", true, false, {"buttons", "map", "slots", r}},
        {"at once, menu", "calld StartupGraphicEffect -1, 1", true, true, {"buttons", "map", "slots", "choice", r}},
        {"effects off", "ref cint[1]\npush 0\nassign\ndiscard\ncalld BindEffectsVar 1\n"
                        "calld StartupGraphicEffect 2, byte 0, 2", true, false, {"buttons", "map", "slots", r}},
        {"effects off, menu", "ref cint[1]\npush 0\nassign\ndiscard\ncalld BindEffectsVar 1\n"
                              "calld StartupGraphicEffect 2, byte 0, 2", true, true, {"buttons", "map", "slots", "choice"}},
        {"scene view", "calld ScreenUpdate", false, false, {"buttons", "map", "slots", r}},
        {"scene view, menu", "calld ScreenUpdate", false, true, {"buttons", "map", "slots", "choice", r}},
        {"right-click return", "calld ReturnFromRightClickScreen", false, false, {"buttons", "map", r}},
        {"right-click return, menu", "calld ReturnFromRightClickScreen", false, true, {"buttons", "map", "choice", r}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        FakeOverlays::calls.clear();
        WriteScript("INIT", Scene() + "calld StartupGraphicEffect -1, 1\ncalld OpSetCaption \"ready\"\n" + c.script +
                                "\ncalld OpSetCaption \"done\"\nl: line 1\njmp l\n");
        StartWithWindows();
        ASSERT_TRUE(RunUntilCaption("ready"));
        FakeOverlays::calls.clear();
        Os().Windows().ClearFrames();
        kv::CurrentOp().flag = c.messagesOverEffects ? 1 : 0;
        kv::g_gameState.choiceMenuShowing = c.choiceBusy ? 1 : 0;
        for (int i = 0; i < 40 && Caption() != "done"; ++i) {
            if (kv::CurrentOp().operation == 60 && kv::CurrentOp().phase == 1) TapButton(0);
            Frame();
        }
        ASSERT_EQ(Caption(), "done");
        EXPECT_EQ(FakeOverlays::calls, c.calls);
        EXPECT_EQ(Os().Windows().Frames().size(), c.script == std::string("calld ScreenUpdate") ? 2u : 1u);
        const Picture scene = With(background_, sprite_);
        EXPECT_TRUE(Copy(*kv::g_workSurface3) == scene);
        EXPECT_TRUE(LastPresented() == Overlaid(scene, c.calls[2] == "slots"));
    }

    // The full redraw, as a load leaves it: the windows' pages are laid out again, or the menu
    // alone is drawn.
    for (bool busy : {false, true}) {
        Restart();
        WriteScript("INIT", Scene() + "calld StartupGraphicEffect -1, 1\ncalld OpSetCaption \"done\"\nl: line 1\njmp l\n");
        StartWithWindows();
        ASSERT_TRUE(RunUntilCaption("done"));
        FakeOverlays::calls.clear();
        kv::g_gameState.choiceMenuShowing = busy ? 1 : 0;
        kv::RedrawScreen();
        EXPECT_EQ(FakeOverlays::calls,
                  (std::vector<std::string>{"buttons", "map", busy ? "choice" : "replay 1"}));
    }
}

// The scene view shows the scene as last shown, without its hidden-on-view layers: pictures
// loaded since are not in it, the layer marked before the last commit is; the player's release
// ends it and the working scene is committed.
TEST_F(ScreenOpsTest, TheSceneViewShowsTheShownSceneUntilAReleaseThenTheNewOne) {
    WriteScript("INIT", Scene() + R"(
        calld SetLayerHiddenOnView 0, 1
        calld StartupGraphicEffect -1, 1
        calld SetLayerHiddenOnView 0, 0
        calld LoadLayer 1, "other"
        calld ScreenUpdate
        calld OpSetCaption "after"
    l:  line 1
        jmp l
    )");
    StartWithWindows();
    ASSERT_TRUE(RunUntilOperation(60, 1));
    std::vector<Picture> frames = PresentedPictures();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[1] == background_);  // the old background, the sprite left out
    EXPECT_EQ(kv::g_currentLayers->GetShownLayer(1)->surface, nullptr);  // its picture freed again
    EXPECT_EQ(FakeOverlays::calls, (std::vector<std::string>{"buttons", "map", "slots"}));  // the commit before

    Os().Events().QueueMouseButton(0, true);
    Frames(5);  // held down: still viewing
    EXPECT_EQ(kv::CurrentOp().phase, 1u);
    Os().Events().QueueMouseButton(0, false);
    ASSERT_TRUE(RunUntilCaption("after", 5));
    EXPECT_TRUE(LastPresented() == Overlaid(With(other_, sprite_)));
    EXPECT_TRUE(Copy(*kv::g_workSurface3) == With(other_, sprite_));

    // Esc and a right-button release end it as well.
    for (int release : {0, 1}) {
        SCOPED_TRACE(release);
        Restart();
        WriteScript("INIT", Scene() + "calld ScreenUpdate\ncalld OpSetCaption \"after\"\nl: line 1\njmp l\n");
        StartWithWindows();
        ASSERT_TRUE(RunUntilOperation(60, 1));
        if (release == 0) TapKey(backend::key::Escape);
        else TapButton(1);
        EXPECT_TRUE(RunUntilCaption("after", 5));
    }
}

// Back from the right-click screen the game screen is drawn as it was left (the pictures its
// shown layers name, loaded again for the redraw and freed after it), and the right-click
// screen's layers are gone.
TEST_F(ScreenOpsTest, TheRightClickScreenReturnsToTheGameScreenAsItWasLeft) {
    UseWaitProbes();
    WriteScript("INIT", Scene() + R"(
        calld StartupGraphicEffect -1, 1
        calld LoadLayer 1, "other"
        calld SetRightClickEnable 1
        calld OpWaitClick 0
        calld OpSetCaption "back"
    l:  line 1
        jmp l
    )");
    WriteScript("RCLICK", R"(
        calld AllocLayers 1
        calld LoadLayer 0, "other"
        calld SetLayerRect 0, 0, 0, -1, -1
        calld SetLayerVisible 0, 1
        calld StartupGraphicEffect -1, 1
        calld OpSetCaption "right-click screen"
        calld ReturnFromRightClickScreen
        ret
    )");
    StartWithWindows();
    ASSERT_TRUE(RunUntilOperation(15, 1));
    TapButton(1);
    ASSERT_TRUE(RunUntilCaption("right-click screen"));
    EXPECT_EQ(kv::g_currentLayers, kv::g_rightClickLayers);
    EXPECT_TRUE(LastPresented() == Overlaid(other_));
    for (int i = 0; i < 20 && Trace().script != "INIT"; ++i) Frame();
    ASSERT_EQ(Trace().script, "INIT");
    EXPECT_EQ(kv::g_currentLayers, kv::g_gameScreenLayers);
    EXPECT_EQ(kv::g_rightClickLayers->LayerCount(), 0);
    EXPECT_TRUE(LastPresented() == Overlaid(With(background_, sprite_), false));
    EXPECT_EQ(kv::g_gameScreenLayers->GetShownLayer(1)->surface, nullptr);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(ScreenOpsTest, AutoModeEndsAndWindowAndAreaOperationsReachTheirParts) {
    WriteScript("INIT", Scene() + R"(
        calld StartupGraphicEffect -1, 1
        calld StartAutoMode
        calld OpSetCaption "auto"
        calld EndAutoMode
        calld RedrawMessageWindow 1, 0
        calld RedrawMessageWindow 0, 0
        calld ResetTextWindow 1
        calld SetClickableAreaRects 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, byte 1
        calld SetClickableAreaRects 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0
        calld OpSetCaption "done"
        calld SetClickableAreaRects 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1
    l:  line 1
        jmp l
    )");
    StartWithWindows();
    ASSERT_TRUE(RunUntilCaption("auto"));
    EXPECT_EQ(kv::g_gameState.autoMode, 1);
    // Something drawn over the icon's place on screen; ending auto mode restores it.
    kv::g_screenSurface->FillRect24(90, 90, 50, 50, 1, 1, 1);
    FakeOverlays::calls.clear();
    Os().Windows().ClearFrames();
    ASSERT_TRUE(RunUntilCaption("done"));
    EXPECT_EQ(kv::g_gameState.autoMode, 0);
    ASSERT_FALSE(Os().Windows().Frames().empty());
    const backend::PresentedFrame& icon = Os().Windows().Frames().front();
    EXPECT_EQ(icon.area.x, 100);
    EXPECT_EQ(icon.area.width, 20);
    EXPECT_EQ(icon.area.height, 10);
    EXPECT_EQ(kv::g_screenSurface->PixelAt(100, 100)[0], kv::g_workSurface1->PixelAt(100, 100)[0]);
    EXPECT_EQ(kv::g_screenSurface->PixelAt(90, 90)[0], 1);
    EXPECT_EQ(Os().Windows().Frames().size(), 3u);  // the icon's area, then each window redraw
    EXPECT_EQ(FakeOverlays::calls, (std::vector<std::string>{"redraw 1 800x600", "build 1", "area enabled",
                                                             "area disabled"}));
    ASSERT_EQ(FakeOverlays::areas.size(), 2u);
    const kv::ClickableAreaRects& rects = FakeOverlays::areas[0].second;
    EXPECT_EQ(FakeOverlays::areas[0].first, 2);
    auto same = [](const kv::PixelRect& a, const kv::PixelRect& b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    };
    EXPECT_TRUE(same(rects.hit, {1, 2, 5, 6}));
    EXPECT_TRUE(same(rects.strip, {3, 4, 5, 6}));
    EXPECT_TRUE(same(rects.chipArea, {7, 8, 11, 12}));
    EXPECT_TRUE(same(rects.chip, {9, 10, 11, 12}));
    Frames(3);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|Illiegal argments in SetClickableAreaRects()."});
}

// A layout that plays a list of Step results, each taking a character or not, then ends.
class ScriptedLayout final : public kv::PageLayout {
public:
    struct Result {
        std::int32_t result;
        bool takes;
    };
    ScriptedLayout(std::vector<Result> results, bool repeatLast) : results_(std::move(results)), repeatLast_(repeatLast) {}
    std::int32_t Step() override {
        if (next_ >= results_.size() && !repeatLast_) return kTextEnd;
        const Result& r = results_[std::min(next_, results_.size() - 1)];
        ++next_;
        if (r.takes) ++position_;
        return r.result;
    }
    std::int32_t NewLine() override { return ++lines_, 0; }
    std::int32_t NewPage() override { return ++pages_, 0; }
    std::int32_t ReadPosition() const override { return position_; }

    std::size_t next_ = 0;
    std::int32_t position_ = 0, lines_ = 0, pages_ = 0;

private:
    std::vector<Result> results_;
    bool repeatLast_;
};

TEST_F(ScreenOpsTest, AReplayEndsOnACharacterThatFitsNowhere) {
    WriteScript("INIT", "l: line 1\njmp l\n");
    StartWithWindows();
    kv::g_workSurface1->FillRect24(0, 0, 800, 600, 10, 20, 30);
    kv::g_screenSurface->FillRect24(0, 0, 800, 600, 0, 0, 0);
    const kv::PixelRect window{200, 400, 300, 100};
    struct Case {
        const char* what;
        std::vector<ScriptedLayout::Result> results;
        bool repeatLast;
        bool ends;
        std::int32_t lines, pages;
    };
    const Case cases[] = {
        {"codes and full lines", {{0, true}, {1, true}, {1, false}, {0, true}, {3, true}, {2, true}, {0, true}}, false,
         true, 2, 1},
        // Refused a few times (an indented line too narrow), then placed at a page's start.
        {"refused, then placed", {{1, false}, {1, false}, {1, false}, {1, false}, {0, true}}, false, true, 4, 0},
        {"no line holds it", {{0, true}, {1, false}}, true, false, kv::kMaxRefusals, 0},
        {"no page holds it", {{3, false}}, true, false, 0, kv::kMaxRefusals},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedLayout layout(c.results, c.repeatLast);
        EXPECT_EQ(kv::ReplayPage(layout, window), c.ends);
        EXPECT_EQ(layout.lines_, c.lines);
        EXPECT_EQ(layout.pages_, c.pages);
    }
    // A new page restores the window's area from the scene under it.
    EXPECT_EQ(kv::g_screenSurface->PixelAt(200, 400)[0], 30);
    EXPECT_EQ(kv::g_screenSurface->PixelAt(499, 499)[0], 30);
    EXPECT_EQ(kv::g_screenSurface->PixelAt(199, 400)[0], 0);
    EXPECT_EQ(kv::g_screenSurface->PixelAt(200, 500)[0], 0);
}

}  // namespace
