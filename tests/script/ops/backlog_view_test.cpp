// The backlog view worked as a player works it: pages turned by keys, wheel and operations, the
// voice icons highlighted by pointer and keys and their voices replayed (the mix captured), the
// view closed, and the message window that a system button left waiting given back its page.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/save/data_set_codec.h"
#include "script/save/data_set_engine.h"
#include "script/save/save_captures.h"
#include "script/screens/backlog_view.h"
#include "script/screens/message_history.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "tests/script/ops/overlay_input_fixture.h"

namespace {

using opstest::Picture;
namespace key = backend::key;

constexpr std::uint32_t kBacklogView = 82;
constexpr std::int32_t kIconSize = 16;

class BacklogViewTest : public opstest::OverlayInputTest {
public:
    void SetUp() override {
        OverlayInputTest::SetUp();
        kv::ConstructStaticObjects();  // the save captures, the click-wait icons
        WriteVariables("NECEMEM.SNI", "aint 4\ncint 4\ncbyte 8\n");
        frame_ = WritePattern("FRAME", 800, 40, 3);
        icon_ = WritePattern("ICON", 2 * kIconSize, kIconSize, 4);
        WritePicture("OPAQUE", Picture(800, 40));  // black: the picture shows whole
        for (const char* voice : {"V0", "V1", "V2"}) {
            voicePcm_.push_back(kvtest::RampPcm(300, 2, static_cast<std::int16_t>(3 + voicePcm_.size() * 4)));
            WriteFile(std::string(voice) + ".WAV", kvtest::MakeWav16(2, 44100, voicePcm_.back()));
        }
    }

    void TearDown() override {
        OverlayInputTest::TearDown();
        kv::DestroyStaticObjects();
    }

    // Window 0 (text 100 high) shows the story; window 1's text area (250 high, at y 310) holds
    // the backlog: two of window 0's pages fit. Layer 2 is the frame along the top, layer 3 the
    // icon strip; both opaque through black masks. Channel 1 replays voices.
    static std::string BacklogSetup() {
        return SceneSetup() + R"(
            calld AllocLayers 4
            calld LoadLayer 0, "BG"
            calld SetLayerRect 0, 0, 0, -1, -1
            calld SetLayerVisible 0, 1
            calld AllocMaskLayers 1
            calld LoadMaskLayer 0, "OPAQUE"
            calld LoadLayer 2, "FRAME"
            calld SetLayerRect 2, 0, 0, -1, -1
            calld SetLayerMask 2, 0
            calld LoadLayer 3, "ICON"
            calld SetLayerMask 3, 0
            calld OpAllocTextWindows 2
            calld SetMessageWindowRects 0, 0, 0, 800, 120, 60, 10, 700, 100
            calld SetMessageWindowRects 1, 40, 300, 720, 280, 60, 310, 700, 250
            calld ResetTextWindow 0
            calld ResetTextWindow 1
            calld SetMessageVoiceChannel 1, 1
            calld SetBacklogWindow 1, 2
            calld SetBacklogVoiceIcon 3, 0, 0, 16, 16
        )" + Commit();
    }

    // INIT sets the scene up, marks "ready", then runs the view once A integer 0 is 1 and marks
    // "closed" after it.
    void RunView(const std::string& setup, const std::vector<kv::HistoryPage>& pages) {
        WriteScript("INIT", setup + R"(
            calld OpSetCaption "ready"
        l:  line 10
            load aint[0]
            push 1
            cmp eq
            jf l
            call BacklogView
            discard
            calld OpSetCaption "closed"
        m:  line 11
            jmp m
        )");
        Start();
        ASSERT_TRUE(RunUntilCaption("ready"));
        for (const kv::HistoryPage& page : pages) {
            for (const kv::HistoryVoice& voice : page.voices) {
                kv::g_messageHistory->AddVoice(voice.x, voice.y, voice.name, voice.volume, voice.pan);
            }
            kv::g_messageHistory->AddHistoryPage(page.window, page.text);
        }
        *kv::g_vm->AInt(0) = 1;
        for (int i = 0; i < 10 && !Viewing(); ++i) Frame();
    }
    void StartView(const std::vector<kv::HistoryPage>& pages) {
        RunView(BacklogSetup(), pages);
        ASSERT_TRUE(Viewing());
        Frame();
        Silence();
    }
    static bool Viewing() { return kv::CurrentOp().operation == kBacklogView; }
    static const kv::BacklogViewState& View() { return kv::BacklogView(); }
    static kv::MessageWindow& Backlog() { return *kv::MessageWindowAt(1); }
    bool IconShows(std::int32_t index, bool highlighted) {
        const kv::PixelRect rect = View().icons.at(static_cast<std::size_t>(index)).rect;
        return ShowsPart(LastPresented(), icon_, rect.x, rect.y, rect.width, rect.height,
                         highlighted ? kIconSize : 0, 0);
    }
    void PointAt(std::int32_t index) {
        const kv::PixelRect rect = View().icons.at(static_cast<std::size_t>(index)).rect;
        MoveMouse(rect.x + rect.width, rect.y + rect.height);  // the far corner counts
    }

    Picture frame_, icon_;
    std::vector<std::vector<std::int16_t>> voicePcm_;
};

// Three pages of window 0, oldest first: the newest has a voice, the one before two.
std::vector<kv::HistoryPage> ThreePages() {
    return {
        {0, "oldest", {}},
        {0, "middle\x01line two", {{60, 0, "V1", 0, 0}, {120, 30, "V2", 0, 0}}},
        {0, "newest", {{60, 0, "V0", 0, 0}}},
    };
}

TEST_F(BacklogViewTest, PagesTurnByKeysWheelAndOperationsWithinTheHistory) {
    StartView(ThreePages());
    EXPECT_EQ(View().pageIndex, 0);
    EXPECT_EQ(View().lastIndex, 1);  // two pages fit
    EXPECT_EQ(Backlog().pageText, "newestmiddle\x01line two");
    EXPECT_TRUE(ShowsPart(LastPresented(), frame_, 0, 0, 800, 40, 0, 0));

    struct Step {
        const char* name;
        std::function<void()> act;
        std::int32_t pageIndex, lastIndex;
        std::string shown;
    };
    const Step steps[] = {
        {"Down at the newest: nothing", [&] { TapKey(key::Down); }, 0, 1, "newestmiddle\x01line two"},
        {"Up: one older", [&] { TapKey(key::Up); }, 1, 3, "middle\x01line twooldest"},
        {"wheel away at the oldest: nothing", [&] { Os().Events().QueueWheel(120); Frame(); }, 1, 3,
         "middle\x01line twooldest"},
        {"wheel toward: one newer", [&] { Os().Events().QueueWheel(-120); Frame(); }, 0, 1, "newestmiddle\x01line two"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_TRUE(Viewing());
        EXPECT_EQ(View().pageIndex, step.pageIndex);
        EXPECT_EQ(View().lastIndex, step.lastIndex);
        EXPECT_EQ(Backlog().pageText, step.shown);
    }
    // The wheel never pressed the wheel's system button (there is none here) nor left the view.
    TapKey(key::Escape);
    Frames(2);
    EXPECT_FALSE(Viewing());
    EXPECT_EQ(Backlog().pageText, "");  // the window held nothing before the view
    EXPECT_TRUE(View().icons.empty());
}

TEST_F(BacklogViewTest, IconsHighlightByPointerAndKeysAndReplayTheirVoice) {
    StartView(ThreePages());
    // Newest page first: V0, then the middle page's V1 and V2.
    ASSERT_EQ(View().icons.size(), 3u);
    const std::int32_t fontHeight = Backlog().FontHeight();
    const kv::PixelRect v2 = View().icons[2].rect;
    EXPECT_EQ(v2.x, 60 - kIconSize);
    EXPECT_EQ(v2.y, 560 - 100 - 100 + 30 + (fontHeight - kIconSize) / 2);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(IconShows(i, false)) << i;

    struct Step {
        const char* name;
        std::function<void()> act;
        std::int32_t highlighted;
    };
    const Step steps[] = {
        {"pointer on V1", [&] { PointAt(1); }, 1},
        {"Right", [&] { TapKey(key::Right); }, 2},
        {"Right past the last", [&] { TapKey(key::Right); }, 0},
        {"Left", [&] { TapKey(key::Left); }, 2},
        {"pointer off every icon", [&] { MoveMouse(400, 100); }, -1},
        {"Left from none", [&] { TapKey(key::Left); }, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(View().highlighted, step.highlighted);
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(IconShows(i, i == step.highlighted)) << i;
    }

    struct Replay {
        std::int32_t icon;
        std::size_t voice;
    };
    for (const Replay replay : {Replay{1, 1}, Replay{0, 0}, Replay{2, 2}}) {
        SCOPED_TRACE(replay.icon);
        PointAt(replay.icon);
        Silence();
        TapButton(0);
        EXPECT_TRUE(Heard(voicePcm_[replay.voice]));
    }
}

TEST_F(BacklogViewTest, PagingForgetsTheHighlightSoNoStaleIconReplays) {
    StartView(ThreePages());
    PointAt(0);  // V0 on the newest page
    ASSERT_EQ(View().highlighted, 0);
    // The pointer stays; Up turns to the older pages, whose first icon is V1 elsewhere.
    Os().Events().QueueKey(key::Up, true);
    Frame();
    Os().Events().QueueKey(key::Up, false);
    Os().Events().QueueMouseButton(0, true);
    Frame();
    Os().Events().QueueMouseButton(0, false);
    Frame();  // the click lands in the frame that turns the page
    EXPECT_EQ(View().pageIndex, 1);
    EXPECT_FALSE(Heard(voicePcm_[0]));
    for (std::size_t i = 0; i < View().icons.size(); ++i) EXPECT_TRUE(IconShows(static_cast<std::int32_t>(i), i == static_cast<std::size_t>(View().highlighted)));
}

TEST_F(BacklogViewTest, OperationsCheckTheirWindowAndLayers) {
    struct Case {
        const char* name;
        const char* line;
        const char* box;
    };
    const Case cases[] = {
        {"no such window", "calld SetBacklogWindow 5, 2", "error|Illiegal argments in SetBacklogWindow()."},
        {"no such frame layer", "calld SetBacklogWindow 1, 9", "error|Illiegal argments in SetBacklogWindow()."},
        {"no such icon layer", "calld SetBacklogVoiceIcon 7, 0, 0, 16, 16",
         "error|Illiegal argments in SetBacklogVoiceIcon()."},
        {"a negative icon size", "calld SetBacklogVoiceIcon 3, 0, 0, -1, 16",
         "error|Illiegal argments in SetBacklogVoiceIcon()."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        WriteScript("INIT", BacklogSetup() + c.line + "\nl: line 9\njmp l\n");
        Start();
        Frames(60);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.box});
    }
}

TEST_F(BacklogViewTest, AViewWithNothingToShowEndsAtOnce) {
    struct Case {
        const char* name;
        std::string setup;
        std::vector<kv::HistoryPage> pages;
    };
    const Case cases[] = {
        {"empty history", BacklogSetup(), {}},
        {"page-break pages only", BacklogSetup(), {{0, "\x03", {}}}},
        {"no backlog window set", SceneSetup() + "calld OpAllocTextWindows 1\n" + Commit(), {{0, "page", {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        RunView(c.setup, c.pages);
        Frames(3);
        EXPECT_FALSE(Viewing());
        EXPECT_EQ(Caption().rfind("closed", 0), 0u) << Caption();
        EXPECT_TRUE(BoxTexts().empty());
    }
}

}  // namespace

namespace {

// A system button (the wheel's) opens the view while a message waits for its click in the
// backlog window itself.
TEST_F(BacklogViewTest, TheWaitingMessageGetsItsPageBackWhenTheViewCloses) {
    WriteScript("INIT", BacklogSetup() + R"(
        calld CreateSystemButtons 1
        calld SetSystemButtonImage 1
        calld DefineSystemButton 0, 700, 10, 0, 0, 20, 10, "LOG", 0x26
        calld SetSystemButtonEnable 0, 1
        calld SetSystemButtonVisible 0, 1
        calld SetSystemButtonWheel 0
        calld SetMessageInstant 1, 1
        call MessageFlow 1, "first\wsecond", 0, 1
        discard
        calld OpSetCaption "done"
    l:  line 9
        jmp l
    )");
    WriteScript("LOG", "call BacklogView\ndiscard\nret\n");
    Start();
    for (int i = 0; i < 300 && !(kv::CurrentOp().operation == 44 && kv::CurrentOp().phase == 2); ++i) Frame();
    ASSERT_EQ(kv::CurrentOp().operation, 44u) << Caption() << ::testing::PrintToString(BoxTexts());
    const std::string waitingText = Backlog().pageText;
    ASSERT_EQ(waitingText, "first\x02");
    kv::g_messageHistory->AddHistoryPage(0, "an older page");

    Os().Events().QueueWheel(120);
    for (int i = 0; i < 10 && !Viewing(); ++i) Frame();
    ASSERT_TRUE(Viewing());
    Frame();
    EXPECT_EQ(Backlog().pageText, "an older page");
    EXPECT_EQ(kv::g_gameState.opSaveTop, 0);
    // A forward turn in the view is the view's own: it does not press the wheel's button again.
    Os().Events().QueueWheel(120);
    Frames(2);
    EXPECT_TRUE(Viewing());
    EXPECT_EQ(kv::g_gameState.opSaveTop, 0);
    // The button's key does press it, but its view does not open over the one beneath.
    TapKey(key::L);
    for (int i = 0; i < 10 && !(Viewing() && kv::g_gameState.opSaveTop == 0); ++i) Frame();
    EXPECT_TRUE(Viewing());
    EXPECT_EQ(kv::g_gameState.opSaveTop, 0);
    EXPECT_EQ(Backlog().pageText, "an older page");

    TapKey(key::Escape);
    for (int i = 0; i < 10 && kv::CurrentOp().operation != 44; ++i) Frame();
    ASSERT_EQ(kv::CurrentOp().operation, 44u);
    EXPECT_EQ(Backlog().pageText, waitingText);
    TapButton(0);
    for (int i = 0; i < 200 && Caption().rfind("done", 0) != 0; ++i) {
        Os().Clock().AdvanceClock(20);
        Frame();
    }
    EXPECT_EQ(Caption().rfind("done", 0), 0u) << Caption();
    EXPECT_EQ(Backlog().pageText, "first\x02second");
}

}  // namespace

namespace {

struct HistoryContents {
    std::vector<kv::HistoryPage> pagesNewestFirst;
    std::vector<kv::HistoryVoice> pending;
    std::int32_t backlogWindow = 0, frameLayer = 0;
    kv::VoiceIconSource icon;
    bool operator==(const HistoryContents&) const = default;
};

HistoryContents Contents(const kv::MessageHistory& history) {
    HistoryContents contents{{}, history.PendingVoices(), history.backlogWindow, history.backlogFrameLayer,
                             history.voiceIcon};
    for (std::int32_t i = 0; i < history.PageCount(); ++i) contents.pagesNewestFirst.push_back(*history.FromNewest(i));
    return contents;
}

kv::DataSetSnapshot EngineSnapshot() {
    kv::CaptureVmState();
    kv::CaptureSystemButtons();
    kv::DataSetSnapshot snapshot;
    kv::GetDataSet(snapshot);
    return snapshot;
}

TEST_F(BacklogViewTest, TheHistoryComesBackWholeFromASavedDataSet) {
    struct Case {
        const char* name;
        int pageCount;
        int voicesPerPage;
        int pendingVoices;
    };
    const Case cases[] = {
        {"empty", 0, 0, 0},
        {"a hundred pages, every voice slot used", 100, 8, 8},
        {"some pages, voices waiting", 7, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        RunView(BacklogSetup(), {});
        kv::MessageHistory& history = *kv::g_messageHistory;
        for (int page = 0; page < c.pageCount; ++page) {
            for (int v = 0; v < c.voicesPerPage; ++v) {
                history.AddVoice(v * 10, page, "VOICE" + std::to_string(page) + "_" + std::to_string(v), -v, v);
            }
            // The longest text a page holds, and pages of both windows.
            history.AddHistoryPage(static_cast<std::uint32_t>(page % 2),
                                   page == 0 ? std::string(1023, 'x') : "page " + std::to_string(page) + "\x01line");
        }
        for (int v = 0; v < c.pendingVoices; ++v) history.AddVoice(v, v, "WAIT" + std::to_string(v), 7, -7);
        const HistoryContents before = Contents(history);
        const std::vector<std::uint8_t> blob = kv::EncodeBlob(EngineSnapshot());

        Restart();
        RunView(BacklogSetup(), {});
        kv::DataSetSnapshot decoded;
        ASSERT_TRUE(kv::DecodeBlob(blob, decoded));
        ASSERT_EQ(decoded.arrays.pages.size(), static_cast<std::size_t>(c.pageCount));
        ASSERT_TRUE(kv::FitsRunningGame(decoded));
        kv::g_messageHistory->Clear();
        kv::g_messageHistory->backlogWindow = -1;
        kv::SetDataSet(decoded);
        EXPECT_EQ(Contents(*kv::g_messageHistory), before);
        EXPECT_EQ(kv::EncodeBlob(EngineSnapshot()), blob);
    }
}

}  // namespace

namespace {

// A page keeps the height of the window it was shown in; a page whose window is gone takes the
// backlog window's own (its whole text area, 250 high).
TEST_F(BacklogViewTest, EachPageTakesItsWindowsHeightOrTheBacklogsWhenItsWindowIsGone) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> windowsOldestFirst;
        std::int32_t lastIndex;
    };
    const Case cases[] = {
        {"two of window 0 fit", {0, 0, 0}, 1},
        {"window 1 fills the area", {0, 0, 1}, 0},
        {"window 7 is gone", {0, 0, 7}, 0},
        {"the highest index", {0, 0xFFFFFFFFu}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        std::vector<kv::HistoryPage> pages;
        for (std::uint32_t window : c.windowsOldestFirst) pages.push_back({window, "w" + std::to_string(window), {}});
        StartView(pages);
        EXPECT_EQ(View().lastIndex, c.lastIndex);
    }
}

// The view shows the scene as last shown, without the layers hidden on view: here a sprite (the
// strip, in layer 0 on top of the background in layer 1).
TEST_F(BacklogViewTest, TheSceneUnderTheViewLeavesOutTheLayersHiddenOnView) {
    RunView(BacklogSetup() + R"(
        calld LoadLayer 1, "BG"
        calld SetLayerRect 1, 0, 0, -1, -1
        calld SetLayerVisible 1, 1
        calld LoadLayer 0, "STRIP"
        calld SetLayerRect 0, 0, 0, -1, -1
        calld SetLayerPosition 0, 300, 100
        calld SetLayerHiddenOnView 0, 1
    )" + Commit(), ThreePages());
    ASSERT_TRUE(Viewing());
    EXPECT_TRUE(ShowsPart(Copy(*kv::g_workSurface1), strip_, 300, 100, 120, 40, 0, 0));
    Frame();
    EXPECT_TRUE(ShowsPart(LastPresented(), background_, 300, 100, 120, 40, 300, 100));
    TapKey(key::Escape);
    Frames(2);
    EXPECT_FALSE(Viewing());
    EXPECT_TRUE(ShowsPart(LastPresented(), strip_, 300, 100, 120, 40, 0, 0));
}

}  // namespace
