#pragma once
// The operations that edit the layers of the current layer set: the banks, the pictures, where
// and how each layer is drawn, the clip rectangle, the effect interval and the brightness. They
// change the working layers only; the scene on screen changes at the next commit
// (script/ops/screen_redraw.h).
//
// A layer or mask-layer index outside its bank, a count that is negative or beyond
// kMaxLayerCount, and a picture name that is not a text are argument errors ("Illiegal
// argments in " + name + "()."): the game ends, as any fatal operand error ends it.

#include <cstdint>

namespace kv {

// More layers than any game needs; larger counts are refused rather than allocated.
inline constexpr std::int32_t kMaxLayerCount = 65536;

// 16 (count): the picture bank freed with its pictures, then count fresh layers (none for 0).
std::uint32_t AllocLayers();
// 17 (count): the same for the mask bank.
std::uint32_t AllocMaskLayers();
// 18 (layer, name): the picture loaded into the layer, unless the layer already holds that
// name (in any letter case). A failed load is reported, and the name is kept all the same.
std::uint32_t LoadLayer();
// 19 (mask layer, name): the same on the mask bank.
std::uint32_t LoadMaskLayer();
// 20 (layer, flag).
std::uint32_t SetLayerVisible();
// 21 (layer, x, y).
std::uint32_t SetLayerPosition();
// 22 (layer, source x, source y, width, height): a negative width or height takes the
// picture's own.
std::uint32_t SetLayerRect();
// 23 (layer, mask layer): -1 for none. The mask layer is looked up when the layer is drawn.
std::uint32_t SetLayerMask();
// 24 (layer, mode, parameter): -1 plain, 0 brightness offset, 1 opacity through the mask.
std::uint32_t SetLayerDrawMode();
// 25 (x, y, width, height).
std::uint32_t SetLayerClipRect();
// 27 (milliseconds): the effect timer starts with that interval; a negative one is an argument
// error (it would hold the effect, and the script with it, for weeks).
std::uint32_t SetGraphicEffectInterval();
// 28 (mode, delta): the shown scene's brightness; mode 0 applies the delta.
std::uint32_t SetBrightness();
// 61 (layer, flag): left out of the scene view (and the backlog view) from the next commit on.
std::uint32_t SetLayerHiddenOnView();
// 106 (layer): its picture freed, its name emptied, hidden and no longer hidden on view.
std::uint32_t ClearLayer();
// 111 (mask layer): its picture freed and its name emptied.
std::uint32_t ClearMaskLayer();
// 127 (layer, width variable, height variable): the size of the layer's picture (0 and 0
// without one) into two A integers.
std::uint32_t GetLayerSize();

}  // namespace kv
