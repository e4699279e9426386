// The kernels 16 bytes at a time in SSE2, which every x86-64 processor has. Bytes are worked on
// in 16-bit lanes; the difference of two bytes (-255 to 255) times a weight (0 to 256) is taken
// modulo 65536, and a logical shift right by 8 followed by a byte-wise add of the base byte
// gives exactly base + floor(difference * weight / 256).

#include "graphics/blend_formulas.h"
#include "graphics/blend_kernels.h"

#if defined(__x86_64__)

#include <emmintrin.h>

namespace kv::blend {

namespace {

constexpr std::size_t kGroup = 16;

__m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Even and odd bytes are worked on in place in their 16-bit lanes (a mask and a shift split them,
// an or joins them): no unpack or pack, which all queue for one execution port.
__m128i LowBytes(__m128i v) { return _mm_and_si128(v, _mm_set1_epi16(0x00FF)); }
__m128i HighBytes(__m128i v) { return _mm_srli_epi16(v, 8); }

// base + floor((other - base) * weight / 256) for 16 bytes; the weights are 16-bit words for the
// even and the odd bytes.
__m128i LerpGroup(__m128i base, __m128i other, __m128i weightLow, __m128i weightHigh) {
    const __m128i low = _mm_mullo_epi16(_mm_sub_epi16(LowBytes(other), LowBytes(base)), weightLow);
    const __m128i high = _mm_mullo_epi16(_mm_sub_epi16(HighBytes(other), HighBytes(base)), weightHigh);
    // floor(difference * weight / 256) of each byte, modulo 256, back in its byte.
    const __m128i steps = _mm_or_si128(HighBytes(low), _mm_and_si128(high, _mm_set1_epi16(static_cast<short>(0xFF00))));
    return _mm_add_epi8(base, steps);
}

template <bool kShifted, bool kBrightened>
void MaskLerpGroups(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other, const std::uint8_t* mask,
                    std::int32_t shift, std::int32_t delta, std::size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i shiftWords = _mm_set1_epi16(static_cast<short>(shift));
    const __m128i top = _mm_set1_epi16(255);
    const __m128i up = _mm_set1_epi8(static_cast<char>(delta > 0 ? delta : 0));
    const __m128i down = _mm_set1_epi8(static_cast<char>(delta < 0 ? -delta : 0));
    std::size_t i = 0;
    for (; i + kGroup <= n; i += kGroup) {
        __m128i b = Load(base + i);
        if constexpr (kBrightened) b = _mm_subs_epu8(_mm_adds_epu8(b, up), down);
        const __m128i m = Load(mask + i);
        __m128i weightLow = LowBytes(m);
        __m128i weightHigh = HighBytes(m);
        if constexpr (kShifted) {
            weightLow = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(weightLow, shiftWords), zero), top);
            weightHigh = _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(weightHigh, shiftWords), zero), top);
        }
        Store(out + i, LerpGroup(b, Load(other + i), weightLow, weightHigh));
    }
    MaskLerpScalar(out + i, base + i, other + i, mask + i, kShifted ? shift : 0, kBrightened ? delta : 0, n - i);
}

void MaskLerp(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other, const std::uint8_t* mask,
              std::size_t n) {
    MaskLerpGroups<false, false>(out, base, other, mask, 0, 0, n);
}

void MaskLerpShifted(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other, const std::uint8_t* mask,
                     std::int32_t shift, std::size_t n) {
    MaskLerpGroups<true, false>(out, base, other, mask, shift, 0, n);
}

void MaskLerpBrightened(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                        const std::uint8_t* mask, std::int32_t delta, std::size_t n) {
    MaskLerpGroups<false, true>(out, base, other, mask, 0, delta, n);
}

void ConstantLerp(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other, std::int32_t alpha,
                  std::size_t n) {
    const __m128i weight = _mm_set1_epi16(static_cast<short>(alpha));
    std::size_t i = 0;
    for (; i + kGroup <= n; i += kGroup) Store(out + i, LerpGroup(Load(base + i), Load(other + i), weight, weight));
    ConstantLerpScalar(out + i, base + i, other + i, alpha, n - i);
}

void AddSaturated(std::uint8_t* out, const std::uint8_t* in, std::int32_t delta, std::size_t n) {
    const __m128i up = _mm_set1_epi8(static_cast<char>(delta > 0 ? delta : 0));
    const __m128i down = _mm_set1_epi8(static_cast<char>(delta < 0 ? -delta : 0));
    std::size_t i = 0;
    for (; i + kGroup <= n; i += kGroup) Store(out + i, _mm_subs_epu8(_mm_adds_epu8(Load(in + i), up), down));
    AddSaturatedScalar(out + i, in + i, delta, n - i);
}

}  // namespace

const RowKernels kSse2Kernels = {&MaskLerp, &MaskLerpShifted, &MaskLerpBrightened, &ConstantLerp, &AddSaturated};

}  // namespace kv::blend

#endif
