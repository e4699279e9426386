#include "backend/event_queue.h"

#include <atomic>

namespace backend {

namespace {
std::atomic<bool> g_terminationRequested{false};
}

bool EventQueue::PeekMessage(WindowMessage& message) {
    PumpSystemEvents();
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) return false;
    message = queue_.front();
    queue_.pop_front();
    return true;
}

void EventQueue::PostMessage(const WindowMessage& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(message);
}

void EventQueue::PostQuitMessage() { PostMessage(WindowMessage{0, MessageKind::Quit, 0, 0, 0}); }

void RequestTermination() { g_terminationRequested.store(true); }

bool TakeTerminationRequest() { return g_terminationRequested.exchange(false); }

}  // namespace backend
