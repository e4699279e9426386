#include "graphics/blend_formulas.h"
#include "graphics/blend_kernels.h"

namespace kv::blend {

namespace {

void MaskLerp(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other, const std::uint8_t* mask,
              std::size_t n) {
    MaskLerpScalar(out, base, other, mask, 0, 0, n);
}

void MaskLerpShifted(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other, const std::uint8_t* mask,
                     std::int32_t shift, std::size_t n) {
    MaskLerpScalar(out, base, other, mask, shift, 0, n);
}

void MaskLerpBrightened(std::uint8_t* out, const std::uint8_t* base, const std::uint8_t* other,
                        const std::uint8_t* mask, std::int32_t delta, std::size_t n) {
    MaskLerpScalar(out, base, other, mask, 0, delta, n);
}

}  // namespace

const RowKernels kScalarKernels = {&MaskLerp, &MaskLerpShifted, &MaskLerpBrightened, &ConstantLerpScalar,
                                   &AddSaturatedScalar};

}  // namespace kv::blend
