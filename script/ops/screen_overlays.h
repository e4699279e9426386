#pragma once
// What other parts of the engine draw over the composed scene, registered in one place
// (screen_overlays.cpp) and drawn by every redraw (script/ops/screen_redraw.h) in one fixed
// order:
//   onto work surface 1, over the layers: the system buttons, the current clickable map, the
//   save-slot screen;
//   onto the screen surface, once work surface 1 has been copied there: the choice list while a
//   choice menu is busy (GameState::choiceMenuShowing), or the shown message windows.
// An entry left empty draws nothing: its part of the engine is not built, or has nothing to say.
//
// Overlays find their pictures by layer index each time they draw (FindLayerPictures): a script
// operation may free any layer at any time, so no overlay keeps a picture's pointer.

#include <cstdint>

#include "graphics/surface.h"

namespace kv {

class LayerSet;

// The four rectangles that operation 110 gives one area of the clickable map, in its slot
// order: the hit area, the picture strip (source corner and frame size), the chip's redraw area
// and the chip's picture (source corner and size).
struct ClickableAreaRects {
    PixelRect hit;
    PixelRect strip;
    PixelRect chipArea;
    PixelRect chip;
};

struct ScreenOverlays {
    // ---- onto work surface 1, in this order ----
    void (*drawSystemButtons)(Surface& target) = nullptr;
    void (*drawClickableMap)(Surface& target) = nullptr;
    void (*drawSaveSlotScreen)(Surface& target) = nullptr;

    // ---- onto the screen surface ----
    // The question and every choice, drawn afresh in the menu's message window; only called
    // while a menu is busy.
    void (*drawChoiceList)() = nullptr;
    // Message windows by index, 0 to GameState::messageWindowCount - 1 (the callers check it).
    // Shown: its page text is not empty.
    bool (*messageWindowShown)(std::int32_t window) = nullptr;
    // Its page blended over the screen surface, cut to the limit size.
    void (*redrawMessageWindow)(std::int32_t window, std::int32_t limitWidth, std::int32_t limitHeight) = nullptr;
    // The full redraw's way: the page text laid out again in a scratch copy of the window
    // (ReplayPage, script/ops/page_replay.h, with the window's area), whose mask then becomes
    // the window's own.
    void (*replayMessagePage)(std::int32_t window) = nullptr;
    // The window's surfaces made again at its size and colours (operation 129).
    void (*buildMessageWindowSurfaces)(std::int32_t window) = nullptr;

    // ---- click-wait icons ----
    // Where click-wait icon 2 (auto mode) is drawn: its position and frame size. False when
    // there is no such icon.
    bool (*autoModeIconArea)(PixelRect& area) = nullptr;

    // ---- the current clickable map ----
    // Operation 110: false (nothing written) when the area is not one of the map's.
    bool (*setClickableAreaRects)(std::int32_t area, const ClickableAreaRects& rects, bool enabled) = nullptr;
};

const ScreenOverlays& Overlays();
// For tests: puts other overlays in place and returns the registered ones; the caller puts
// them back.
ScreenOverlays ReplaceOverlays(const ScreenOverlays& overlays);

// A picture layer's picture and the picture of the mask layer it names, as they are now. A
// picture is null when the layer is outside the bank or holds no picture; masked tells whether
// the layer names a mask at all, mask is null when that mask is missing or empty.
struct LayerPictures {
    const Surface* picture = nullptr;
    const Surface* mask = nullptr;
    bool masked = false;
};
LayerPictures FindLayerPictures(LayerSet* layers, std::int32_t layer);
// The layer's picture at (sourceX, sourceY) drawn onto the target's area, through the picture of
// its mask layer when there is one, else copied.
void DrawLayerPicture(Surface& target, LayerSet* layers, std::int32_t layer, const PixelRect& area,
                      std::int32_t sourceX, std::int32_t sourceY);

}  // namespace kv
