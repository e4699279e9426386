#include "backend/headless/headless_dialogs.h"

#include "backend/dialogs/box_screen.h"
#include "backend/dialogs/dialog_session.h"
#include "backend/headless/headless_windows.h"

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

std::int32_t HeadlessDialogs::RunModalDialog(WindowId owner, const DialogTemplate& dialog,
                                             DialogProcedure& procedure) {
    const WindowId host = windows_.HostForBox(owner);
    if (failNext_ || host == 0) {
        failNext_ = false;
        return -1;
    }
    const std::size_t logIndex = dialogs_.size();
    dialogs_.push_back(ShownDialog{owner, dialog.caption, -1});
    BoxScreen screen(windows_, host);
    DialogSession session(host, screen.Client(), &glyphs_, page_);
    session.OpenTemplate(dialog, procedure);
    screen.Show(session);
    while (!session.Ended()) {
        if (inputs_.empty()) {
            ++unexpectedDialogs_;
            return -1;
        }
        const DialogInput input = std::move(inputs_.front());
        inputs_.pop_front();
        switch (input.kind) {
            case DialogInput::Kind::Key: session.Key(input.key, input.shift); break;
            case DialogInput::Kind::Text: session.TypeText(input.text); break;
            case DialogInput::Kind::Compose: session.Compose(input.text); break;
            case DialogInput::Kind::Click: session.ClickControl(input.control); break;
        }
        if (!session.Ended()) screen.Show(session);
    }
    dialogs_[logIndex].result = session.Result();
    return session.Result();
}

}  // namespace backend
