#pragma once
// The real clock: steady time for ticks and the performance counter, the system's wall clock
// and local time zone.

#include <cstdint>

#include "backend/clock_service.h"

namespace backend {

class SystemClock final : public ClockService {
public:
    SystemClock();

    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t TickCount() override;
    std::int64_t PerformanceCounter() override;
    std::int64_t PerformanceFrequency() override;
    std::int64_t SecondsSinceEpoch() override;
    LocalTime Now() override;

private:
    std::int64_t counterStart_ = 0;
};

}  // namespace backend
