#include "script/ops/script_values.h"

#include "app/globals/globals.h"
#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"

namespace kv {

std::int32_t PopIntOperand() {
    if (!g_vm) return 0;
    return static_cast<std::int32_t>(g_vm->Pop().value);
}

void StoreAInt(std::int32_t index, std::int32_t value) {
    std::int32_t* target = g_vm ? g_vm->AInt(static_cast<std::uint32_t>(index)) : nullptr;
    if (!target) {
        ShowAccessViolation();
        return;
    }
    *target = value;
}

}  // namespace kv
