#include "backend/window_message.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "app/init_script.h"
#include "backend/clock_service.h"
#include "backend/event_queue.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "backend/window_service.h"
#include "base/app_env.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "script/ops/frame_dispatch.h"
#include "script/save/common_data.h"
#include "script/vm/vm_state.h"

namespace kv {

bool PeekMessageOrSleep(backend::WindowMessage& message) {
    if (backend::Get().Events().PeekMessage(message)) return true;
    backend::Get().Clock().Sleep(1);
    return false;
}

namespace {

// Start-up and the message loop, between the static objects' construction and destruction.
int RunGame() {
    if (!backend::Get().Files().AcquireInstanceLock(kInstanceLockName)) return 1;

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
    backend::WindowService& windows = backend::Get().Windows();
    if (g_mainWindow) windows.SetForegroundWindow(g_mainWindow->Handle());

    bool quit = false;
    while (!quit) {
        backend::WindowMessage message;
        while (PeekMessageOrSleep(message)) {
            if (message.kind == backend::MessageKind::Quit) quit = true;
            windows.DispatchMessage(message);
        }
        // Also in the turn that saw the quit message: the script gets one last frame.
        ProcessScriptFrame();
    }

    if (g_vm && !SaveCommonData(*g_vm, g_appEnv ? g_appEnv->GetSaveDataVersion() : String()))
        MessageBoxOk(0, "This game failed to save commondatas.", "error");
    ShutdownGame();
    return 0;
}

}  // namespace

int WinMain() {
    ConstructStaticObjects();
    const int result = RunGame();
    DestroyStaticObjects();
    return result;
}

}  // namespace kv
