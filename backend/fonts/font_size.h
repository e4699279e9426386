#pragma once
// How a logical font's height becomes the size a face is scaled to.

#include <cstdint>
#include <optional>

namespace backend {

// Fonts taller than this are refused: a script's wild height must not make a glyph of gigabytes.
inline constexpr std::int32_t kMaxFontPixels = 2048;
// A height of 0 asks for the default: a cell of this many pixels.
inline constexpr std::int32_t kDefaultCellHeight = 16;

// Pixels per em for a logical font height on a face whose em is unitsPerEm font units and whose
// cell (ascent plus descent) is cellUnits: a positive height is the cell height, so the em is
// scaled by height / cell, rounded to the nearest pixel; a negative height is the em itself.
// Nothing for a height beyond kMaxFontPixels or a face without metrics.
std::optional<std::int32_t> PixelsPerEm(std::int32_t height, std::int32_t unitsPerEm, std::int32_t cellUnits);

}  // namespace backend
