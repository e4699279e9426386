#pragma once
// The row kernels under the blend routines: each computes one row of n bytes, every byte on its
// own with the same integer formula. One set is plain C++ (the reference, and the fallback);
// on x86-64 an SSE2 set is always there and an AVX2 set where the processor has it. The best
// set is chosen once, at the first blend; the sets give the same bytes.
//
// In every formula floor(x / 256) is an arithmetic shift right by 8 (rounding toward minus
// infinity), and clamp(x) holds x within 0 to 255.

#include <cstddef>
#include <cstdint>

namespace kv::blend {

struct RowKernels {
    // out = base + floor((other - base) * mask / 256)
    void (*maskLerp)(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                     const std::uint8_t* mask, std::size_t n);
    // out = base + floor((other - base) * clamp(mask + shift) / 256); shift within -256 to 256
    void (*maskLerpShifted)(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                            const std::uint8_t* mask, std::int32_t shift, std::size_t n);
    // out = b + floor((other - b) * mask / 256) with b = clamp(base + delta); delta within -255 to 255
    void (*maskLerpBrightened)(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                               const std::uint8_t* mask, std::int32_t delta, std::size_t n);
    // out = base + floor((other - base) * alpha / 256); alpha within 0 to 256
    void (*constantLerp)(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other, std::int32_t alpha,
                         std::size_t n);
    // out = clamp(in + delta); delta within -255 to 255; out may be in
    void (*addSaturated)(std::uint8_t* out, const std::uint8_t* in, std::int32_t delta, std::size_t n);
};

enum class KernelPath : std::uint8_t { Scalar, Sse2, Avx2 };

// The kernels of a path, or null when this processor (or this build) has no such path.
const RowKernels* KernelsFor(KernelPath path);
// The best path this processor has.
KernelPath BestKernelPath();
// The kernels every blend uses: the best path unless UseKernelPath chose another.
const RowKernels& ActiveKernels();
KernelPath ActiveKernelPath();
// False, and nothing changed, when the path is not available here.
bool UseKernelPath(KernelPath path);

// The sets themselves (defined by their files; the SIMD ones only on x86-64).
extern const RowKernels kScalarKernels;
extern const RowKernels kSse2Kernels;
extern const RowKernels kAvx2Kernels;

}  // namespace kv::blend
