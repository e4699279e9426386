// The hub hands out what a backend installed and stops on what it did not; the event queue takes
// posts from any thread; the window table keeps focus and input as the pump reports them.

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "backend/audio_device.h"
#include "backend/clock_service.h"
#include "backend/event_queue.h"
#include "backend/glyph_service.h"
#include "backend/headless/headless_hub.h"
#include "backend/hub.h"
#include "backend/key_codes.h"
#include "backend/movie_service.h"
#include "backend/posix/system_clock.h"

namespace {

// A queue whose "operating system" has nothing to say.
class QuietQueue final : public backend::EventQueue {
protected:
    void PumpSystemEvents() override {}
};

TEST(HubTest, HandsOutWhatWasInstalledAndStopsOnWhatWasNot) {
    backend::Services services;
    auto clock = std::make_unique<backend::SystemClock>();
    backend::ClockService* installed = clock.get();
    services.clock = std::move(clock);
    backend::Hub hub(std::move(services));
    EXPECT_EQ(&hub.Clock(), installed);
    EXPECT_EQ(hub.Audio(), nullptr);
    EXPECT_EQ(hub.Glyphs(), nullptr);
    EXPECT_EQ(hub.Movies(), nullptr);
    EXPECT_DEATH(hub.Windows(), "no window service");
    EXPECT_DEATH(hub.Files(), "no file service");
}

TEST(EventQueueTest, PostsFromManyThreadsAllArriveInEachThreadsOrder) {
    QuietQueue queue;
    constexpr int kThreads = 4;
    constexpr int kPosts = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&queue, t] {
            for (int i = 0; i < kPosts; ++i)
                queue.PostMessage({static_cast<backend::WindowId>(t + 1), backend::MessageKind::Paint, i, 0, 0});
        });
    }
    for (std::thread& thread : threads) thread.join();
    queue.PostQuitMessage();
    std::vector<int> next(kThreads, 0);
    backend::WindowMessage message;
    int taken = 0;
    while (queue.PeekMessage(message) && message.kind != backend::MessageKind::Quit) {
        const int t = static_cast<int>(message.window) - 1;
        EXPECT_EQ(message.x, next[static_cast<std::size_t>(t)]++);
        ++taken;
    }
    EXPECT_EQ(taken, kThreads * kPosts);
    EXPECT_EQ(message.kind, backend::MessageKind::Quit);
    EXPECT_FALSE(queue.PeekMessage(message));
}

std::vector<backend::MessageKind> g_seen;
std::int32_t RecordingProc(backend::WindowId window, const backend::WindowMessage& message) {
    g_seen.push_back(message.kind);
    return backend::Get().Windows().DefaultWindowProc(window, message);
}

class WindowTableTest : public ::testing::Test {
public:
    void SetUp() override {
        g_seen.clear();
        backend::HeadlessOptions options;
        options.gameFolder = "/tmp";
        auto hub = std::make_unique<backend::HeadlessHub>(options);
        hub_ = hub.get();
        backend::Install(std::move(hub));
        ASSERT_TRUE(hub_->Windows().RegisterWindowClass("T", &RecordingProc, {}));
        window_ = hub_->Windows().CreateWindow("T", "t", backend::WindowStyle::Framed, {0, 0, 100, 100});
        ASSERT_NE(window_, 0u);
    }
    void TearDown() override { backend::Uninstall(); }

    void Pump() {
        backend::WindowMessage message;
        while (hub_->Events().PeekMessage(message)) hub_->Windows().DispatchMessage(message);
    }

    backend::HeadlessHub* hub_ = nullptr;
    backend::WindowId window_ = 0;
};

TEST_F(WindowTableTest, OnlyTheWindowInFrontReadsInputAndLosingTheFrontReleasesIt) {
    std::uint8_t keys[256];
    backend::MouseSnapshot mouse;
    EXPECT_FALSE(hub_->Windows().ReadKeyboard(window_, keys));  // never shown: not in front
    hub_->Windows().ShowWindow(window_);
    hub_->Events().QueueKey(backend::key::Space, true);
    hub_->Events().QueueMouseButton(1, true);
    Pump();
    ASSERT_TRUE(hub_->Windows().ReadKeyboard(window_, keys));
    EXPECT_EQ(keys[backend::key::Space], 0x80);
    hub_->Events().QueueSystemMessage({window_, backend::MessageKind::ActivateApp, 0, 0, 0});
    Pump();
    EXPECT_FALSE(hub_->Windows().ReadMouse(window_, mouse));
    hub_->Events().QueueSystemMessage({window_, backend::MessageKind::ActivateApp, 0, 0, 1});
    Pump();
    ASSERT_TRUE(hub_->Windows().ReadKeyboard(window_, keys));
    ASSERT_TRUE(hub_->Windows().ReadMouse(window_, mouse));
    EXPECT_EQ(keys[backend::key::Space], 0);  // held while away: not held any more
    EXPECT_EQ(mouse.buttons[1], 0);
}

TEST_F(WindowTableTest, AKeyOrButtonTappedBetweenTwoReadsReadsAsDownOnce) {
    hub_->Windows().ShowWindow(window_);
    Pump();
    hub_->Events().QueueKey(backend::key::Return, true);
    hub_->Events().QueueKey(backend::key::Return, false);
    hub_->Events().QueueMouseButton(0, true);
    hub_->Events().QueueMouseButton(0, false);
    Pump();
    std::uint8_t keys[256];
    backend::MouseSnapshot mouse;
    for (int read = 0; read < 2; ++read) {
        const std::uint8_t expectedKey = read == 0 ? 0x80 : 0;
        const std::uint8_t expectedButton = read == 0 ? 1 : 0;
        ASSERT_TRUE(hub_->Windows().ReadKeyboard(window_, keys));
        ASSERT_TRUE(hub_->Windows().ReadMouse(window_, mouse));
        EXPECT_EQ(keys[backend::key::Return], expectedKey) << "read " << read;
        EXPECT_EQ(mouse.buttons[0], expectedButton) << "read " << read;
    }
}

TEST_F(WindowTableTest, KindsTheBackendDoesNotKnowReachTheWindowProcedure) {
    const auto later = static_cast<backend::MessageKind>(1000);
    hub_->Events().PostMessage({window_, later, 0, 0, 0});
    Pump();
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0], later);
    EXPECT_TRUE(hub_->Windows().IsWindow(window_));
}

TEST_F(WindowTableTest, TerminationDestroysEveryWindowAndEndsTheLoop) {
    backend::RequestTermination();
    backend::WindowMessage message;
    EXPECT_FALSE(hub_->Events().PeekMessage(message));  // the procedure posts no quit itself
    EXPECT_FALSE(hub_->Windows().IsWindow(window_));
    EXPECT_EQ(g_seen, std::vector<backend::MessageKind>{backend::MessageKind::Destroy});
    backend::RequestTermination();  // nothing left to destroy: the quit comes at once
    ASSERT_TRUE(hub_->Events().PeekMessage(message));
    EXPECT_EQ(message.kind, backend::MessageKind::Quit);
}

}  // namespace
