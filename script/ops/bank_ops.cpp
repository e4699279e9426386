#include "script/ops/bank_ops.h"

#include "app/globals/globals.h"
#include "script/ops/op_state.h"
#include "script/vm/vm_state.h"

namespace kv {

std::uint32_t ClearBankA() {
    if (VmState* vm = g_vm) {
        // In place: the interpreter's decoded code keeps pointing at the integer banks.
        for (std::int32_t i = 0; i < vm->VariableCount(VarBank::AInt); ++i) *vm->AInt(i) = 0;
        for (std::int32_t i = 0; i < vm->VariableCount(VarBank::AByte); ++i) *vm->AByte(i) = 0;
        for (std::int32_t i = 0; i < vm->VariableCount(VarBank::AString); ++i) vm->AString(i)->Clear();
    }
    return CompleteOperation(0);
}

}  // namespace kv
