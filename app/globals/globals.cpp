#include "app/globals/globals.h"

#include <cstring>

namespace kv {

DisplayMode* g_displayMode = nullptr;
AppEnv* g_appEnv = nullptr;
PackReader* g_mainPack = nullptr;
PackReader* g_secondPack = nullptr;
GameWindow* g_mainWindow = nullptr;
Input* g_input = nullptr;
VmState* g_vm = nullptr;
MoviePlayer* g_movie = nullptr;
ComInitializer* g_comInitializer = nullptr;
SaveCaptures* g_saveCaptures = nullptr;
DataSetSnapshot* g_titleData = nullptr;
SaveInfo* g_saveInfo = nullptr;
SoundManager* g_soundManager = nullptr;
SoundChannel* g_soundChannels = nullptr;
FadeEntry* g_fades = nullptr;
std::int32_t* g_channelVolumeVars = nullptr;
std::int32_t* g_channelPanVars = nullptr;
PackReader* g_streamPacks = nullptr;
MessageWindow* g_messageWindows = nullptr;

LayerSet* g_gameScreenLayers = nullptr;
LayerSet* g_rightClickLayers = nullptr;
LayerSet* g_currentLayers = nullptr;
ClickableMap* g_currentClickableMap = nullptr;
SystemButtonSet* g_systemButtons = nullptr;
MessageHistory* g_messageHistory = nullptr;

Surface* g_screenSurface = nullptr;
Surface* g_workSurface1 = nullptr;
Surface* g_workSurface2 = nullptr;
Surface* g_workSurface3 = nullptr;
Surface* g_thumbnailSurface = nullptr;

GameState g_gameState{};

void ResetGameState(GameState& state) {
    std::memset(&state, 0, sizeof state);
}

}  // namespace kv
