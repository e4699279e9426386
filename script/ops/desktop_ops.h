#pragma once
// Operations that hand something to the player's desktop.

#include <cstdint>

namespace kv {

// 113: opens a document, folder or address with the desktop's default program, without waiting
// for it. Mode 0: a name in the game's folder; any other mode: a path or an address as given.
// An empty target, one that does not exist, or one longer than its 64-byte operand opens
// nothing.
std::uint32_t OpenExternal();

}  // namespace kv
