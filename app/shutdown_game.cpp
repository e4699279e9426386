#include "backend/file_service.h"
#include "backend/hub.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "base/app_env.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "pack/pack_reader.h"
#include "platform/display_mode.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/movie_player.h"
#include "script/ops/sound_channels.h"
#include "script/screens/choice_list.h"
#include "script/screens/clickable_map.h"
#include "script/screens/message_history.h"
#include "script/screens/message_windows.h"
#include "script/screens/system_buttons.h"
#include "script/vm/vm_state.h"
#include "sound/sound_manager.h"

namespace kv {

namespace {
template <typename T>
void DeleteGlobal(T*& object) {
    delete object;
    object = nullptr;
}

template <typename T>
void DeleteGlobalArray(T*& array) {
    delete[] array;
    array = nullptr;
}
}  // namespace

void ShutdownGame() {
    DeleteGlobal(g_movie);  // first: its picture leaves the window, its thread ends
    DeleteGlobal(g_messageHistory);
    DeleteGlobalArray(g_streamPacks);
    g_gameState.streamPackCount = 0;
    DeleteGlobalArray(g_soundChannels);
    DeleteGlobalArray(g_fades);
    DeleteGlobalArray(g_channelVolumeVars);
    DeleteGlobalArray(g_channelPanVars);
    g_gameState.soundChannelCount = 0;
    FreeMessageWindows();
    if (g_mainWindow) g_mainWindow->SetBackBuffer(nullptr);
    for (Surface** surface : {&g_screenSurface, &g_workSurface1, &g_workSurface2, &g_workSurface3, &g_thumbnailSurface})
        DeleteGlobal(*surface);
    DeleteGlobal(g_vm);
    g_currentLayers = nullptr;
    DeleteGlobal(g_rightClickLayers);
    DeleteGlobal(g_gameScreenLayers);
    DeleteGlobal(g_soundManager);  // stops every channel and waits for the stream threads
    if (g_mainWindow) g_mainWindow->SetInput(nullptr);
    DeleteGlobal(g_input);
    DeleteGlobal(g_displayMode);  // leaves full screen first
    DeleteGlobal(g_mainPack);
    DeleteGlobal(g_secondPack);
    DeleteGlobal(g_appEnv);
    DeleteGlobal(g_systemButtons);
    // The maps outlive the game; one started again in this process begins without areas.
    g_currentClickableMap = nullptr;
    GameScreenClickableMap().Reset();
    RightClickClickableMap().Reset();
    // So does the choice list: no menu waits once the game is gone.
    TheChoiceList().Free();
    TheChoiceList().DropSuspended();
    DeleteGlobal(g_mainWindow);   // last of the objects: destroys the window
    if (backend::IsInstalled()) backend::Get().Files().ReleaseInstanceLock();
}

}  // namespace kv
