#include "script/ops/op_state.h"

#include <cstring>
#include <string>

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "script/vm/vm_state.h"

namespace kv {

OpState& CurrentOp() { return g_gameState.op; }

bool MessagesOverEffects() { return (g_gameState.op.flag & 0xFFu) != 0; }

void SetCurrentOperation(std::uint32_t operation) { g_gameState.op.operation = operation; }

void ClearCurrentOperation() {
    OpState& op = g_gameState.op;
    op.operation = 0;
    op.phase = 0;
    std::memset(op.scratch, 0, sizeof op.scratch);
}

std::int32_t OpSaveDepth() {
    std::int32_t top = g_gameState.opSaveTop;
    if (top < 0) return 0;
    return top >= kOpSaveDepth ? kOpSaveDepth : top + 1;
}

bool OpSaveFull() { return OpSaveDepth() >= kOpSaveDepth; }

bool PushOpState() {
    if (OpSaveFull()) return false;
    std::int32_t top = OpSaveDepth();
    g_gameState.opSave[top] = g_gameState.op;
    g_gameState.opSaveTop = top;
    return true;
}

bool PopOpState() {
    std::int32_t depth = OpSaveDepth();
    if (depth == 0) return false;
    g_gameState.op = g_gameState.opSave[depth - 1];
    g_gameState.opSaveTop = depth - 2;
    return true;
}

std::uint32_t CompleteOperation(std::int32_t result) {
    if (g_vm) {
        g_vm->SetPc(g_vm->Pc() + 1);
        g_vm->Push(vm_type::kInt, static_cast<std::uint32_t>(result));
    }
    return kOpFinished;
}

std::uint32_t FailOperation(std::string_view text) {
    MessageBoxOk(g_mainWindow ? g_mainWindow->Handle() : 0, text, "error");
    SetCurrentOperation(kOpQuit);
    return kOpContinue;
}

std::uint32_t FailIllegalArguments(std::string_view operationName) {
    std::string text = "Illiegal argments in ";
    text.append(operationName);
    text += "().";
    return FailOperation(text);
}

}  // namespace kv
