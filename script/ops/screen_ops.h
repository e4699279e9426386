#pragma once
// The operations that only redraw: the scene view, the return from the right-click screen, the
// auto-mode end that takes its icon away, and the message-window redraws.

#include <cstdint>

namespace kv {

// 60, phase 0: the shown scene without its hidden-on-view layers, its overlays and its message
// windows, straight onto the screen.
std::uint32_t ScreenUpdateReady();
// 60, phase 1: until a mouse button, Return, numeric-pad Enter, Space, a Shift key or Esc is
// released.
std::uint32_t ScreenUpdateWait();
// 60, phase 2: the working scene committed and shown with everything over it.
std::uint32_t ScreenUpdateFinish();

// 85: the game screen's layers and clickable map become current again, the right-click screen's
// layers are freed, and the game screen is drawn as it was left.
std::uint32_t ReturnFromRightClickScreen();
// 122: auto mode off, and its click-wait icon taken off the screen.
std::uint32_t EndAutoMode();
// 128 (window, unused): the window drawn over the screen when it is shown, then the screen
// presented.
std::uint32_t RedrawMessageWindow();
// 129 (window): the window's surfaces made again.
std::uint32_t ResetTextWindow();

}  // namespace kv
