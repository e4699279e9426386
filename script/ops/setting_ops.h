#pragma once
// The player settings: the script binds each setting to a bank-C integer (kept in the common
// data), and its settings screen changes them by assigning those variables; the engine reads
// them where it needs them. Also skip mode, auto mode, the right-click switch and the spare
// setting.

#include <cstdint>

namespace kv {

// 62, 63, 64, 74, 119: the setting's variable index := the operand, unchecked (it is checked
// where it is read).
std::uint32_t BindWindowModeVar();
std::uint32_t BindEffectsVar();
std::uint32_t BindInstantTextVar();
std::uint32_t BindSkipVar();
std::uint32_t BindAutoWaitVar();
// 66: full screen when the window-mode variable is nonzero, else a window; nothing changes when
// the display is already so.
std::uint32_t ApplyWindowMode();
// 73: the right click may call its script when the flag is nonzero.
std::uint32_t SetRightClickEnable();
// 76, 121: skip mode or auto mode on, unless a choice menu is showing.
std::uint32_t StartSkip();
std::uint32_t StartAutoMode();
// 120: stores the value; nothing reads it.
std::uint32_t SetSpareSetting();

}  // namespace kv
