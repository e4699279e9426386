#pragma once
// The program's entry and outermost control: start-up, the message loop and shut-down.

#include "backend/window_message.h"

namespace kv {

inline constexpr const char kInstanceLockName[] = "Tessaly KevraScriptEngine";
inline constexpr const char kWindowClassName[] = "KVRE";
inline constexpr const char kMainIconName[] = "MAINICON";
inline constexpr const char kGameCaption[] = "ZE-RoreroRerodi ver1.0";

// 0 after a normal end, 1 when start-up stops or another instance runs.
int WinMain();
// The objects that live from before start-up to after shut-down, in their order (the movie
// service's start first); the backend must be installed. Destroyed in the reverse order.
void ConstructStaticObjects();
void DestroyStaticObjects();
// Takes one message when there is one (true); otherwise sleeps 1 ms (false).
bool PeekMessageOrSleep(backend::WindowMessage& message);
bool InitGame();
bool CreateGameWindow();
// Deletes every global object that exists, in the fixed order; safe after a partial start-up.
void ShutdownGame();

}  // namespace kv
