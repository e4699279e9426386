#pragma once
// Operation 78: the player names the protagonist in the name-entry dialog.

#include <cstdint>

namespace kv {

// 78: operands, in script order, the default family name, the default given name, and the
// family-name and given-name variables (bank-A string indices). Ends skip and auto mode, shows
// the dialog over the game window and stores the two names, their terminators counted. The
// frame loop stands still while the dialog is open.
std::uint32_t NameEntryDialog();

}  // namespace kv
