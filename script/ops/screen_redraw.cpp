#include "script/ops/screen_redraw.h"

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "platform/game_window.h"
#include "script/ops/frame_hooks.h"
#include "script/ops/screen_overlays.h"
#include "script/vm/resource_lookup.h"

namespace kv {

namespace {

enum class SlotScreen : std::uint8_t { Drawn, Left };

void KeepSceneAndDrawOverlays(SlotScreen slots) {
    if (g_workSurface1 == nullptr) return;
    if (g_workSurface3) g_workSurface3->CopyFrom(*g_workSurface1);
    const ScreenOverlays& overlays = Overlays();
    if (overlays.drawSystemButtons) overlays.drawSystemButtons(*g_workSurface1);
    if (overlays.drawClickableMap) overlays.drawClickableMap(*g_workSurface1);
    if (slots == SlotScreen::Drawn && overlays.drawSaveSlotScreen) overlays.drawSaveSlotScreen(*g_workSurface1);
}

void ReplayShownPages() {
    const ScreenOverlays& overlays = Overlays();
    if (overlays.replayMessagePage == nullptr) return;
    for (std::int32_t window = 0; window < g_gameState.messageWindowCount; ++window) {
        if (MessageWindowShown(window)) overlays.replayMessagePage(window);
    }
}

// The picture a shown entry names, loaded into a surface of its own.
void LoadShownPicture(LayerEntry& shown, const LayerEntry& working, std::string_view failText) {
    if (shown.name.IsEmpty() || shown.name.Equals(working.name)) return;
    shown.surface = std::make_unique<Surface>();
    if (!LoadGraphic(shown.name, *shown.surface) && !failText.empty()) {
        MessageBoxOk(g_mainWindow ? g_mainWindow->Handle() : 0, failText, "error");
    }
}

}  // namespace

void CommitScene() {
    if (g_currentLayers) g_currentLayers->ComposeAndCommit();
    KeepSceneAndDrawOverlays(SlotScreen::Drawn);
}

void ComposeShownScene() {
    if (g_currentLayers) g_currentLayers->ComposeShown();
    KeepSceneAndDrawOverlays(SlotScreen::Left);
}

void ShowComposedScene(SceneText text) {
    if (g_screenSurface && g_workSurface1) g_screenSurface->CopyFrom(*g_workSurface1);
    const ScreenOverlays& overlays = Overlays();
    const bool choiceBusy = g_gameState.choiceMenuShowing != 0;
    if (text != SceneText::None && choiceBusy && overlays.drawChoiceList) overlays.drawChoiceList();
    switch (text) {
        case SceneText::None: break;
        case SceneText::ChoiceThenMessages: DrawShownMessageWindows(); break;
        case SceneText::ChoiceOrMessages:
            if (!choiceBusy) DrawShownMessageWindows();
            break;
        case SceneText::ChoiceOrReplayedPages:
            if (!choiceBusy) ReplayShownPages();
            break;
    }
    PresentScreen();
}

bool MessageWindowExists(std::int32_t window) { return window >= 0 && window < g_gameState.messageWindowCount; }

bool MessageWindowShown(std::int32_t window) {
    const ScreenOverlays& overlays = Overlays();
    return MessageWindowExists(window) && overlays.messageWindowShown && overlays.messageWindowShown(window);
}

bool AnyMessageWindowShown() {
    for (std::int32_t window = 0; window < g_gameState.messageWindowCount; ++window) {
        if (MessageWindowShown(window)) return true;
    }
    return false;
}

void DrawMessageWindow(std::int32_t window) {
    const ScreenOverlays& overlays = Overlays();
    if (!MessageWindowExists(window) || overlays.redrawMessageWindow == nullptr) return;
    overlays.redrawMessageWindow(window, g_gameState.screenWidth, g_gameState.screenHeight);
}

void DrawShownMessageWindows() {
    for (std::int32_t window = 0; window < g_gameState.messageWindowCount; ++window) {
        if (MessageWindowShown(window)) DrawMessageWindow(window);
    }
}

void RestoreAutoModeIconArea() {
    PixelRect area;
    const ScreenOverlays& overlays = Overlays();
    if (overlays.autoModeIconArea == nullptr || !overlays.autoModeIconArea(area)) return;
    if (g_screenSurface == nullptr || g_workSurface1 == nullptr) return;
    g_screenSurface->BlitRect(*g_workSurface1, area);
    if (g_mainWindow) g_screenSurface->BlitRectToDC(g_mainWindow->Handle(), area);
}

void LoadShownPictures(LayerSet& layers, const ShownPictureFailTexts& failTexts) {
    for (std::int32_t i = 0; i < layers.LayerCount(); ++i) {
        LoadShownPicture(*layers.GetShownLayer(i), *layers.GetLayer(i), failTexts.pictures);
    }
    for (std::int32_t i = 0; i < layers.MaskLayerCount(); ++i) {
        LoadShownPicture(*layers.GetShownMaskLayer(i), *layers.GetMaskLayer(i), failTexts.masks);
    }
}

void FreeShownPictures(LayerSet& layers) {
    for (std::int32_t i = 0; i < layers.LayerCount(); ++i) layers.GetShownLayer(i)->surface.reset();
    for (std::int32_t i = 0; i < layers.MaskLayerCount(); ++i) layers.GetShownMaskLayer(i)->surface.reset();
}

void RedrawScreen() {
    ComposeShownScene();
    ShowComposedScene(SceneText::ChoiceOrReplayedPages);
    if (g_currentLayers) FreeShownPictures(*g_currentLayers);
}

}  // namespace kv
