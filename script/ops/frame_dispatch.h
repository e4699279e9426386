#pragma once

namespace kv {

// One frame of the script, run by the main loop once per turn.
void ProcessScriptFrame();

}  // namespace kv
