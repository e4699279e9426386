#include <cstdint>
#include <cstring>

#include "backend/clock_service.h"
#include "backend/hub.h"
#include "backend/window_service.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "base/app_env.h"
#include "base/message_box.h"
#include "base/text_utils.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "pack/pack_reader.h"
#include "platform/display_mode.h"
#include "platform/game_window.h"
#include "base/runtime_random.h"
#include "script/screens/clickable_map.h"
#include "script/screens/message_history.h"
#include "script/screens/system_buttons.h"
#include "sound/sound_manager.h"

namespace kv {

bool InitGame() {
    backend::ClockService& clock = backend::Get().Clock();

    g_displayMode = new DisplayMode();

    g_appEnv = new AppEnv();
    g_appEnv->LoadInf();
    if (!g_appEnv->GetMmx()) {
        MessageBoxOk(0, "Your computer has not MMX. This game is terminated.", "error");
        return false;
    }

    // A configured pack that is missing stops the game; the default packs are optional.
    if (!g_appEnv->GetPackPath().IsEmpty() && !FileExists(g_appEnv->GetPackPath().c_str())) {
        String text = ConcatCharsString("Packed data file ", g_appEnv->GetPackPath()).ConcatChars(" is not found.");
        MessageBoxOk(0, text.View(), "error");
        return false;
    }
    // A configured pack serves as both readers; otherwise the two default packs, each optional.
    const bool configured = !g_appEnv->GetPackPath().IsEmpty();
    const String folder = g_appEnv->GetModuleDir();
    g_mainPack = new PackReader(configured ? g_appEnv->GetPackPath() : folder.ConcatChars("kvrebody1"));
    if (g_mainPack->IsValid()) g_mainPack->LoadIndex();
    g_secondPack = new PackReader(configured ? g_appEnv->GetPackPath() : folder.ConcatChars("kvrebody2"));
    if (g_secondPack->IsValid()) g_secondPack->LoadIndex();

    ResetGameState(g_gameState);
    g_gameState.screenWidth = 800;
    g_gameState.screenHeight = 600;
    g_gameState.opSaveTop = -1;

    g_mainWindow = new GameWindow();
    if (!CreateGameWindow()) return false;

    g_soundManager = new SoundManager();
    if (!g_soundManager->Create(backend::Get().Audio())) {
        MessageBoxOk(0, "This game failed to generate directsoundmanagers.", "error");
        return false;
    }
    if (!g_soundManager->CreatePrimary(44100)) {
        MessageBoxOk(0, "This game failed to generate a primarydirectsoundbuffer.", "error");
        return false;
    }

    g_gameScreenLayers = new LayerSet();
    g_rightClickLayers = new LayerSet();
    // The four screen-sized surfaces; the thumbnail surface stays without pixels.
    for (Surface** surface : {&g_screenSurface, &g_workSurface1, &g_workSurface2, &g_workSurface3, &g_thumbnailSurface})
        *surface = new Surface();
    for (Surface* surface : {g_screenSurface, g_workSurface1, g_workSurface2, g_workSurface3})
        surface->Create(g_gameState.screenWidth, g_gameState.screenHeight, 24);
    g_gameScreenLayers->SetSurfaces(g_screenSurface, g_workSurface1, g_workSurface2);
    g_rightClickLayers->SetSurfaces(g_screenSurface, g_workSurface1, g_workSurface2);
    g_mainWindow->SetBackBuffer(g_screenSurface);
    g_systemButtons = new SystemButtonSet();
    g_messageHistory = new MessageHistory();
    g_currentLayers = g_gameScreenLayers;
    g_currentClickableMap = &GameScreenClickableMap();

    SeedRandom(static_cast<std::uint32_t>(clock.SecondsSinceEpoch()));
    return true;
}

bool CreateGameWindow() {
    backend::WindowService& windows = backend::Get().Windows();
    std::memset(g_gameState.caption, 0, sizeof g_gameState.caption);
    std::memcpy(g_gameState.caption, kGameCaption, sizeof kGameCaption);

    if (!Window::RegisterClass(kWindowClassName, kMainIconName)) {
        MessageBoxOk(0, "This game failed to regist a windowclass.", "error");
        return false;
    }

    backend::Rect outer = windows.OuterRectForClient(backend::WindowStyle::Framed, g_gameState.screenWidth,
                                                 g_gameState.screenHeight);
    backend::Rect desktop = windows.DesktopRect();
    std::int32_t x = (desktop.width - outer.width) / 2;
    std::int32_t y = (desktop.height - outer.height) / 2;
    if (!g_mainWindow->Create(kWindowClassName, g_gameState.caption, backend::WindowStyle::Framed, x, y,
                              outer.width, outer.height)) {
        MessageBoxOk(0, "This game failed to generate a window.", "error");
        return false;
    }
    windows.ShowWindow(g_mainWindow->Handle());
    return true;
}

}  // namespace kv
