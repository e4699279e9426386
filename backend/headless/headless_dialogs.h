#pragma once
// Message boxes answered from a queue the test fills, with a log of every box shown; dialogs
// run on queued input (keys, typed text, clicks on controls), drawn over their window as the
// real backend draws them, with a log of every dialog shown.

#include <deque>
#include <string>
#include <vector>

#include "backend/code_page.h"
#include "backend/dialog_service.h"

namespace backend {

class HeadlessWindows;
class GlyphService;

struct ShownMessageBox {
    WindowId owner = 0;
    std::string text;  // as the engine gave it (code page)
    std::string caption;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxAnswer answer = MessageBoxAnswer::Ok;
};

// One step of the player's in an open dialog.
struct DialogInput {
    enum class Kind : std::uint8_t { Key, Text, Compose, Click };
    Kind kind = Kind::Key;
    std::uint8_t key = 0;  // engine key code
    bool shift = false;
    std::string text;       // UTF-8, typed or being composed
    std::int32_t control = 0;  // the control clicked

    static DialogInput PressKey(std::uint8_t code, bool shift = false) { return {Kind::Key, code, shift, {}, 0}; }
    static DialogInput Type(std::string utf8) { return {Kind::Text, 0, false, std::move(utf8), 0}; }
    static DialogInput ComposeText(std::string utf8) { return {Kind::Compose, 0, false, std::move(utf8), 0}; }
    static DialogInput Click(std::int32_t id) { return {Kind::Click, 0, false, {}, id}; }
};

struct ShownDialog {
    WindowId owner = 0;
    std::string caption;  // UTF-8, from the template
    std::int32_t result = -1;
};

class HeadlessDialogs final : public DialogService {
public:
    HeadlessDialogs(HeadlessWindows& windows, GlyphService& glyphs, CodePage page)
        : windows_(windows), glyphs_(glyphs), page_(page) {}

    // ---- what the test controls ----
    // Answers for the next message boxes, in order. A box shown with no answer queued is
    // recorded as unexpected (see UnexpectedMessageBoxes) and answered as a closed box would be.
    void QueueMessageBoxAnswer(MessageBoxAnswer answer) { answers_.push_back(answer); }
    const std::vector<ShownMessageBox>& MessageBoxes() const { return boxes_; }
    int UnexpectedMessageBoxes() const { return unexpectedBoxes_; }
    void ClearMessageBoxes() {
        boxes_.clear();
        unexpectedBoxes_ = 0;
    }
    // Input for the open dialogs, in order; the message boxes a dialog shows take their answers
    // from the queue above. A dialog still open when its input runs out is recorded as unexpected
    // and ends with -1.
    void QueueDialogInput(DialogInput input) { inputs_.push_back(std::move(input)); }
    std::size_t PendingDialogInputs() const { return inputs_.size(); }
    const std::vector<ShownDialog>& Dialogs() const { return dialogs_; }
    int UnexpectedDialogs() const { return unexpectedDialogs_; }
    // Makes the next dialog fail to show.
    void FailNextDialog() { failNext_ = true; }

    MessageBoxAnswer ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                    MessageBoxButtons buttons) override;
    std::int32_t RunModalDialog(WindowId owner, const DialogTemplate& dialog, DialogProcedure& procedure) override;

private:
    HeadlessWindows& windows_;
    GlyphService& glyphs_;
    CodePage page_;
    std::deque<MessageBoxAnswer> answers_;
    std::vector<ShownMessageBox> boxes_;
    int unexpectedBoxes_ = 0;
    std::deque<DialogInput> inputs_;
    std::vector<ShownDialog> dialogs_;
    int unexpectedDialogs_ = 0;
    bool failNext_ = false;
};

}  // namespace backend
