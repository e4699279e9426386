#include "script/ops/name_entry_ops.h"

#include <cstring>

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/screens/name_entry_dialog.h"
#include "script/vm/vm_state.h"

namespace kv {

std::uint32_t NameEntryDialog() {
    NameEntryBuffers& buffers = NameEntryState();
    std::memset(buffers.familyResult, 0, sizeof buffers.familyResult);
    std::memset(buffers.givenResult, 0, sizeof buffers.givenResult);
    g_gameState.skipMode = 0;
    g_gameState.autoMode = 0;
    const VmValue givenVariable = g_vm ? g_vm->Pop() : VmValue{};
    const VmValue familyVariable = g_vm ? g_vm->Pop() : VmValue{};
    const VmValue defaultGiven = g_vm ? g_vm->Pop() : VmValue{};
    const VmValue defaultFamily = g_vm ? g_vm->Pop() : VmValue{};
    // A text that does not fit is kept cut between two characters, always terminated.
    FetchOperandText(familyVariable, buffers.familyResult);
    FetchOperandText(givenVariable, buffers.givenResult);
    FetchOperandText(defaultFamily, buffers.defaultFamily);
    FetchOperandText(defaultGiven, buffers.defaultGiven);
    const backend::WindowId owner = g_mainWindow ? g_mainWindow->Handle() : 0;
    if (!ShowNameEntryDialog(owner))
        MessageBoxOk(owner, "This game failed to display a dialog in NameEntryDialog().", "error");
    StoreAText(static_cast<std::int32_t>(familyVariable.value), buffers.familyResult);
    StoreAText(static_cast<std::int32_t>(givenVariable.value), buffers.givenResult);
    return CompleteOperation(0);
}

}  // namespace kv
