#include "backend/posix/system_clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace backend {

namespace {

std::int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

SystemClock::SystemClock() : counterStart_(SteadyNanoseconds()) {}

void SystemClock::Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint32_t SystemClock::TickCount() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(SteadyNanoseconds() / 1000000));
}

std::int64_t SystemClock::PerformanceCounter() { return SteadyNanoseconds() - counterStart_; }

std::int64_t SystemClock::PerformanceFrequency() { return 1000000000; }

std::int64_t SystemClock::SecondsSinceEpoch() { return static_cast<std::int64_t>(std::time(nullptr)); }

LocalTime SystemClock::Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_wday, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec,  static_cast<int>(ms)};
}

}  // namespace backend
