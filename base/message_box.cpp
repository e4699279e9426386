#include "base/message_box.h"

namespace kv {

void MessageBoxOk(platform::WindowId owner, std::string_view text, std::string_view caption) {
    platform::Get().ShowMessageBox(owner, text, caption, platform::MessageBoxButtons::Ok);
}

bool MessageBoxYesNo(platform::WindowId owner, std::string_view text, std::string_view caption) {
    return platform::Get().ShowMessageBox(owner, text, caption, platform::MessageBoxButtons::YesNo) ==
           platform::MessageBoxAnswer::Yes;
}

}  // namespace kv
