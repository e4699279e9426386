#include "backend/file_service.h"
#include "backend/hub.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "base/app_env.h"
#include "pack/pack_reader.h"
#include "platform/display_mode.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/movie_player.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {
template <typename T>
void DeleteGlobal(T*& object) {
    delete object;
    object = nullptr;
}
}  // namespace

void ShutdownGame() {
    DeleteGlobal(g_movie);  // first: its picture leaves the window, its thread ends
    DeleteGlobal(g_vm);
    if (g_mainWindow) g_mainWindow->SetInput(nullptr);
    DeleteGlobal(g_input);
    DeleteGlobal(g_displayMode);  // leaves full screen first
    DeleteGlobal(g_mainPack);
    DeleteGlobal(g_secondPack);
    DeleteGlobal(g_appEnv);
    DeleteGlobal(g_mainWindow);   // last of the objects: destroys the window
    if (backend::IsInstalled()) backend::Get().Files().ReleaseInstanceLock();
}

}  // namespace kv
