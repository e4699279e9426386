#pragma once
// Operation 77: the script asks the player with a message box and gets the answer in a variable.

#include <cstdint>

namespace kv {

// The kind that shows Yes and No; every other kind shows OK.
inline constexpr std::int32_t kScriptBoxYesNo = 1;

// 77: ends skip and auto mode, shows the box over the game window and stores the answer in an
// A integer: 1 for Yes, 0 for No, 1 after an OK box.
std::uint32_t ScriptMessageBox();

}  // namespace kv
