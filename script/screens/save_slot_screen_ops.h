#pragma once
// The script operations of the save and load slot screen: describing it (97, over three
// frames), redefining one selection (100) and releasing it (98). Operation 99 runs it
// (script/ops/clickable_map_ops.h).

#include <cstdint>

namespace kv {

// 97, phase 0 (159): F11 text window, F10 save mode, F9 hover channel, F8 hover sound, F7 click
// channel, F6 click sound, F5 picture layer, F4 text layout, F3 thumbnail mode, F2 thumbnail x,
// F1 thumbnail y, then per selection kind, x, y, source x, source y, width, height, save number,
// selectable, then n (9 per selection + 11).
std::uint32_t ReadyToSaveLoadClickableMap();
// 97, phase 1 (160): every slot's save file read.
std::uint32_t ReadyToSaveLoadClickableMap1();
// 97, phase 2 (161): the picture layer bound, the two sounds loaded.
std::uint32_t ReadyToSaveLoadClickableMap2();
std::uint32_t ReleaseSaveDataHeader();  // 98
// 100 (slot, kind, x, y, source x, source y, width, height, save number, selectable; raw values).
std::uint32_t ResetSaveLoadClickableMapsChoise();

}  // namespace kv
