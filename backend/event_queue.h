#pragma once
// The window-message queue. Any thread may post (sound and movie threads will); the main loop
// takes the messages and hands them to WindowService::DispatchMessage. Each backend turns its
// own operating-system events into messages when the queue is pumped.

#include <deque>
#include <mutex>

#include "backend/window_message.h"

namespace backend {

class EventQueue {
public:
    EventQueue() = default;
    virtual ~EventQueue() = default;
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;

    // Main thread: moves pending operating-system events into the queue, then takes the oldest
    // message (false when there is none).
    bool PeekMessage(WindowMessage& message);
    // Any thread.
    void PostMessage(const WindowMessage& message);
    void PostQuitMessage();

protected:
    // Main thread: the backend's events become messages (PostMessage) and input state.
    virtual void PumpSystemEvents() = 0;

private:
    std::mutex mutex_;
    std::deque<WindowMessage> queue_;
};

// Ends the program the way the script's quit operation does: every window is destroyed (so the
// loop sees the quit message) without asking anything. Safe to call from a signal handler: it
// only sets a flag that the next pump acts on.
void RequestTermination();
// True once after RequestTermination; the pump that sees it destroys the windows.
bool TakeTerminationRequest();

}  // namespace backend
