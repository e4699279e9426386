#include "script/ops/script_values.h"

#include <string>

#include "app/globals/globals.h"
#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"

namespace kv {

std::int32_t PopIntOperand() {
    if (!g_vm) return 0;
    return static_cast<std::int32_t>(g_vm->Pop().value);
}

bool IsTextOperand(const VmValue& operand) {
    return operand.type == vm_type::kLiteral || operand.type == vm_type::kAStringRef ||
           operand.type == vm_type::kBStringRef;
}

bool ResolveIntOperand(const VmValue& operand, std::int32_t& value) {
    switch (operand.type) {
        case vm_type::kInt: value = static_cast<std::int32_t>(operand.value); return true;
        case vm_type::kAIntRef: value = g_vm ? g_vm->GetAInt(operand.value) : 0; return true;
        case vm_type::kCIntRef: value = g_vm ? g_vm->GetCInt(operand.value) : 0; return true;
        default: return false;
    }
}

bool ResolveByteOperand(const VmValue& operand, bool& set) {
    if (operand.type == vm_type::kByte) {
        set = operand.value != 0;
        return true;
    }
    if (operand.type != vm_type::kAByteRef) return false;
    const std::uint8_t* byte = g_vm ? g_vm->AByte(operand.value) : nullptr;
    if (byte == nullptr) ShowAccessViolation();
    set = byte != nullptr && *byte == 1;
    return true;
}

namespace {

// Null (outside the bank, or no script machine) is reported and nothing is written.
template <typename T>
void StoreChecked(T* target, T value) {
    if (!target) {
        ShowAccessViolation();
        return;
    }
    *target = value;
}

}  // namespace

void StoreAInt(std::int32_t index, std::int32_t value) {
    StoreChecked(g_vm ? g_vm->AInt(static_cast<std::uint32_t>(index)) : nullptr, value);
}

void StoreAByte(std::int32_t index, std::uint8_t value) {
    StoreChecked(g_vm ? g_vm->AByte(static_cast<std::uint32_t>(index)) : nullptr, value);
}

void StoreAText(std::int32_t index, std::string_view text) {
    if (!g_vm) return;
    const auto slot = static_cast<std::uint32_t>(index);
    if (text.empty()) {
        g_vm->SetAString(slot, 0, nullptr);
        return;
    }
    const std::string terminated(text);  // c_str() carries the terminator that is stored too
    g_vm->SetAString(slot, static_cast<std::int32_t>(terminated.size() + 1),
                     reinterpret_cast<const std::uint8_t*>(terminated.c_str()));
}

}  // namespace kv
