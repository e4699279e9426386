#pragma once
// What the glyph, message and choice scenes share: the drawn picture shown in a real window until
// the window is closed, with the window's client origin printed first so that the check script
// knows where to take its screenshot.

#include <cstdint>
#include <string_view>

#include "graphics/surface.h"

namespace glyphscene {

// 0 when the window was shown and then closed, 1 when it could not be made.
int ShowUntilClosed(const kv::Surface& picture, std::string_view className, std::string_view caption,
                    std::int32_t width, std::int32_t height);

}  // namespace glyphscene
