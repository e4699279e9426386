#pragma once
// Comparisons on the 32-bit millisecond clock (backend::Platform::TickCount). The clock wraps
// after about 49.7 days; a difference taken modulo 2^32 and read as signed stays right across
// the wrap for spans below 2^31 ms, where a plain unsigned comparison of two readings does not.

#include <cstdint>

namespace kv {

// later - earlier in milliseconds, negative when "later" is in fact earlier.
inline std::int32_t TickDifference(std::uint32_t later, std::uint32_t earlier) {
    return static_cast<std::int32_t>(later - earlier);
}

// now lies strictly after the deadline (now > deadline).
inline bool TickPassed(std::uint32_t now, std::uint32_t deadline) {
    return TickDifference(now, deadline) > 0;
}

}  // namespace kv
