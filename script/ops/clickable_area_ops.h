#pragma once
// Operation 110: the four rectangles and the enabled flag of one area of the current clickable
// map, set in one call.

#include <cstdint>

namespace kv {

struct ClickableAreaRects;

// The hit area and the picture strip of one area, popped in the order the map operations give
// them (height, width, strip y, strip x, hit y, hit x): both share the size.
void PopHitAndStripRects(ClickableAreaRects& rects);

// 110 (area, x1, y1, x2, y2, w1, h1, x3, y3, x4, y4, w2, h2, flag): the hit area (x1, y1, w1,
// h1), the picture strip (x2, y2, w1, h1), the chip's area (x3, y3, w2, h2) and the chip's
// picture (x4, y4, w2, h2). An area that is not one of the map's is an argument error.
std::uint32_t SetClickableAreaRects();

}  // namespace kv
