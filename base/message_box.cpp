#include "base/message_box.h"

#include "backend/dialog_service.h"
#include "backend/hub.h"
#include "backend/window_message.h"

namespace kv {

void MessageBoxOk(backend::WindowId owner, std::string_view text, std::string_view caption) {
    backend::Get().Dialogs().ShowMessageBox(owner, text, caption, backend::MessageBoxButtons::Ok);
}

bool MessageBoxYesNo(backend::WindowId owner, std::string_view text, std::string_view caption) {
    return backend::Get().Dialogs().ShowMessageBox(owner, text, caption, backend::MessageBoxButtons::YesNo) ==
           backend::MessageBoxAnswer::Yes;
}

}  // namespace kv
