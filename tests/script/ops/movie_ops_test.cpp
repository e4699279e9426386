// Operation 101 on the headless backend: its three phases on the virtual clock with the fake
// movie service, the skip by a released decide key or left button, the boxes of a movie that
// cannot be played, the window left inactive, and the real decoder behind the operation.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "backend/event_queue.h"
#include "backend/movie_service.h"
#include "platform/game_window.h"
#include "platform/key_codes.h"
#include "platform/movie_player.h"
#include "script/ops/op_state.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/script_frame_fixture.h"
#include "tests/support/test_movies.h"

namespace {

namespace key = backend::key;

constexpr std::uint32_t kMovieOp = 101;
const std::string kLoadBoxes[] = {
    "error|\x83\x80\x81[\x83r\x81[\x83\x8D\x81[\x83h\x82\xC9\x8E\xB8\x94s inReadyToPlayMovie()",
    "error|This game failed to load a moviefile inReadyToPlayMovie().",
};

class MovieOpsTest : public opstest::ScriptFrameTest {
public:
    void TearDown() override {
        kv::ShutdownGame();
        kv::DestroyStaticObjects();
        opstest::ScriptFrameTest::TearDown();
    }

    // INIT (with or without the input object) plays the movie and then loops on a line marker;
    // returns once the operation stands in phase 0.
    void StartMovie(const std::string& name, bool withInput = true) {
        WriteScript("INIT", std::string(withInput ? "calld CreateDirectInputManager\n" : "") + "call MovieDispatch \"" +
                                name + "\"\nl: line 9\njmp l\n");
        kv::ConstructStaticObjects();
        Start();
        for (int i = 0; i < 30 && !Playing(); ++i) Frame();
        ASSERT_TRUE(Playing());
    }
    void UseRealMovies() {
        backend::HeadlessOptions options = DefaultOptions();
        options.realMovies = true;
        Reinstall(options);
    }
    bool Playing() const { return kv::CurrentOp().operation == kMovieOp; }
    std::uint32_t Phase() const { return kv::CurrentOp().phase; }
    // The operation's result, on top of the value stack once it has finished.
    std::int32_t Result() const { return static_cast<std::int32_t>(kv::g_vm->StackEntry(kv::g_vm->StackTop()).value); }
    backend::HeadlessMovies& Movies() { return *Os().FakeMovies(); }
    bool Overlaid() { return Os().Windows().OverlayShown(kv::g_mainWindow->Handle()); }
};

TEST_F(MovieOpsTest, AMovieThatPlaysToItsEndGivesZeroAndLeavesTheWindowAsItWas) {
    WriteFile("op.mpg", std::string_view("movie"));
    Movies().SetDuration(1000);
    StartMovie("op.mpg");
    Frame();  // phase 0: opened and running
    EXPECT_EQ(Phase(), 1u);
    ASSERT_NE(kv::g_movie, nullptr);
    EXPECT_TRUE(kv::g_movie->IsPlaying());
    EXPECT_EQ(Movies().OpenedPaths(), std::vector<std::string>{EngineFolder() + "op.mpg"});
    EXPECT_TRUE(Overlaid());
    for (int i = 0; i < 2; ++i) {
        Os().Clock().AdvanceClock(400);
        Frame();
        EXPECT_EQ(Phase(), 1u);
    }
    Os().Clock().AdvanceClock(400);
    Frame();  // the end is seen: stopped, phase 2
    EXPECT_EQ(Phase(), 2u);
    EXPECT_FALSE(kv::g_movie->IsPlaying());
    const std::size_t dispatched = Os().Windows().Dispatched().size();
    Frame();  // phase 2: the player goes
    EXPECT_FALSE(Playing());
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(kv::g_movie, nullptr);
    EXPECT_EQ(Movies().LiveMovies(), 0);
    EXPECT_FALSE(Overlaid());
    Pump();  // the window paints its screen again
    ASSERT_GT(Os().Windows().Dispatched().size(), dispatched);
    EXPECT_EQ(Os().Windows().Dispatched().back().kind, backend::MessageKind::Paint);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(MovieOpsTest, AReleasedDecideKeyOrLeftButtonSkipsTheMovieInThatFrame) {
    struct Case {
        bool isKey;
        int code;
        bool heldBefore;  // pressed before the movie started, released during it
    };
    for (const Case c : {Case{true, key::Return, false}, Case{true, key::NumpadEnter, false},
                         Case{true, key::LeftShift, false}, Case{true, key::RightShift, false},
                         Case{false, 0, false}, Case{true, key::Return, true}, Case{false, 0, true}}) {
        SCOPED_TRACE(testing::Message() << (c.isKey ? "key " : "button ") << c.code << (c.heldBefore ? " held" : ""));
        Restart();
        WriteFile("op.mpg", std::string_view("movie"));
        StartMovie("op.mpg");
        auto press = [&](bool down) {
            if (c.isKey)
                Os().Events().QueueKey(static_cast<std::uint8_t>(c.code), down);
            else
                Os().Events().QueueMouseButton(c.code, down);
        };
        if (c.heldBefore) press(true);
        Frame();  // phase 0
        // Neither the right button, the middle one nor Space skips.
        TapButton(1);
        TapButton(2);
        TapKey(key::Space);
        EXPECT_EQ(Phase(), 1u);
        if (!c.heldBefore) {
            press(true);
            Frame();
            EXPECT_EQ(Phase(), 1u);  // a press is no skip
        }
        press(false);
        Frame();
        EXPECT_EQ(Phase(), 2u);
        EXPECT_FALSE(kv::g_movie->IsPlaying());
        Frame();
        EXPECT_EQ(Result(), 1);
        EXPECT_EQ(Movies().LiveMovies(), 0);
    }
}

TEST_F(MovieOpsTest, AMovieThatCannotBePlayedShowsItsBoxesAndGivesZero) {
    struct Case {
        const char* name;
        bool failStart, failRun;
        std::vector<std::string> boxes;
    };
    const std::vector<std::string> loadBoxes(std::begin(kLoadBoxes), std::end(kLoadBoxes));
    for (const Case& c : {Case{"missing.mpg", false, false, loadBoxes}, Case{"op.mpg", true, false, loadBoxes},
                          Case{"op.mpg", false, true, {"error|This game failed to play a movie inReadyToPlayMovie()."}}}) {
        SCOPED_TRACE(testing::Message() << c.name << c.failStart << c.failRun);
        Restart();
        WriteFile("op.mpg", std::string_view("movie"));
        Movies().FailStart(c.failStart);
        Movies().FailRun(c.failRun);
        StartMovie(c.name);
        Frame();
        EXPECT_FALSE(Playing());  // the script goes on
        EXPECT_EQ(Result(), 0);
        EXPECT_EQ(BoxTexts(), c.boxes);
        for (const auto& box : Os().Dialogs().MessageBoxes()) EXPECT_EQ(box.owner, kv::g_mainWindow->Handle());
        EXPECT_EQ(kv::g_movie, nullptr);
        EXPECT_EQ(Movies().LiveMovies(), 0);
        EXPECT_TRUE(WindowAlive());
    }
}

TEST_F(MovieOpsTest, TheNameIsTakenBelowTheGameFolderAsWrittenAndMatchedLikeEveryPath) {
    WriteFile("movies/op.mpg", std::string_view("movie"));
    StartMovie("Movies\\\\OP.Mpg");
    Frame();
    EXPECT_EQ(Phase(), 1u);
    EXPECT_EQ(Movies().OpenedPaths(), std::vector<std::string>{EngineFolder() + "Movies\\OP.Mpg"});
}

TEST_F(MovieOpsTest, WithoutAnInputObjectNothingSkipsAndNoneIsMade) {
    WriteFile("op.mpg", std::string_view("movie"));
    Movies().SetDuration(500);
    StartMovie("op.mpg", false);
    Frame();
    TapButton(0);
    TapKey(key::Return);
    EXPECT_EQ(Phase(), 1u);
    EXPECT_EQ(kv::g_input, nullptr);
    Os().Clock().AdvanceClock(500);
    Frame();
    Frame();
    EXPECT_FALSE(Playing());
    EXPECT_EQ(Result(), 0);
}

TEST_F(MovieOpsTest, TheMovieKeepsItsClockWhileTheWindowIsInactive) {
    WriteFile("op.mpg", std::string_view("movie"));
    Movies().SetDuration(1000);
    StartMovie("op.mpg");
    Frame();
    const backend::WindowId window = kv::g_mainWindow->Handle();
    Os().Events().QueueSystemMessage({window, backend::MessageKind::ActivateApp, 0, 0, 0});
    Os().Clock().AdvanceClock(2000);
    Frames(3);
    EXPECT_EQ(Phase(), 1u);  // no frame work while inactive
    Os().Events().QueueSystemMessage({window, backend::MessageKind::ActivateApp, 0, 0, 1});
    Frame();
    EXPECT_EQ(Phase(), 2u);  // the end came meanwhile
    Frame();
    EXPECT_EQ(Result(), 0);

    // Shut-down while a movie plays lets it go first.
    Restart();
    WriteFile("op.mpg", std::string_view("movie"));
    StartMovie("op.mpg");
    Frame();
    ASSERT_EQ(Movies().LiveMovies(), 1);
    kv::ShutdownGame();
    EXPECT_EQ(Movies().LiveMovies(), 0);
    EXPECT_EQ(kv::g_movie, nullptr);
}

TEST_F(MovieOpsTest, TheRealDecoderPlaysAMovieToItsEndAndRefusesADamagedOne) {
    UseRealMovies();
    WriteFile("bars.mpg", kvtest::ReadTestMovie("bars.mpg"));
    StartMovie("bars.mpg");
    const auto start = std::chrono::steady_clock::now();
    while (Playing() && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        Frame();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(Playing());
    EXPECT_EQ(Result(), 0);
    EXPECT_GT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), kvtest::kBarsSeconds - 0.2);
    ASSERT_FALSE(Os().Windows().Overlays().empty());
    const backend::PresentedFrame& picture = Os().Windows().Overlays().back();
    EXPECT_TRUE(kvtest::ShowsColourBars(picture.bgr, picture.width, picture.height));
    EXPECT_EQ(picture.width, 800);
    EXPECT_FALSE(Overlaid());

    Restart();
    UseRealMovies();
    WriteFile("junk.mpg", std::string(4096, '\x5A'));
    StartMovie("junk.mpg");
    Frame();
    EXPECT_FALSE(Playing());
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(std::begin(kLoadBoxes), std::end(kLoadBoxes)));
}

}  // namespace
