#pragma once
// Interrupting the current operation: the right click (script "RCLICK") and the system buttons
// call a script while the interrupted operation waits, whole, on the op-save stack; returning
// from that script (ReturnSNX) puts it back in the phase it stood in.

#include <cstdint>
#include <string_view>

#include "base/string.h"

namespace kv {

inline constexpr char kRightClickScript[] = "RCLICK";

// 0: the game-screen layer set and clickable map become current; 1: those of the right-click
// screen. Any other mode: a box, nothing switched.
void SwitchObjectsRC(std::int32_t mode);

// Both the op-save stack and the VM's call stack have room for one more interruption.
bool CanInterrupt();

// The right-click interruption, run by the handlers that watch for the right click. Returns the
// handler's result: 1 when "RCLICK" now runs (the frame clears the current operation, whose
// state waits on the op-save stack); 0 when nothing was interrupted because the script could
// not be loaded (after its box) or too many interruptions are nested already: the handler then
// goes on as if there had been no click.
std::uint32_t ReadyToJumpRClickProcess();

// The right click as the waits that honour it watch for it (the message click wait, the choice
// menu, the clickable maps): when the script has enabled it and the right button or Esc was let
// go between the last two input reads, the right-click interruption. True when "RCLICK" now runs
// (the caller returns 1); false when there was no such click or it could not interrupt.
bool TakeRightClick();

// The same interruption with any script, for the system buttons: failText is the box shown when
// the script cannot be loaded; switchToRightClickScreen selects the right-click objects.
std::uint32_t InterruptWithScript(const String& script, std::string_view failText, bool switchToRightClickScreen);

}  // namespace kv
