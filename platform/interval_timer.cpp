#include "platform/interval_timer.h"

#include <limits>

#include "backend/clock_service.h"
#include "backend/hub.h"
#include "platform/tick_time.h"

namespace kv {

namespace {

// interval * frequency / 1000, truncated, without the product overflowing 64 bits.
std::uint64_t CountsForInterval(std::uint32_t intervalMs, std::int64_t frequency) {
    const std::uint64_t perSecond = static_cast<std::uint64_t>(frequency);
    const std::uint64_t whole = perSecond / 1000u;
    const std::uint64_t rest = perSecond % 1000u;
    return static_cast<std::uint64_t>(intervalMs) * whole + static_cast<std::uint64_t>(intervalMs) * rest / 1000u;
}

}  // namespace

IntervalTimer::IntervalTimer() { Start(kDefaultInterval); }

IntervalTimer::~IntervalTimer() { Reset(); }

void IntervalTimer::Start(std::uint32_t intervalMs) {
    frequency_ = 0;
    step_ = 0;
    nextCount_ = 0;
    nextTime_ = 0;
    mode_ = kMillisecondMode;
    interval_ = intervalMs;

    backend::ClockService& clock = backend::Get().Clock();
    const std::int64_t frequency = clock.PerformanceFrequency();
    if (frequency <= 0) {
        nextTime_ = clock.TickCount();
        check_ = &IntervalTimer::CheckTime;
        return;
    }
    frequency_ = frequency;
    mode_ = kCounterMode;
    step_ = CountsForInterval(intervalMs, frequency);
    nextCount_ = clock.PerformanceCounter();
    check_ = &IntervalTimer::CheckCounter;
}

void IntervalTimer::Reset() {
    mode_ = kMillisecondMode;
    frequency_ = 0;
    step_ = 0;
    nextCount_ = 0;
    interval_ = kDefaultInterval;
    nextTime_ = 0;
}

bool IntervalTimer::CheckCounter() {
    const std::int64_t now = backend::Get().Clock().PerformanceCounter();
    if (now <= nextCount_) return false;
    // A step too large for the counter's range means "never again" rather than a wrapped deadline.
    const std::uint64_t room = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max() - now);
    nextCount_ = step_ > room ? std::numeric_limits<std::int64_t>::max() : now + static_cast<std::int64_t>(step_);
    return true;
}

bool IntervalTimer::CheckTime() {
    const std::uint32_t now = backend::Get().Clock().TickCount();
    if (!TickPassed(now, nextTime_)) return false;
    nextTime_ = now + interval_;
    return true;
}

}  // namespace kv
