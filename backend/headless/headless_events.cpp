#include "backend/headless/headless_events.h"

#include "backend/headless/headless_windows.h"

namespace backend {

void HeadlessEvents::QueueSystemMessage(const WindowMessage& message) { systemMessages_.push_back(message); }

void HeadlessEvents::RequestClose() {
    if (windows_ && windows_->FirstWindow() != 0)
        QueueSystemMessage(WindowMessage{windows_->FirstWindow(), MessageKind::Close, 0, 0, 0});
}

void HeadlessEvents::QueueKey(std::uint8_t code, bool down) {
    inputChanges_.push_back({InputChange::Kind::Key, code, down ? 1 : 0});
}

void HeadlessEvents::QueueMouseButton(int button, bool down) {
    inputChanges_.push_back({InputChange::Kind::Button, button, down ? 1 : 0});
}

void HeadlessEvents::QueueWheel(std::int32_t amount) {
    inputChanges_.push_back({InputChange::Kind::Wheel, 0, amount});
}

void HeadlessEvents::PumpSystemEvents() {
    if (!windows_) return;
    windows_->HonourTerminationRequest();
    for (const InputChange& change : inputChanges_) {
        switch (change.kind) {
            case InputChange::Kind::Key:
                windows_->SetKeyState(static_cast<std::uint8_t>(change.which), change.value != 0);
                break;
            case InputChange::Kind::Button: windows_->SetButtonState(change.which, change.value != 0); break;
            case InputChange::Kind::Wheel: windows_->AddWheel(change.value); break;
        }
    }
    inputChanges_.clear();
    while (!systemMessages_.empty()) {
        const WindowMessage message = systemMessages_.front();
        systemMessages_.pop_front();
        if (message.kind == MessageKind::ActivateApp)
            windows_->PostActivation(message.window, message.value == 1);
        else
            PostMessage(message);
    }
}

}  // namespace backend
