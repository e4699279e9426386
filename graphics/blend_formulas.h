#pragma once
// The blend formulas on one byte: the reference that every kernel is held to, and the tail loop
// of the SIMD kernels.

#include <algorithm>
#include <cstdint>

namespace kv::blend {

inline std::uint8_t Clamp255(std::int32_t value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

// base + floor((other - base) * weight / 256), with floor an arithmetic shift.
inline std::uint8_t Lerp(std::int32_t base, std::int32_t other, std::int32_t weight) {
    return static_cast<std::uint8_t>(base + (((other - base) * weight) >> 8));
}

inline void MaskLerpScalar(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                           const std::uint8_t* mask, std::int32_t shift, std::int32_t delta, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t b = delta != 0 ? Clamp255(base[i] + delta) : base[i];
        out[i] = Lerp(b, other[i], Clamp255(mask[i] + shift));
    }
}

inline void ConstantLerpScalar(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                               std::int32_t alpha, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = Lerp(base[i], other[i], alpha);
}

inline void AddSaturatedScalar(std::uint8_t* out, const std::uint8_t* in, std::int32_t delta, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = Clamp255(in[i] + delta);
}

}  // namespace kv::blend
