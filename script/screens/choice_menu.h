#pragma once
// Operation 79, ChoiceMenu (window, result variable, choice texts...): the choices shown in a
// message window below its text, picked with the mouse or the Up and Down keys; the index of the
// pick goes into a bank-A integer variable and the question with its choices to the history.
// The system buttons and the right click stay live while the menu waits, which keeps its state
// in the operation's scratch words and the one ChoiceList (script/screens/choice_list.h).

#include <cstdint>

namespace kv {

inline constexpr std::uint32_t kOpChoiceMenu = 79;

// Phase 0: takes the operands, lays the choices out and draws them.
std::uint32_t ChoiceMenuReady();
// Phase 1, once a frame: the system buttons, the right click, the hover and the pick.
std::uint32_t ChoiceMenuSelect();
// Phase 2: the pick stored and logged, the window emptied, the screen drawn without the menu.
std::uint32_t ChoiceMenuFinish();

// After a load has put the operations back: the list goes on with a menu that waits in its
// select phase (its window found again from the menu's words), and is emptied when no menu is
// left to finish it.
void SettleChoiceListAfterLoad();

}  // namespace kv
