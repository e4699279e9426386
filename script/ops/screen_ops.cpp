#include "script/ops/screen_ops.h"

#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/frame_hooks.h"
#include "script/ops/op_state.h"
#include "script/ops/screen_overlays.h"
#include "script/ops/screen_redraw.h"
#include "script/ops/script_values.h"

namespace kv {

namespace {

std::uint32_t NextPhase() {
    ++CurrentOp().phase;
    return kOpContinue;
}

// What ends the scene view: a release of either mouse button or of one of these keys.
bool ViewerLetGo() {
    if (g_input == nullptr) return false;
    if (g_input->ButtonReleased(0) || g_input->ButtonReleased(1)) return true;
    for (std::uint8_t code : {key::Return, key::NumpadEnter, key::Space, key::LeftShift, key::RightShift, key::Escape}) {
        if (g_input->KeyReleased(code)) return true;
    }
    return false;
}

}  // namespace

std::uint32_t ScreenUpdateReady() {
    if (g_currentLayers) {
        LoadShownPictures(*g_currentLayers);
        g_currentLayers->ComposeShownToTarget();
        PresentScreen();
        FreeShownPictures(*g_currentLayers);
    }
    return NextPhase();
}

std::uint32_t ScreenUpdateWait() {
    RefreshInput();
    if (ViewerLetGo()) return NextPhase();
    return kOpContinue;
}

std::uint32_t ScreenUpdateFinish() {
    CommitScene();
    ShowComposedScene(SceneText::ChoiceThenMessages);
    return CompleteOperation();
}

std::uint32_t ReturnFromRightClickScreen() {
    SwitchCurrentScreenObjects(false);
    if (g_rightClickLayers) g_rightClickLayers->FreeBanks();
    if (g_currentLayers) {
        LoadShownPictures(*g_currentLayers);
        ComposeShownScene();
        ShowComposedScene(SceneText::ChoiceThenMessages);
        FreeShownPictures(*g_currentLayers);
    }
    return CompleteOperation();
}

std::uint32_t EndAutoMode() {
    g_gameState.autoMode = 0;
    RestoreAutoModeIconArea();
    return CompleteOperation();
}

std::uint32_t RedrawMessageWindow() {
    PopIntOperand();  // not used
    const std::int32_t window = PopIntOperand();
    if (!MessageWindowExists(window)) return FailIllegalArguments("RedrawMessageWindow");
    if (MessageWindowShown(window)) DrawMessageWindow(window);
    PresentScreen();
    return CompleteOperation();
}

std::uint32_t ResetTextWindow() {
    const std::int32_t window = PopIntOperand();
    if (!MessageWindowExists(window)) return FailIllegalArguments("ResetTextWindow");
    if (Overlays().buildMessageWindowSurfaces) Overlays().buildMessageWindowSurfaces(window);
    return CompleteOperation();
}

}  // namespace kv
