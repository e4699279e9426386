// The one place where each overlay registers its drawing: a part of the engine that draws over
// the scene fills its line here.

#include "script/ops/screen_overlays.h"

#include "graphics/layer_set.h"
#include "script/ops/clickable_map_ops.h"
#include "script/ops/system_button_ops.h"
#include "script/screens/choice_list.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/screens/save_slot_screen.h"

namespace kv {

namespace {

bool MessageWindowHasPage(std::int32_t window) {
    const MessageWindow* found = MessageWindowAt(window);
    return found != nullptr && found->Shown();
}

void RedrawMessageWindowPage(std::int32_t window, std::int32_t limitWidth, std::int32_t limitHeight) {
    if (MessageWindow* found = MessageWindowAt(window)) found->Redraw(limitWidth, limitHeight);
}

void BuildMessageWindowSurfaces(std::int32_t window) {
    if (MessageWindow* found = MessageWindowAt(window)) found->BuildSurfaces();
}

bool AutoModeIconArea(PixelRect& area) {
    const ClickWaitIcon* icon = ClickWaitIconAt(kAutoModeWaitIcon);
    if (icon == nullptr) return false;
    area = icon->Area();
    return true;
}

ScreenOverlays g_overlays = {
    .drawSystemButtons = DrawSystemButtons,
    .drawClickableMap = DrawCurrentClickableMap,
    .drawSaveSlotScreen = DrawSaveSlotScreen,
    .drawChoiceList = DrawChoiceList,
    .messageWindowShown = MessageWindowHasPage,
    .redrawMessageWindow = RedrawMessageWindowPage,
    .replayMessagePage = ReplayMessageWindowPage,
    .buildMessageWindowSurfaces = BuildMessageWindowSurfaces,
    .autoModeIconArea = AutoModeIconArea,
    .setClickableAreaRects = SetCurrentClickableAreaRects,
};

}  // namespace

const ScreenOverlays& Overlays() { return g_overlays; }

ScreenOverlays ReplaceOverlays(const ScreenOverlays& overlays) {
    const ScreenOverlays old = g_overlays;
    g_overlays = overlays;
    return old;
}

LayerPictures FindLayerPictures(LayerSet* layers, std::int32_t layer) {
    LayerPictures found;
    const LayerEntry* entry = layers ? layers->GetLayer(layer) : nullptr;
    if (entry == nullptr) return found;
    if (entry->surface && !entry->surface->IsEmpty()) found.picture = entry->surface.get();
    found.masked = entry->maskIndex >= 0;
    const LayerEntry* mask = found.masked ? layers->GetMaskLayer(entry->maskIndex) : nullptr;
    if (mask != nullptr && mask->surface && !mask->surface->IsEmpty()) found.mask = mask->surface.get();
    return found;
}

void DrawLayerPicture(Surface& target, LayerSet* layers, std::int32_t layer, const PixelRect& area,
                      std::int32_t sourceX, std::int32_t sourceY) {
    const LayerPictures pictures = FindLayerPictures(layers, layer);
    if (pictures.picture == nullptr) return;
    if (pictures.mask) {
        target.MaskBlend(*pictures.picture, area.x, area.y, area.width, area.height, sourceX, sourceY, *pictures.mask);
    } else {
        target.Blit(*pictures.picture, area.x, area.y, area.width, area.height, sourceX, sourceY);
    }
}

}  // namespace kv
