#include "script/ops/frame_hooks.h"

#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "platform/game_window.h"
#include "script/ops/screen_redraw.h"
#include "script/screens/clickable_map.h"

namespace kv {

EffectStep StepScreenEffect() {
    if (g_currentLayers == nullptr) return EffectStep::Finished;
    if (!g_currentLayers->EffectTimer().Check()) return EffectStep::NotDue;
    return g_currentLayers->StepEffect() ? EffectStep::Finished : EffectStep::Stepped;
}

void ShowEffectFinalPicture() {
    if (g_screenSurface && g_workSurface1) g_screenSurface->CopyFrom(*g_workSurface1);
}

void RedrawShownMessageWindows() { DrawShownMessageWindows(); }

void PresentScreen() {
    if (g_screenSurface == nullptr || g_mainWindow == nullptr) return;
    g_screenSurface->BlitToDC(g_mainWindow->Handle(), 0, 0, g_screenSurface->Width(), g_screenSurface->Height());
}

void EraseAutoModeIcon() { RestoreAutoModeIconArea(); }

void SwitchCurrentScreenObjects(bool rightClickScreen) {
    if (!rightClickScreen) {
        g_currentLayers = g_gameScreenLayers;
        g_currentClickableMap = &GameScreenClickableMap();
        return;
    }
    g_currentLayers = g_rightClickLayers;
    g_currentClickableMap = &RightClickClickableMap();
    if (g_rightClickLayers) g_rightClickLayers->SetSurfaces(g_screenSurface, g_workSurface1, g_workSurface2);
}

}  // namespace kv
