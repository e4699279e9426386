#pragma once
// One numbered layer of a layer set: the picture it shows (or, in the mask bank, the mask it
// lends), where it lands, which part of the picture is drawn, and how.

#include <cstdint>
#include <memory>

#include "base/string.h"
#include "graphics/surface.h"

namespace kv {

// How a picture layer is drawn (a mask layer is never drawn by itself).
enum LayerDrawMode : std::int32_t {
    kDrawPlain = -1,       // copied, or blended through its mask
    kDrawBrightness = 0,   // brightened by the draw parameter
    kDrawOpacity = 1,      // blended through its mask with the draw parameter as opacity (0-255)
};

struct LayerEntry {
    // A working entry always has a Surface, empty until a picture is loaded; a shown entry has
    // one only while a redraw needs the picture it names and the working entry no longer holds.
    std::unique_ptr<Surface> surface;
    std::int32_t maskIndex = -1;  // into the mask bank; -1: no mask
    std::int32_t x = 0;           // where the layer lands on the screen
    std::int32_t y = 0;
    std::int32_t sourceX = 0;     // the part of the picture that is drawn
    std::int32_t sourceY = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    String name;                  // upper-cased name of the picture loaded; empty: none
    std::int32_t drawMode = kDrawPlain;
    std::int32_t drawParameter = 0;
    std::uint8_t visible = 0;
    std::uint8_t hiddenOnView = 0;  // left out of the scene view and the backlog view
};

}  // namespace kv
