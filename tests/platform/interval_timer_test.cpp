// The polled interval timer on both clocks: first answers, late polls, truncated steps, and the
// millisecond clock's wrap at 2^32.

#include <gtest/gtest.h>

#include <memory>

#include "backend/headless/headless_hub.h"
#include "platform/interval_timer.h"
#include "backend/clock_service.h"
#include "backend/hub.h"
#include "tests/support/headless_game.h"

namespace {

// Only a clock: a machine with or without a performance counter, set by the test.
class FakeClock final : public backend::ClockService {
public:
    std::uint32_t tick = 0;
    std::int64_t counter = 0;
    std::int64_t frequency = 0;

    void Sleep(std::uint32_t milliseconds) override { tick += milliseconds; }
    std::uint32_t TickCount() override { return tick; }
    std::int64_t PerformanceCounter() override { return counter; }
    std::int64_t PerformanceFrequency() override { return frequency; }
    std::int64_t SecondsSinceEpoch() override { return 0; }
    backend::LocalTime Now() override { return {}; }
};

class ClockTest : public ::testing::Test {
public:
    void SetUp() override {
        backend::Services services;
        auto clock = std::make_unique<FakeClock>();
        clock_ = clock.get();
        services.clock = std::move(clock);
        backend::Install(std::make_unique<backend::Hub>(std::move(services)));
    }
    void TearDown() override { backend::Uninstall(); }
    FakeClock* clock_ = nullptr;
};

TEST_F(ClockTest, WithoutACounterTheTimerRunsOnTheMillisecondClock) {
    clock_->tick = 5000;
    kv::IntervalTimer timer;
    timer.Start(16);
    EXPECT_EQ(timer.GetMode(), kv::IntervalTimer::kMillisecondMode);
    EXPECT_EQ(timer.NextTime(), 5000u);
    EXPECT_FALSE(timer.Check());  // the clock has not moved
    clock_->tick += 1;
    EXPECT_TRUE(timer.Check());   // the start moment was the first deadline
    clock_->tick += 16;
    EXPECT_FALSE(timer.Check());  // 16 ms later is the deadline itself
    clock_->tick += 1;
    EXPECT_TRUE(timer.Check());
    // A long pause gives one answer, not a burst.
    clock_->tick += 10000;
    EXPECT_TRUE(timer.Check());
    EXPECT_FALSE(timer.Check());
    // An interval of 0 answers whenever the clock has moved.
    timer.Start(0);
    ++clock_->tick;
    EXPECT_TRUE(timer.Check());
    EXPECT_FALSE(timer.Check());
}

TEST_F(ClockTest, TheMillisecondClockWrapsWithoutFiringEarlyOrStopping) {
    clock_->tick = 0xFFFFFFF0u;
    kv::IntervalTimer timer;
    timer.Start(16);
    clock_->tick += 1;
    ASSERT_TRUE(timer.Check());  // next deadline 0xFFFFFFF1 + 16 = 1, past the wrap
    EXPECT_EQ(timer.NextTime(), 1u);
    for (std::uint32_t now : {0xFFFFFFF5u, 0xFFFFFFFFu, 0u, 1u}) {
        clock_->tick = now;
        EXPECT_FALSE(timer.Check()) << now;
    }
    clock_->tick = 2;
    EXPECT_TRUE(timer.Check());
    // And a deadline set before the wrap is met after it.
    clock_->tick = 0xFFFFFFFAu;
    timer.Start(10);
    clock_->tick = 0xFFFFFFFBu;
    ASSERT_TRUE(timer.Check());
    clock_->tick = 6;
    EXPECT_TRUE(timer.Check());
}

TEST_F(ClockTest, TheCounterStepIsTruncatedAndNeverOverflows) {
    clock_->frequency = 3579545;
    kv::IntervalTimer timer;
    timer.Start(16);
    EXPECT_EQ(timer.GetMode(), kv::IntervalTimer::kCounterMode);
    EXPECT_EQ(timer.Step(), 57272u);
    // interval x frequency would pass 2^63 here; the step must still be exact.
    clock_->frequency = 4000000000000000;
    timer.Start(5000);
    EXPECT_EQ(timer.Step(), 20000000000000000u);
    clock_->frequency = 1000000;
    timer.Start(0);
    EXPECT_EQ(timer.Step(), 0u);
}

// On the virtual clock of the test hub, started just before the millisecond clock wraps.
class HeadlessClockTest : public kvtest::HeadlessGameTest {};

TEST_F(HeadlessClockTest, TheCounterClockIsUnmovedByTheTickWrap) {
    backend::HeadlessOptions options = DefaultOptions();
    options.startTick = 0xFFFFFFFFu - 20;
    Reinstall(options);
    kv::IntervalTimer timer;
    timer.Start(16);
    ASSERT_EQ(timer.GetMode(), kv::IntervalTimer::kCounterMode);
    int fired = 0;
    // 100 ms in 1 ms polls across the wrap: the start, then every 16 ms after a true (17 ms
    // apart, as the deadline itself does not count).
    for (int ms = 0; ms < 100; ++ms) {
        Os().Clock().AdvanceClock(1);
        if (timer.Check()) ++fired;
    }
    EXPECT_LT(Os().Clock().TickCount(), 100u);  // the tick clock wrapped on the way
    EXPECT_EQ(fired, 6);
}

}  // namespace
