#pragma once
// Time: the millisecond tick, the performance counter, sleeping, the wall clock. Everything the
// engine times comes from here, so the headless backend can step a virtual clock.

#include <cstdint>

namespace backend {

struct LocalTime {
    int year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

class ClockService {
public:
    virtual ~ClockService() = default;

    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Milliseconds since an arbitrary start; wraps at 2^32.
    virtual std::uint32_t TickCount() = 0;
    virtual std::int64_t PerformanceCounter() = 0;
    virtual std::int64_t PerformanceFrequency() = 0;  // 0 when there is no such counter
    virtual std::int64_t SecondsSinceEpoch() = 0;
    virtual LocalTime Now() = 0;
};

}  // namespace backend
