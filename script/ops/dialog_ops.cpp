#include "script/ops/dialog_ops.h"

#include "backend/window_message.h"
#include "app/globals/globals.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

// A text that could not be fetched whole (not a text, a bad variable, too long) is shown as the
// empty text rather than a part of it.
template <std::size_t N>
void FetchWholeText(const VmValue& operand, char (&buffer)[N]) {
    if (!FetchOperandText(operand, buffer)) buffer[0] = '\0';
}

}  // namespace

std::uint32_t ScriptMessageBox() {
    // The player is asked to decide: neither mode may run past the question.
    g_gameState.skipMode = 0;
    g_gameState.autoMode = 0;
    const std::int32_t index = PopIntOperand();
    const std::int32_t kind = PopIntOperand();
    const VmValue captionOperand = g_vm ? g_vm->Pop() : VmValue{};
    const VmValue textOperand = g_vm ? g_vm->Pop() : VmValue{};
    char text[128];
    char caption[128];
    FetchWholeText(textOperand, text);
    FetchWholeText(captionOperand, caption);
    const backend::WindowId owner = g_mainWindow ? g_mainWindow->Handle() : 0;
    std::int32_t answer = 1;
    if (kind == kScriptBoxYesNo) {
        answer = MessageBoxYesNo(owner, text, caption) ? 1 : 0;
    } else {
        MessageBoxOk(owner, text, caption);
    }
    StoreAInt(index, answer);
    return CompleteOperation(0);
}

}  // namespace kv
