#include "backend/headless/headless_dialogs.h"

namespace backend {

MessageBoxAnswer HeadlessDialogs::ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                                 MessageBoxButtons buttons) {
    ShownMessageBox box{owner, std::string(text), std::string(caption), buttons, MessageBoxAnswer::Ok};
    if (!answers_.empty()) {
        box.answer = answers_.front();
        answers_.pop_front();
    } else {
        ++unexpectedBoxes_;
        box.answer = buttons == MessageBoxButtons::YesNo ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
    }
    boxes_.push_back(box);
    return box.answer;
}

}  // namespace backend
