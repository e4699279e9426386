#include "script/ops/desktop_ops.h"

#include <string>

#include "app/globals/globals.h"
#include "backend/desktop_service.h"
#include "backend/hub.h"
#include "base/app_env.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"

namespace kv {

std::uint32_t OpenExternal() {
    const std::int32_t mode = PopIntOperand();
    const VmValue operand = g_vm ? g_vm->Pop() : VmValue{};
    char target[64];
    // A target cut short by its buffer would name something else, and an empty one names
    // nothing: neither opens anything.
    if (FetchOperandText(operand, target) && target[0] != '\0') {
        std::string path = target;
        if (mode == 0 && g_appEnv) path = std::string(g_appEnv->GetModuleDir().View()) + path;
        backend::Get().Desktop().OpenWithDefaultProgram(path);
    }
    return CompleteOperation(0);
}

}  // namespace kv
