#pragma once
// The three click-wait icons: small animations that show the player the game waits. Icon 0 is
// shown while a message waits for a click, icon 1 while a choice menu waits, icon 2 while a
// message waits in auto mode. Their frames lie side by side in a picture layer of the game
// screen and are blended onto the screen through that layer's mask.

#include <cstdint>

#include "graphics/surface.h"
#include "platform/interval_timer.h"

namespace kv {

struct ClickWaitIcon {
    std::int32_t layer = -1;  // game-screen picture layer holding the frames; its mask layer masks them
    std::int32_t x = 0, y = 0;
    std::int32_t sourceX = 0, sourceY = 0;  // frame 0 in the layer's picture
    std::int32_t width = 0, height = 0;     // one frame
    std::int32_t frameCount = 0;
    std::int32_t currentFrame = 0;
    IntervalTimer timer;
    bool enabled = false;

    PixelRect Area() const { return PixelRect{x, y, width, height}; }
};

inline constexpr std::int32_t kClickWaitIcons = 3;
inline constexpr std::int32_t kMessageWaitIcon = 0;
inline constexpr std::int32_t kChoiceWaitIcon = 1;
inline constexpr std::int32_t kAutoModeWaitIcon = 2;

// Made with the program's static objects (they need the clock), reset, and destroyed with them.
void ConstructClickWaitIcons();
void DestroyClickWaitIcons();
// Every field of the three records to its first value, the timers reset.
void ResetClickWaitIcons();
// Null outside 0 .. 2 and before the icons are made.
ClickWaitIcon* ClickWaitIconAt(std::int32_t index);

// The current frame moved back onto the strip when its frame count has shrunk.
void KeepFrameInStrip(ClickWaitIcon& icon);
// The next frame, back to 0 after the last; a count of 0 or 1 stays on frame 0.
void NextClickWaitIconFrame(ClickWaitIcon& icon);
// The icon's current frame blended onto the screen surface with its top-left corner at (x, y).
void DrawClickWaitIconFrame(const ClickWaitIcon& icon, std::int32_t x, std::int32_t y);
// The animation step of a waiting operation, once a frame: when the icon is enabled and its
// timer fires, its area is restored from work surface 1, the current frame blended there and
// shown, and the frame advances.
void StepClickWaitIcon(std::int32_t index);
// The icon's area from work surface 1 to the screen and to the window: no frame is left behind
// when the wait ends.
void RestoreClickWaitIconArea(std::int32_t index);

// 89 (icon, flag): the icon drawn or not.
std::uint32_t SetClickWaitIconEnable();
// 90 (icon, layer, x, y, source x, source y, width, height, frame count, interval): the icon's
// picture and pace; its current frame and enabled flag stay.
std::uint32_t DefineClickWaitIcon();

}  // namespace kv
