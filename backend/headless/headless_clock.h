#pragma once
// The virtual clock: it moves only when the test advances it or the engine sleeps.

#include <cstdint>
#include <functional>

#include "backend/clock_service.h"

namespace backend {

class HeadlessClock final : public ClockService {
public:
    HeadlessClock(std::uint32_t startTick, std::uint64_t sleepLimit);

    // ---- what the test controls ----
    void AdvanceClock(std::uint32_t milliseconds);
    std::uint64_t SleepCalls() const { return sleepCalls_; }
    bool SleepLimitReached() const { return sleepLimitReached_; }
    // Called at every Sleep, after the clock has moved: where a test acts "while the game runs".
    void SetSleepHook(std::function<void()> hook) { sleepHook_ = std::move(hook); }

    // ---- what the hub wires ----
    // Told the virtual time, in microseconds since the clock was made, whenever it moves (the
    // audio device renders up to it).
    void SetTimeFollower(std::function<void(std::uint64_t elapsedMicros)> follower) {
        timeFollower_ = std::move(follower);
    }

    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t TickCount() override;
    std::int64_t PerformanceCounter() override;
    std::int64_t PerformanceFrequency() override;
    std::int64_t SecondsSinceEpoch() override;
    LocalTime Now() override;

private:
    std::uint64_t virtualMicros_ = 0;
    const std::uint64_t startMicros_;
    std::uint64_t sleepLimit_ = 0;
    std::uint64_t sleepCalls_ = 0;
    bool sleepLimitReached_ = false;
    std::function<void()> sleepHook_;
    std::function<void(std::uint64_t)> timeFollower_;
};

}  // namespace backend
