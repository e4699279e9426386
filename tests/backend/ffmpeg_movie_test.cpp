// Movies decoded for real on the headless windows, in real time: the pictures cover the window
// while the movie runs and leave with it, a stop holds the movie, pictures still on their way
// when the movie goes show nothing, and the end, a failure or the window's end are events.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "backend/event_queue.h"
#include "backend/movie_service.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "tests/support/headless_game.h"
#include "tests/support/test_movies.h"

namespace {

using backend::MovieEvent;
using Clock = std::chrono::steady_clock;

std::int32_t PassOn(backend::WindowId window, const backend::WindowMessage& message) {
    return backend::Get().Windows().DefaultWindowProc(window, message);
}

class FfmpegMovieTest : public kvtest::HeadlessGameTest {
public:
    void SetUp() override {
        kvtest::HeadlessGameTest::SetUp();
        backend::HeadlessOptions options = DefaultOptions();
        options.realMovies = true;
        options.captureAudio = true;
        Reinstall(options);
        ASSERT_TRUE(Os().Windows().RegisterWindowClass("MOVIE", &PassOn, {}));
        window_ = Os().Windows().CreateWindow("MOVIE", "movie", backend::WindowStyle::Framed,
                                              Os().Windows().OuterRectForClient(backend::WindowStyle::Framed, 200, 150));
        ASSERT_NE(window_, 0u);
        service_ = backend::Get().Movies();
        ASSERT_TRUE(service_->Start());
        for (const char* name : {"bars.mpg", "bars.wmv", "silent.avi"}) WriteFile(name, kvtest::ReadTestMovie(name));
    }
    void TearDown() override {
        service_->Shutdown();
        kvtest::HeadlessGameTest::TearDown();
    }

    std::unique_ptr<backend::Movie> Open(const std::string& name) { return service_->Open(EngineFolder() + name, window_); }
    void Pump() {
        backend::WindowMessage message;
        while (Os().Events().PeekMessage(message)) Os().Windows().DispatchMessage(message);
    }
    // Pumps the messages, as the main loop does, until the movie reports an event or the time is up.
    std::optional<MovieEvent> PlayFor(backend::Movie& movie, std::chrono::milliseconds limit) {
        const Clock::time_point end = Clock::now() + limit;
        while (Clock::now() < end) {
            Pump();
            MovieEvent event;
            if (movie.TakeEvent(event, 4)) return event;
        }
        return std::nullopt;
    }
    std::size_t Overlays() { return Os().Windows().Overlays().size(); }
    int PaintsDispatched() {
        int paints = 0;
        for (const backend::WindowMessage& message : Os().Windows().Dispatched())
            paints += message.kind == backend::MessageKind::Paint ? 1 : 0;
        return paints;
    }

    backend::WindowId window_ = 0;
    backend::MovieService* service_ = nullptr;
};

TEST_F(FfmpegMovieTest, ARunningMovieCoversTheWindowForItsLengthThenLeavesIt) {
    // The device's clock stands still here: the movies with sound go on by the wall clock once
    // the mix has taken none for a while, as the one without sound does from the start.
    for (const char* name : {"bars.mpg", "bars.wmv", "silent.avi"}) {
        SCOPED_TRACE(name);
        Os().Windows().ClearFrames();
        std::unique_ptr<backend::Movie> movie = Open(name);
        ASSERT_NE(movie, nullptr);
        EXPECT_FALSE(PlayFor(*movie, std::chrono::milliseconds(200)));
        EXPECT_FALSE(Os().Windows().OverlayShown(window_));  // nothing before it runs
        const std::size_t overlaysBefore = Overlays();
        const Clock::time_point start = Clock::now();
        ASSERT_TRUE(movie->Run());
        EXPECT_EQ(PlayFor(*movie, std::chrono::seconds(10)), MovieEvent::Complete);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        EXPECT_GT(seconds, kvtest::kBarsSeconds - 0.2);
        EXPECT_LT(seconds, kvtest::kBarsSeconds + 1.5);
        // Most pictures reach the window, scaled to its client area, and show the pattern.
        const std::size_t shown = Overlays() - overlaysBefore;
        EXPECT_GT(shown, static_cast<std::size_t>(kvtest::kBarsPictures / 2));
        const backend::PresentedFrame& middle = Os().Windows().Overlays()[overlaysBefore + shown / 2];
        EXPECT_EQ(middle.width, 200);
        EXPECT_EQ(middle.height, 150);
        EXPECT_TRUE(kvtest::ShowsColourBars(middle.bgr, middle.width, middle.height));
        EXPECT_TRUE(Os().Windows().OverlayShown(window_));
        const int paints = PaintsDispatched();
        movie.reset();
        Pump();
        EXPECT_FALSE(Os().Windows().OverlayShown(window_));
        EXPECT_EQ(PaintsDispatched(), paints + 1);  // the window shows its own picture again
    }
}

// The strength of one frequency in the left channel of 16-bit stereo (Goertzel).
double ToneLevel(const std::vector<std::int16_t>& stereo, double hz) {
    const double step = 2.0 * std::cos(2.0 * M_PI * hz / 44100.0);
    double previous = 0, older = 0;
    for (std::size_t i = 0; i < stereo.size(); i += 2) {
        const double current = stereo[i] + step * previous - older;
        older = previous;
        previous = current;
    }
    return std::sqrt(previous * previous + older * older - step * previous * older) / (stereo.size() / 2.0 + 1.0);
}

TEST_F(FfmpegMovieTest, TheSoundPlaysOnTheAudioDeviceAndThePicturesKeepToIt) {
    std::unique_ptr<backend::Movie> movie = Open("bars.mpg");
    ASSERT_NE(movie, nullptr);
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(movie->Run());
    // The device's time runs apart from the wall clock (20 ms a turn of a few ms): the movie
    // keeps to the device, and ends when two seconds of its sound have played.
    std::optional<MovieEvent> end;
    std::uint32_t deviceMs = 0;
    while (!end && Clock::now() - start < std::chrono::seconds(10)) {
        Os().Clock().AdvanceClock(20);
        deviceMs += 20;
        end = PlayFor(*movie, std::chrono::milliseconds(5));
    }
    EXPECT_EQ(end, MovieEvent::Complete);
    // Never before the sound has played; a loaded machine (or a sanitizer build) may decode
    // late, which only lets the device run on a little past the end.
    EXPECT_GE(deviceMs / 1000.0, kvtest::kBarsSeconds - 0.3);
    EXPECT_LE(deviceMs / 1000.0, kvtest::kBarsSeconds + 1.0);
    // What the device played is the movie's tone.
    const std::vector<std::int16_t>& mix = Os().Audio().Captured();
    ASSERT_GT(mix.size(), static_cast<std::size_t>(44100));
    const double tone = ToneLevel(mix, 440), elsewhere = ToneLevel(mix, 1000);
    EXPECT_GT(tone, 1000.0);
    EXPECT_GT(tone, 20 * elsewhere);
}

TEST_F(FfmpegMovieTest, AStoppedMovieHoldsItsPictureAndGoesOnFromThere) {
    std::unique_ptr<backend::Movie> movie = Open("bars.mpg");
    ASSERT_NE(movie, nullptr);
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(movie->Run());
    EXPECT_FALSE(PlayFor(*movie, std::chrono::milliseconds(500)));
    ASSERT_TRUE(movie->Stop());
    Pump();
    const std::size_t held = Overlays();
    EXPECT_FALSE(PlayFor(*movie, std::chrono::milliseconds(1000)));
    EXPECT_LE(Overlays(), held + 1);  // at most the one already on its way
    ASSERT_TRUE(movie->Run());
    EXPECT_EQ(PlayFor(*movie, std::chrono::seconds(10)), MovieEvent::Complete);
    EXPECT_GT(std::chrono::duration<double>(Clock::now() - start).count(), kvtest::kBarsSeconds + 0.8);
    // A movie at its end that is run again ends again rather than never.
    ASSERT_TRUE(movie->Run());
    EXPECT_EQ(PlayFor(*movie, std::chrono::seconds(1)), MovieEvent::Complete);
}

TEST_F(FfmpegMovieTest, PicturesOnTheirWayWhenTheMovieGoesShowNothing) {
    std::unique_ptr<backend::Movie> movie = Open("bars.mpg");
    ASSERT_NE(movie, nullptr);
    ASSERT_TRUE(movie->Run());
    EXPECT_FALSE(PlayFor(*movie, std::chrono::milliseconds(300)));
    ASSERT_TRUE(Os().Windows().OverlayShown(window_));
    // Pictures become due while nobody pumps; then the movie goes before they are handled.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::size_t before = Overlays();
    movie.reset();
    Pump();
    EXPECT_EQ(Overlays(), before);
    EXPECT_FALSE(Os().Windows().OverlayShown(window_));
}

TEST_F(FfmpegMovieTest, BrokenFilesAndTheWindowsEndAreEventsThatEndTheMovie) {
    // A file damaged after its start plays what it can and then reports its end.
    std::vector<std::uint8_t> bytes = kvtest::ReadTestMovie("bars.mpg");
    for (std::size_t i = bytes.size() / 3; i < bytes.size(); i += 7) bytes[i] = static_cast<std::uint8_t>(i);
    WriteFile("damaged.mpg", bytes);
    std::unique_ptr<backend::Movie> damaged = Open("damaged.mpg");
    ASSERT_NE(damaged, nullptr);
    ASSERT_TRUE(damaged->Run());
    const std::optional<MovieEvent> end = PlayFor(*damaged, std::chrono::seconds(10));
    EXPECT_TRUE(end == MovieEvent::Complete || end == MovieEvent::ErrorAbort);
    damaged.reset();

    std::unique_ptr<backend::Movie> movie = Open("bars.wmv");
    ASSERT_NE(movie, nullptr);
    ASSERT_TRUE(movie->Run());
    EXPECT_FALSE(PlayFor(*movie, std::chrono::milliseconds(200)));
    Os().Windows().DestroyWindow(window_);
    EXPECT_EQ(PlayFor(*movie, std::chrono::milliseconds(100)), MovieEvent::UserAbort);
}

TEST_F(FfmpegMovieTest, NothingOpensWithoutAFileAWindowOrAStartedService) {
    EXPECT_EQ(Open("missing.mpg"), nullptr);
    EXPECT_EQ(service_->Open(EngineFolder() + "bars.mpg", window_ + 100), nullptr);
    service_->Shutdown();
    EXPECT_EQ(Open("bars.mpg"), nullptr);
    ASSERT_TRUE(service_->Start());
    EXPECT_NE(Open("BARS.MPG"), nullptr);  // names match without regard to case, as every path
}

}  // namespace
