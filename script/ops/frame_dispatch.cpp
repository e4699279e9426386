#include "script/ops/frame_dispatch.h"

#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/frame_hooks.h"
#include "script/ops/op_state.h"
#include "script/ops/op_table.h"
#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

// The keys and buttons with which the player takes the game back from skip mode; auto mode
// also stops on Ctrl.
bool PlayerTakesOver(bool ctrlCounts) {
    if (!g_input) return false;
    const Input& input = *g_input;
    if (input.ButtonDown(0) || input.ButtonDown(1)) return true;
    for (std::uint8_t key : {key::Return, key::NumpadEnter, key::LeftShift,
                             key::RightShift, key::Escape}) {
        if (input.KeyDown(key)) return true;
    }
    return ctrlCounts && (input.KeyDown(key::LeftControl) || input.KeyDown(key::RightControl));
}

// A stack fault a handler left in the VM (a pop of the empty stack, a push onto a full one)
// ends the game as the interpreter's own faults do.
void ReportHandlerFault() {
    if (!g_vm || !g_vm->StackFault()) return;
    ShowSnxError(VmState::FaultCode(g_vm->Fault()));
    g_vm->ClearFault();
    SetCurrentOperation(kOpQuit);
}

// Steps the running effect. False when the frame must end here (the script waits for the effect).
bool RunScreenEffect() {
    // The effect needs only Ctrl. While the script runs on, the operation called after it reads
    // the input itself, and a read here would turn a release since the last frame into the
    // previous state before that operation saw it: the click would be lost. While the script
    // waits for the effect nothing else reads, and the read lets clicks made meanwhile pass.
    bool ctrl = false;
    if (g_gameState.scriptRunsOn) {
        ctrl = IsCtrlHeldNow();
    } else {
        RefreshInput();
        ctrl = IsCtrlHeld();
    }
    if (ctrl || g_gameState.skipMode) {
        // Skipping: the effect ends at once on its final picture.
        ShowEffectFinalPicture();
        if (MessagesOverEffects()) RedrawShownMessageWindows();
        PresentScreen();
        g_gameState.effectRunning = 0;
        return true;
    }
    const EffectStep step = StepScreenEffect();
    if (step != EffectStep::NotDue) {
        if (step == EffectStep::Finished) g_gameState.effectRunning = 0;
        if (MessagesOverEffects()) RedrawShownMessageWindows();
        PresentScreen();
    }
    return g_gameState.scriptRunsOn != 0;
}

}  // namespace

void ProcessScriptFrame() {
    // The game stands still while another program is in front, and for good once the window is
    // gone (the quit operation has run; the loop still gives one last frame).
    if (!g_mainWindow || g_mainWindow->Handle() == 0 || !g_mainWindow->IsActive()) return;
    if (!g_vm) return;

    if (g_gameState.skipMode) {
        RefreshInput();
        if (PlayerTakesOver(false)) g_gameState.skipMode = 0;
    }
    if (g_gameState.autoMode) {
        RefreshInput();
        if (PlayerTakesOver(true)) {
            EraseAutoModeIcon();
            g_gameState.autoMode = 0;
        }
    }

    StepSoundFades();

    if (g_gameState.effectRunning && !RunScreenEffect()) return;

    if (CallOperation(CurrentOp().operation) == kOpFinished) ClearCurrentOperation();
    ReportHandlerFault();
}

}  // namespace kv
