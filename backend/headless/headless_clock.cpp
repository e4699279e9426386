#include "backend/headless/headless_clock.h"

#include "backend/event_queue.h"

namespace backend {

HeadlessClock::HeadlessClock(std::uint32_t startTick, std::uint64_t sleepLimit)
    : virtualMicros_(static_cast<std::uint64_t>(startTick) * 1000u), startMicros_(virtualMicros_),
      sleepLimit_(sleepLimit) {}

void HeadlessClock::AdvanceClock(std::uint32_t milliseconds) {
    virtualMicros_ += static_cast<std::uint64_t>(milliseconds) * 1000u;
    if (timeFollower_) timeFollower_(virtualMicros_ - startMicros_);
}

void HeadlessClock::Sleep(std::uint32_t milliseconds) {
    ++sleepCalls_;
    AdvanceClock(milliseconds);
    if (sleepHook_) sleepHook_();
    if (sleepLimit_ != 0 && sleepCalls_ == sleepLimit_) {
        sleepLimitReached_ = true;
        RequestTermination();
    }
}

std::uint32_t HeadlessClock::TickCount() { return static_cast<std::uint32_t>(virtualMicros_ / 1000u); }

std::int64_t HeadlessClock::PerformanceCounter() { return static_cast<std::int64_t>(virtualMicros_); }

std::int64_t HeadlessClock::PerformanceFrequency() { return 1000000; }

std::int64_t HeadlessClock::SecondsSinceEpoch() {
    // A fixed date (2026-01-01) plus the virtual clock keeps runs reproducible.
    return 1767225600 + static_cast<std::int64_t>(virtualMicros_ / 1000000u);
}

LocalTime HeadlessClock::Now() {
    const std::uint64_t ms = virtualMicros_ / 1000u;
    LocalTime t{};
    t.year = 2026;
    t.month = 1;
    t.day = 1;
    t.dayOfWeek = 4;
    t.hour = static_cast<int>((ms / 3600000u) % 24u);
    t.minute = static_cast<int>((ms / 60000u) % 60u);
    t.second = static_cast<int>((ms / 1000u) % 60u);
    t.milliseconds = static_cast<int>(ms % 1000u);
    return t;
}

}  // namespace backend
