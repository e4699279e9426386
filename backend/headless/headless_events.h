#pragma once
// The event queue of the headless backend: "operating-system" events are what the test queued,
// taking effect at the next pump, in order.

#include <cstdint>
#include <deque>
#include <vector>

#include "backend/event_queue.h"

namespace backend {

class HeadlessWindows;

class HeadlessEvents final : public EventQueue {
public:
    // The windows whose input state and focus the pump feeds; set once by the hub.
    void Attach(HeadlessWindows& windows) { windows_ = &windows; }

    // ---- what the test controls ----
    // A message that the next pump brings "from the operating system"; an ActivateApp moves
    // the focus as a real one would.
    void QueueSystemMessage(const WindowMessage& message);
    // Like a click on the close box of the first window.
    void RequestClose();
    void QueueKey(std::uint8_t code, bool down);
    void QueueMouseButton(int button, bool down);
    void QueueWheel(std::int32_t amount);

protected:
    void PumpSystemEvents() override;

private:
    struct InputChange {
        enum class Kind : std::uint8_t { Key, Button, Wheel } kind;
        std::int32_t which;
        std::int32_t value;
    };

    HeadlessWindows* windows_ = nullptr;
    std::deque<WindowMessage> systemMessages_;
    std::vector<InputChange> inputChanges_;
};

}  // namespace backend
