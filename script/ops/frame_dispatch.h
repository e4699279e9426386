#pragma once

namespace kv {

// One frame of the script, run by the main loop once per turn: ends skip or auto mode on the
// player's keys and buttons, steps the sound fades and the running screen effect, then calls
// the current operation's handler once.
void ProcessScriptFrame();

}  // namespace kv
