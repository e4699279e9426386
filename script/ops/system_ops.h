#pragma once
// Operations 0 to 12 (and the reserved 102, 103): running the interpreter, ending the game,
// script calls and returns, replacing the script and the window caption.

#include <cstdint>

namespace kv {

// 0: runs the interpreter until the script hands control back and acts on why; always 0.
std::uint32_t OpRunScript();
// 1: destroys the game window, which ends the program.
std::uint32_t OpQuit();
// 2: returns from a called script, or from an interruption with the interrupted operation.
std::uint32_t ReturnSNX();
// 3-9, 102, 103: reserved numbers; a box each time they are met.
std::uint32_t OpDummy();
// 10: replaces the current script by another.
std::uint32_t LoadSNX();
// 11: calls another script; its return comes back after this call.
std::uint32_t CallSNX();
// 12: sets the game window's caption text.
std::uint32_t OpSetCaption();

}  // namespace kv
