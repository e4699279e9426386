#pragma once
// The clickable-map operations: building the current map (68, 107, area by area 71), clearing it
// (69, 108), and the select operations over the map (70, 109 with chips) and over the save/load
// screen's selections (99).

#include <cstdint>

namespace kv {

class Surface;
struct ClickableAreaRects;

// 68 (layer, hover channel, hover sound, click channel, click sound, then x, y, srcX, srcY,
// width, height, enabled for each area, then n, the count of operands before it).
std::uint32_t ReadyToClickableMap();
// 107: as 68 with chipX, chipY, chipSrcX, chipSrcY, chipWidth, chipHeight after each area's
// height.
std::uint32_t ReadyToChipClickableMap();
std::uint32_t ClearClickableMap();        // 69
std::uint32_t ReleaseChipClickableMap();  // 108
// 71 (index, x, y, srcX, srcY, width, height, enabled): one area, raw values.
std::uint32_t SetClickableArea();

// Phases of 70, 99 and 109 (operands: result variable, cancelable).
std::uint32_t ClickableMapSelectReady();    // 147
std::uint32_t ClickableMapSelectRun();      // 148
std::uint32_t ReadyClickableMap();          // 162
std::uint32_t RunClickableMap();            // 163
std::uint32_t ReadyRClickWait();            // 167
std::uint32_t RunClickableMapWithRClick();  // 168

// The screen overlays' entries for the current map: its areas drawn at rest, and operation
// 110's rectangles for one area.
void DrawCurrentClickableMap(Surface& target);
bool SetCurrentClickableAreaRects(std::int32_t area, const ClickableAreaRects& rects, bool enabled);

}  // namespace kv
