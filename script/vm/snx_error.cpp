#include "script/vm/snx_error.h"

#include <string>

#include "base/message_box.h"

namespace kv {

void ShowSnxError(std::int32_t code) {
    const std::string text = "Error code is " + std::to_string(code);
    MessageBoxOk(0, text, "SNXError");
}

void ShowAccessViolation() {
    MessageBoxOk(0, "Access violation in Scripts", "error");
}

}  // namespace kv
