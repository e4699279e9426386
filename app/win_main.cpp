#include "app/engine.h"
#include "app/globals/globals.h"
#include "base/app_env.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "script/ops/frame_dispatch.h"
#include "script/vm/init_script.h"
#include "script/vm/vm_state.h"

namespace kv {

bool PeekMessageOrSleep(platform::WindowMessage& message) {
    platform::Platform& os = platform::Get();
    if (os.PeekMessage(message)) return true;
    os.Sleep(1);
    return false;
}

int WinMain() {
    platform::Platform& os = platform::Get();
    if (!os.AcquireInstanceLock(kInstanceLockName)) return 1;

    if (!InitGame()) {
        ShutdownGame();
        return 1;
    }
    if (!InitScript()) {
        // The message has been shown. Shut down properly all the same: the window goes away at
        // once and the single-instance lock is free for the next start.
        ShutdownGame();
        return 1;
    }
    if (g_mainWindow) os.SetForegroundWindow(g_mainWindow->Handle());

    bool quit = false;
    while (!quit) {
        platform::WindowMessage message;
        while (PeekMessageOrSleep(message)) {
            if (message.kind == platform::MessageKind::Quit) quit = true;
            os.DispatchMessage(message);
        }
        // Also in the turn that saw the quit message: the script gets one last frame.
        ProcessScriptFrame();
    }

    if (g_vm && !g_vm->SaveCommonData(g_appEnv ? g_appEnv->GetSaveDataVersion() : String()))
        MessageBoxOk(0, "This game failed to save commondatas.", "error");
    ShutdownGame();
    return 0;
}

}  // namespace kv
