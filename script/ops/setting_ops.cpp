#include "script/ops/setting_ops.h"

#include "app/globals/globals.h"
#include "platform/display_mode.h"
#include "platform/game_window.h"
#include "backend/hub.h"
#include "backend/window_service.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

std::uint32_t Bind(std::int32_t& setting) {
    setting = PopIntOperand();
    return CompleteOperation(0);
}

}  // namespace

std::uint32_t BindWindowModeVar() { return Bind(g_gameState.windowModeVar); }
std::uint32_t BindEffectsVar() { return Bind(g_gameState.effectsVar); }
std::uint32_t BindInstantTextVar() { return Bind(g_gameState.instantTextVar); }
std::uint32_t BindSkipVar() { return Bind(g_gameState.skipAllVar); }
std::uint32_t BindAutoWaitVar() { return Bind(g_gameState.autoWaitVar); }

std::uint32_t ApplyWindowMode() {
    const std::int32_t* setting = g_vm ? g_vm->CInt(static_cast<std::uint32_t>(g_gameState.windowModeVar)) : nullptr;
    if (!setting) {
        // A setting that cannot be read leaves the display as it is.
        ShowAccessViolation();
        return CompleteOperation(0);
    }
    const bool fullScreen = *setting != 0;
    if (g_displayMode && g_mainWindow && fullScreen != g_displayMode->IsFullScreen()) {
        SetWindowMode(fullScreen ? 1 : 0);
        backend::Get().Windows().ShowWindow(g_mainWindow->Handle());
    }
    return CompleteOperation(0);
}

std::uint32_t SetRightClickEnable() {
    g_gameState.rightClickEnabled = PopIntOperand() != 0 ? 1 : 0;
    return CompleteOperation(0);
}

std::uint32_t StartSkip() {
    // A menu waits for the player's decision; skipping past it is not the script's to ask.
    if (!g_gameState.choiceMenuShowing) g_gameState.skipMode = 1;
    return CompleteOperation(0);
}

std::uint32_t StartAutoMode() {
    if (!g_gameState.choiceMenuShowing) g_gameState.autoMode = 1;
    return CompleteOperation(0);
}

std::uint32_t SetSpareSetting() { return Bind(g_gameState.spareSetting); }

}  // namespace kv
