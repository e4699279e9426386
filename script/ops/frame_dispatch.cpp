#include "script/ops/frame_dispatch.h"

#include "app/globals/globals.h"
#include "platform/game_window.h"

namespace kv {

void ProcessScriptFrame() {
    // The game stands still while another program is in front.
    if (!g_mainWindow || !g_mainWindow->IsActive()) return;
}

}  // namespace kv
