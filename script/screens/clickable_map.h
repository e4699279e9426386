#pragma once
// A clickable map: areas of the screen drawn from a picture strip (disabled, at rest and
// highlighted frames side by side), one of which the player picks; a chip map adds to each area a
// second picture, the chip, shown elsewhere while the area is highlighted. Two maps live for the
// whole program, one for the game screen and one for the right-click screen, each drawing from
// the layers of its own screen; the current one (g_currentClickableMap) switches with the
// current layer set.

#include <cstdint>
#include <vector>

#include "base/string.h"
#include "graphics/surface.h"

namespace kv {

class LayerSet;
struct ClickableAreaRects;

struct ClickableArea {
    // Every rectangle starts at -1: no picture (srcX < 0) and no chip until one is given.
    std::int32_t x = -1, y = -1;
    std::int32_t hitWidth = -1, hitHeight = -1;  // the area spans x..x + hitWidth, both ends in
    std::int32_t srcX = -1, srcY = -1;           // the strip's first frame; srcX < 0: no picture
    std::int32_t width = -1, height = -1;        // one frame
    std::int32_t chipX = -1, chipY = -1;
    std::int32_t chipHitWidth = -1, chipHitHeight = -1;  // the chip's redraw area
    std::int32_t chipSrcX = -1, chipSrcY = -1;
    std::int32_t chipWidth = -1, chipHeight = -1;  // both -1: no chip
    std::uint8_t enabled = 0;

    PixelRect HitRect() const { return {x, y, hitWidth, hitHeight}; }
    PixelRect ChipArea() const { return {chipX, chipY, chipHitWidth, chipHitHeight}; }
    bool HasPicture() const { return srcX >= 0; }
    bool HasChip() const { return !(chipWidth == -1 && chipHeight == -1); }
    bool Hit(std::int32_t px, std::int32_t py) const {
        return x <= px && px <= x + hitWidth && y <= py && py <= y + hitHeight;
    }
};

class ClickableMap {
public:
    // Frames of the strip.
    static constexpr std::int32_t kDisabled = 0;
    static constexpr std::int32_t kAtRest = 1;
    static constexpr std::int32_t kHighlighted = 2;

    // layers: the global slot of the layer set this map's screen draws from.
    explicit ClickableMap(LayerSet* const* layers) : layers_(layers) {}

    // No areas, no layer, nothing highlighted; the sound channels and names stay.
    void Clear();
    void AllocAreas(std::int32_t n);
    // Clear, and the sounds forgotten too: the map as the program starts with it.
    void Reset();

    std::int32_t Count() const { return static_cast<std::int32_t>(areas_.size()); }
    ClickableArea* Area(std::int32_t index);  // null outside the areas
    const ClickableArea* Area(std::int32_t index) const;
    // Operation 110's four rectangles for one area; false when it is not one of the map's.
    bool SetAreaRects(std::int32_t index, const ClickableAreaRects& rects, bool enabled);

    // Every area in index order, at rest or disabled, up to the first without a picture.
    void Draw(Surface& target) const;
    void DrawArea(Surface& target, std::int32_t index, std::int32_t state) const;
    void DrawChip(Surface& target, std::int32_t index) const;

    std::int32_t layer = -1;  // the picture layer holding the strips; -1: none
    std::int32_t hoverChannel = 0;
    String hoverSound;
    std::int32_t clickChannel = 0;
    String clickSound;
    std::int32_t hover = -1;

private:
    // source's (sourceX, sourceY) onto target's area, through the layer's mask when it has one.
    void DrawPicture(Surface& target, const PixelRect& area, std::int32_t sourceX, std::int32_t sourceY) const;

    LayerSet* const* layers_;
    std::vector<ClickableArea> areas_;
};

// The two maps: the game screen's and the right-click screen's.
ClickableMap& GameScreenClickableMap();
ClickableMap& RightClickClickableMap();

}  // namespace kv
