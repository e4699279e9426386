// The kernels 32 bytes at a time in AVX2, for processors that have it (chosen at run time). The
// lane arithmetic is that of the SSE2 kernels: 16-bit lanes, products modulo 65536, a logical
// shift right by 8 and a byte-wise add of the base byte. Only the functions marked KV_AVX2 use
// the instructions; the file is compiled for the baseline processor.

#include "graphics/blend_formulas.h"
#include "graphics/blend_kernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#define KV_AVX2 __attribute__((target("avx2")))

namespace kv::blend {

namespace {

constexpr std::size_t kGroup = 32;

KV_AVX2 inline __m256i Load(const std::uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
KV_AVX2 inline void Store(std::uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// Even and odd bytes are worked on in place in their 16-bit lanes (a mask and a shift split them,
// an or joins them), which needs no unpack or pack: those all queue for one execution port.
KV_AVX2 inline __m256i LowBytes(__m256i v) { return _mm256_and_si256(v, _mm256_set1_epi16(0x00FF)); }
KV_AVX2 inline __m256i HighBytes(__m256i v) { return _mm256_srli_epi16(v, 8); }

KV_AVX2 inline __m256i LerpGroup(__m256i base, __m256i other, __m256i weightLow, __m256i weightHigh) {
    const __m256i low = _mm256_mullo_epi16(_mm256_sub_epi16(LowBytes(other), LowBytes(base)), weightLow);
    const __m256i high = _mm256_mullo_epi16(_mm256_sub_epi16(HighBytes(other), HighBytes(base)), weightHigh);
    // floor(difference * weight / 256) of each byte, modulo 256, back in its byte.
    const __m256i steps = _mm256_or_si256(HighBytes(low), _mm256_and_si256(high, _mm256_set1_epi16(static_cast<short>(0xFF00))));
    return _mm256_add_epi8(base, steps);
}

template <bool kShifted, bool kBrightened>
KV_AVX2 void MaskLerpGroups(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                            const std::uint8_t* mask, std::int32_t shift, std::int32_t delta, std::size_t n) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i shiftWords = _mm256_set1_epi16(static_cast<short>(shift));
    const __m256i top = _mm256_set1_epi16(255);
    const __m256i up = _mm256_set1_epi8(static_cast<char>(delta > 0 ? delta : 0));
    const __m256i down = _mm256_set1_epi8(static_cast<char>(delta < 0 ? -delta : 0));
    std::size_t i = 0;
    for (; i + kGroup <= n; i += kGroup) {
        __m256i b = Load(base + i);
        if constexpr (kBrightened) b = _mm256_subs_epu8(_mm256_adds_epu8(b, up), down);
        const __m256i m = Load(mask + i);
        __m256i weightLow = LowBytes(m);
        __m256i weightHigh = HighBytes(m);
        if constexpr (kShifted) {
            weightLow = _mm256_min_epi16(_mm256_max_epi16(_mm256_add_epi16(weightLow, shiftWords), zero), top);
            weightHigh = _mm256_min_epi16(_mm256_max_epi16(_mm256_add_epi16(weightHigh, shiftWords), zero), top);
        }
        Store(out + i, LerpGroup(b, Load(other + i), weightLow, weightHigh));
    }
    MaskLerpScalar(out + i, base + i, other + i, mask + i, kShifted ? shift : 0, kBrightened ? delta : 0, n - i);
}

KV_AVX2 void MaskLerp(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                      const std::uint8_t* mask, std::size_t n) {
    MaskLerpGroups<false, false>(out, base, other, mask, 0, 0, n);
}

KV_AVX2 void MaskLerpShifted(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                             const std::uint8_t* mask, std::int32_t shift, std::size_t n) {
    MaskLerpGroups<true, false>(out, base, other, mask, shift, 0, n);
}

KV_AVX2 void MaskLerpBrightened(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                                const std::uint8_t* mask, std::int32_t delta, std::size_t n) {
    MaskLerpGroups<false, true>(out, base, other, mask, 0, delta, n);
}

KV_AVX2 void ConstantLerp(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other, std::int32_t alpha,
                          std::size_t n) {
    const __m256i weight = _mm256_set1_epi16(static_cast<short>(alpha));
    std::size_t i = 0;
    for (; i + kGroup <= n; i += kGroup) Store(out + i, LerpGroup(Load(base + i), Load(other + i), weight, weight));
    ConstantLerpScalar(out + i, base + i, other + i, alpha, n - i);
}

KV_AVX2 void AddSaturated(std::uint8_t* out, const std::uint8_t* in, std::int32_t delta, std::size_t n) {
    const __m256i up = _mm256_set1_epi8(static_cast<char>(delta > 0 ? delta : 0));
    const __m256i down = _mm256_set1_epi8(static_cast<char>(delta < 0 ? -delta : 0));
    std::size_t i = 0;
    for (; i + kGroup <= n; i += kGroup)
        Store(out + i, _mm256_subs_epu8(_mm256_adds_epu8(Load(in + i), up), down));
    AddSaturatedScalar(out + i, in + i, delta, n - i);
}

}  // namespace

const RowKernels kAvx2Kernels = {&MaskLerp, &MaskLerpShifted, &MaskLerpBrightened, &ConstantLerp, &AddSaturated};

}  // namespace kv::blend

#endif
