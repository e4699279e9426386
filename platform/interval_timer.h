#pragma once
// A polled deadline timer: "has the interval passed since the last time you said yes?". It runs
// on the performance counter, or on the millisecond clock when the machine has no counter. It
// never waits; the owner polls it once per frame and does one step each time it answers true.

#include <cstdint>

namespace kv {

class IntervalTimer {
public:
    enum Mode : std::uint32_t { kCounterMode = 0, kMillisecondMode = 1 };
    static constexpr std::uint32_t kDefaultInterval = 16;

    // Started with the default 16 ms interval.
    IntervalTimer();
    ~IntervalTimer();
    IntervalTimer(const IntervalTimer&) = default;
    IntervalTimer& operator=(const IntervalTimer&) = default;

    // Chooses the clock and makes the start moment the first deadline, so the first poll after
    // the clock has moved answers true.
    void Start(std::uint32_t intervalMs);
    // Clears the fields for a later Start; the chosen check stays.
    void Reset();

    // True when the interval has passed; the next deadline then counts from this moment, so a
    // late poll gives one true, never a burst.
    bool Check() { return (this->*check_)(); }

    Mode GetMode() const { return static_cast<Mode>(mode_); }
    std::int64_t Frequency() const { return frequency_; }
    std::uint64_t Step() const { return step_; }
    std::int64_t NextCount() const { return nextCount_; }
    std::uint32_t Interval() const { return interval_; }
    std::uint32_t NextTime() const { return nextTime_; }

private:
    using CheckFunction = bool (IntervalTimer::*)();
    bool CheckCounter();
    bool CheckTime();

    std::uint32_t mode_ = kMillisecondMode;
    std::int64_t frequency_ = 0;
    std::uint64_t step_ = 0;
    std::int64_t nextCount_ = 0;
    std::uint32_t interval_ = kDefaultInterval;
    std::uint32_t nextTime_ = 0;
    CheckFunction check_ = &IntervalTimer::CheckTime;
};

}  // namespace kv
