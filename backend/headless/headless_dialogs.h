#pragma once
// Message boxes answered from a queue the test fills, with a log of every box shown.

#include <deque>
#include <string>
#include <vector>

#include "backend/dialog_service.h"

namespace backend {

struct ShownMessageBox {
    WindowId owner = 0;
    std::string text;  // as the engine gave it (code page)
    std::string caption;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxAnswer answer = MessageBoxAnswer::Ok;
};

class HeadlessDialogs final : public DialogService {
public:
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

    MessageBoxAnswer ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                    MessageBoxButtons buttons) override;

private:
    std::deque<MessageBoxAnswer> answers_;
    std::vector<ShownMessageBox> boxes_;
    int unexpectedBoxes_ = 0;
};

}  // namespace backend
