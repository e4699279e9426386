// The movie service's counted start and the movie player over the headless fake: what Open
// refuses before it reaches the service, what it releases, and what counts as finished.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/globals/globals.h"
#include "backend/movie_service.h"
#include "base/text_utils.h"
#include "platform/com_initializer.h"
#include "platform/game_window.h"
#include "platform/movie_player.h"
#include "tests/support/headless_game.h"

namespace {

using backend::MovieEvent;

class MoviePlayerTest : public kvtest::HeadlessGameTest {
public:
    void SetUp() override {
        kvtest::HeadlessGameTest::SetUp();
        ASSERT_TRUE(kv::Window::RegisterClass("KVRE"));
        ASSERT_TRUE(window_.Create("KVRE", "movie", backend::WindowStyle::Framed, 0, 0, 800, 600));
        WriteFile("op.mpg", std::string_view("any file plays on the fake service"));
    }
    void TearDown() override {
        delete kv::g_comInitializer;
        kv::g_comInitializer = nullptr;
        window_.DestroyHandle();
        kvtest::HeadlessGameTest::TearDown();
    }
    backend::HeadlessMovies& Movies() { return *Os().FakeMovies(); }
    std::string Path(const std::string& name) { return EngineFolder() + name; }

    kv::GameWindow window_;
};

TEST_F(MoviePlayerTest, TheFirstUseStartsTheServiceAndTheLastShutsItDown) {
    EXPECT_EQ(kv::ComUseCount(), 0);
    kv::ComRelease();  // nobody uses it: nothing
    EXPECT_EQ(Movies().Shutdowns(), 0);
    {
        kv::ComInitializer holder;
        EXPECT_EQ(holder.Result(), 0);
        EXPECT_TRUE(holder.Usable());
        EXPECT_TRUE(holder.Init());
        EXPECT_EQ(kv::ComAddRef(), 2);
        EXPECT_EQ(kv::ComUseCount(), 3);
        kv::ComRelease();
        holder.Release();
        EXPECT_EQ(Movies().Starts(), 1);
        EXPECT_EQ(Movies().Shutdowns(), 0);
    }
    EXPECT_EQ(kv::ComUseCount(), 0);
    EXPECT_EQ(Movies().Shutdowns(), 1);

    // A service that cannot start leaves the count at 0 and the holder unusable.
    Movies().FailStart(true);
    kv::ComInitializer failed;
    EXPECT_EQ(failed.Result(), -1);
    EXPECT_FALSE(failed.Usable());
    EXPECT_FALSE(failed.HoldsReference());
    EXPECT_EQ(kv::ComUseCount(), 0);
}

TEST_F(MoviePlayerTest, OpenRefusesBeforeTheServiceWhatCannotBePlayed) {
    kv::MoviePlayer player;
    EXPECT_FALSE(player.Open(Path("op.mpg").c_str(), window_.Handle()));  // no service start held
    kv::g_comInitializer = new kv::ComInitializer();
    // A file that exists but whose path is longer than the service takes.
    const std::string folder(60, 'd');
    const std::string deep = folder + "/" + folder + "/" + folder + "/" + folder + "/" + folder + "/op.mpg";
    WriteFile(deep, std::string_view("x"));
    std::string tooLong = Path(deep);
    for (char& c : tooLong) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(kv::FileExists(tooLong));
    const std::string unconvertible = Path("\x81\x20.mpg");  // a lead byte with no trail
    for (const std::string& path : {Path("missing.mpg"), tooLong, unconvertible}) {
        SCOPED_TRACE(path.size());
        EXPECT_FALSE(player.Open(path.c_str(), window_.Handle()));
        EXPECT_FALSE(player.IsOpened());
        EXPECT_TRUE(player.IsFinished());  // nothing to wait for
    }
    EXPECT_TRUE(Movies().OpenedPaths().empty());
    EXPECT_FALSE(player.Open(Path("op.mpg").c_str(), window_.Handle() + 1));  // no such window
    EXPECT_TRUE(kv::MoviePathFits(std::string(259, 'a')));
    EXPECT_FALSE(kv::MoviePathFits(std::string(260, 'a')));
    std::string kana;
    for (int i = 0; i < 200; ++i) kana += "\x82\xA0";
    EXPECT_TRUE(kv::MoviePathFits(kana));  // a double-byte character is one unit
}

TEST_F(MoviePlayerTest, ThePlayerHoldsOneMovieAndReportsEveryEndAsFinished) {
    kv::g_comInitializer = new kv::ComInitializer();
    kv::MoviePlayer player;
    EXPECT_FALSE(player.Stop());  // before Play: nothing to stop
    ASSERT_TRUE(player.Open(Path("op.mpg").c_str(), window_.Handle()));
    ASSERT_TRUE(player.Open(Path("OP.MPG").c_str(), window_.Handle()));
    EXPECT_EQ(Movies().LiveMovies(), 1);  // the second open released the first
    EXPECT_STREQ(player.File().c_str(), Path("OP.MPG").c_str());
    EXPECT_FALSE(player.Stop());
    ASSERT_TRUE(player.Play());
    EXPECT_FALSE(player.IsFinished());
    for (MovieEvent event : {MovieEvent::ErrorAbort, MovieEvent::UserAbort}) {
        Movies().QueueEvent(event);
        EXPECT_TRUE(player.IsFinished());
    }
    Os().Clock().AdvanceClock(5000);
    EXPECT_TRUE(player.IsFinished());
    EXPECT_FALSE(player.IsFinished());  // one event a call: the end came once
    EXPECT_TRUE(player.Stop());
    EXPECT_FALSE(player.IsPlaying());
    player.Close();
    EXPECT_EQ(Movies().LiveMovies(), 0);
    EXPECT_FALSE(player.IsOpened());
    EXPECT_FALSE(player.Play());
}

}  // namespace
