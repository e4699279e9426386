#include "graphics/placement.h"

#include <algorithm>

#include "graphics/surface.h"

namespace kv {

bool ClipPlacement(Placement& placement, const Surface& destination, std::initializer_list<const Surface*> sources) {
    if (placement.width <= 0 || placement.height <= 0) return false;
    // Offsets into the rectangle that every surface can serve, in 64 bits so that no corner
    // a script gives can overflow.
    std::int64_t left = 0, right = placement.width, top = 0, bottom = placement.height;
    auto keepInside = [&](const Surface& surface, std::int64_t cornerX, std::int64_t cornerY) {
        left = std::max(left, -cornerX);
        right = std::min(right, surface.Width() - cornerX);
        top = std::max(top, -cornerY);
        bottom = std::min(bottom, surface.Height() - cornerY);
    };
    keepInside(destination, placement.x, placement.y);
    for (const Surface* source : sources) keepInside(*source, placement.sourceX, placement.sourceY);
    if (right <= left || bottom <= top) return false;
    placement.x = static_cast<std::int32_t>(placement.x + left);
    placement.y = static_cast<std::int32_t>(placement.y + top);
    placement.sourceX = static_cast<std::int32_t>(placement.sourceX + left);
    placement.sourceY = static_cast<std::int32_t>(placement.sourceY + top);
    placement.width = static_cast<std::int32_t>(right - left);
    placement.height = static_cast<std::int32_t>(bottom - top);
    return true;
}

}  // namespace kv
