#include "script/screens/clickable_map.h"

#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "script/ops/screen_overlays.h"

namespace kv {

namespace {
ClickableMap g_gameScreenMap(&g_gameScreenLayers);
ClickableMap g_rightClickMap(&g_rightClickLayers);
}  // namespace

ClickableMap& GameScreenClickableMap() { return g_gameScreenMap; }
ClickableMap& RightClickClickableMap() { return g_rightClickMap; }

void ClickableMap::Clear() {
    areas_.clear();
    layer = -1;
    hover = -1;
}

void ClickableMap::AllocAreas(std::int32_t n) { areas_.assign(static_cast<std::size_t>(n > 0 ? n : 0), ClickableArea{}); }

void ClickableMap::Reset() {
    Clear();
    hoverChannel = clickChannel = 0;
    hoverSound = String();
    clickSound = String();
}

ClickableArea* ClickableMap::Area(std::int32_t index) {
    if (index < 0 || index >= Count()) return nullptr;
    return &areas_[static_cast<std::size_t>(index)];
}

const ClickableArea* ClickableMap::Area(std::int32_t index) const { return const_cast<ClickableMap*>(this)->Area(index); }

bool ClickableMap::SetAreaRects(std::int32_t index, const ClickableAreaRects& rects, bool enabled) {
    ClickableArea* area = Area(index);
    if (area == nullptr) return false;
    area->x = rects.hit.x;
    area->y = rects.hit.y;
    area->hitWidth = rects.hit.width;
    area->hitHeight = rects.hit.height;
    area->srcX = rects.strip.x;
    area->srcY = rects.strip.y;
    area->width = rects.strip.width;
    area->height = rects.strip.height;
    area->chipX = rects.chipArea.x;
    area->chipY = rects.chipArea.y;
    area->chipHitWidth = rects.chipArea.width;
    area->chipHitHeight = rects.chipArea.height;
    area->chipSrcX = rects.chip.x;
    area->chipSrcY = rects.chip.y;
    area->chipWidth = rects.chip.width;
    area->chipHeight = rects.chip.height;
    area->enabled = enabled ? 1 : 0;
    return true;
}

void ClickableMap::DrawPicture(Surface& target, const PixelRect& area, std::int32_t sourceX,
                               std::int32_t sourceY) const {
    DrawLayerPicture(target, *layers_, layer, area, sourceX, sourceY);
}

void ClickableMap::Draw(Surface& target) const {
    for (std::int32_t i = 0; i < Count(); ++i) {
        const ClickableArea& area = areas_[static_cast<std::size_t>(i)];
        if (!area.HasPicture()) break;
        DrawArea(target, i, area.enabled ? kAtRest : kDisabled);
    }
}

void ClickableMap::DrawArea(Surface& target, std::int32_t index, std::int32_t state) const {
    const ClickableArea* area = Area(index);
    if (area == nullptr || !area->HasPicture()) return;
    DrawPicture(target, {area->x, area->y, area->width, area->height}, area->srcX + state * area->width, area->srcY);
}

void ClickableMap::DrawChip(Surface& target, std::int32_t index) const {
    const ClickableArea* area = Area(index);
    if (area == nullptr || !area->HasChip()) return;
    DrawPicture(target, {area->chipX, area->chipY, area->chipWidth, area->chipHeight}, area->chipSrcX, area->chipSrcY);
}

}  // namespace kv
