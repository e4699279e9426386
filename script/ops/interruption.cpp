#include "script/ops/interruption.h"

#include "backend/window_message.h"
#include "app/globals/globals.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/frame_hooks.h"
#include "script/ops/op_state.h"
#include "script/vm/resource_lookup.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {
backend::WindowId OwnerWindow() { return g_mainWindow ? g_mainWindow->Handle() : 0; }
}  // namespace

void SwitchObjectsRC(std::int32_t mode) {
    if (mode != 0 && mode != 1) {
        MessageBoxOk(OwnerWindow(), "illigal Switch in SwitchObjectsRC()", "error");
        return;
    }
    SwitchCurrentScreenObjects(mode == 1);
}

bool CanInterrupt() { return g_vm && !OpSaveFull() && g_vm->CallDepth() < VmState::kCallStackSize - 1; }

std::uint32_t InterruptWithScript(const String& script, std::string_view failText, bool switchToRightClickScreen) {
    // Both stacks have room for one more interruption, or the click is not taken at all.
    if (!CanInterrupt()) return kOpContinue;

    CaptureThumbnail();
    const String interruptedScript = g_vm->GetScriptName();
    const std::int32_t interruptedPc = g_vm->Pc();
    // pc still points at the interrupted operation's system call: the return comes back to it.
    g_vm->PushCallFrame(1);
    if (!LoadScriptFile(script)) {
        MessageBoxOk(OwnerWindow(), failText, "error");
        // Take the interruption back whole: the interrupted operation keeps its operands, its
        // phase and its script, and simply goes on.
        String name;
        std::uint32_t pc = 0;
        std::uint8_t flag = 0;
        g_vm->PopCallFrame(name, pc, flag);
        g_vm->SetScriptName(interruptedScript);
        g_vm->SetPc(interruptedPc);
        return kOpContinue;
    }
    PushOpState();
    if (switchToRightClickScreen) SwitchObjectsRC(1);
    return kOpFinished;
}

std::uint32_t ReadyToJumpRClickProcess() {
    return InterruptWithScript(kRightClickScript,
                               "This game failed to call SNX-file in ReadyToJumpRClickProcess().", true);
}

bool TakeRightClick() {
    if (!g_gameState.rightClickEnabled || g_input == nullptr) return false;
    if (!g_input->ButtonReleased(1) && !g_input->KeyReleased(key::Escape)) return false;
    return ReadyToJumpRClickProcess() == kOpFinished;
}

}  // namespace kv
