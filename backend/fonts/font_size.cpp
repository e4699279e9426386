#include "backend/fonts/font_size.h"

#include <algorithm>

namespace backend {

std::optional<std::int32_t> PixelsPerEm(std::int32_t height, std::int32_t unitsPerEm, std::int32_t cellUnits) {
    if (height < -kMaxFontPixels || height > kMaxFontPixels) return std::nullopt;
    if (height < 0) return -height;
    if (unitsPerEm <= 0 || cellUnits <= 0) return std::nullopt;
    const std::int64_t cell = height == 0 ? kDefaultCellHeight : height;
    const std::int64_t pixels = (cell * unitsPerEm * 2 + cellUnits) / (2 * static_cast<std::int64_t>(cellUnits));
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(pixels, 1, kMaxFontPixels));
}

}  // namespace backend
