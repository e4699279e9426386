#pragma once
// The system-button operations: the buttons made (54), their picture layer (55), enabled and
// visible flags (56, 57), places and scripts (58), sounds (59), the buttons pressed by Space and
// the wheel (87, 88); and 86, the flag that keeps the message windows over screen effects.

#include <cstdint>

namespace kv {

class Surface;

std::uint32_t CreateSystemButtons();      // 54 (n): n <= 0 keeps the buttons there are
std::uint32_t SetSystemButtonImage();     // 55 (layer): hidden from the scene, the buttons' strip
std::uint32_t SetSystemButtonEnable();    // 56 (button, flag)
std::uint32_t SetSystemButtonVisible();   // 57 (button, flag)
// 58 (button, x, y, source x, source y, width, height, script, key)
std::uint32_t DefineSystemButton();
// 59 (button, hover channel, hover sound, click channel, click sound)
std::uint32_t SetSystemButtonSound();
std::uint32_t SetEffectMessageRedraw();   // 86 (flag)
std::uint32_t SetSystemButtonSpaceKey();  // 87 (button; negative: none)
std::uint32_t SetSystemButtonWheel();     // 88 (button; negative: none)

// The screen overlays' entry: every system button onto the target.
void DrawSystemButtons(Surface& target);

}  // namespace kv
