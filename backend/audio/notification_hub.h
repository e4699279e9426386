#pragma once
// The device's events and feeder threads, under one lock. Besides waiting and signalling it can
// tell when every feeder thread has caught up with what was signalled (Settle): the headless
// device renders its next period only then, so a test hears exactly what the feeders wrote
// whatever the machine's speed.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "backend/audio_device.h"

namespace backend {

class AudioEvent {
public:
    explicit AudioEvent(class NotificationHub& hub) : hub_(hub) {}
    class NotificationHub& Hub() const { return hub_; }

private:
    friend class NotificationHub;
    class NotificationHub& hub_;
    bool signalled_ = false;  // guarded by the hub's lock
};

class NotificationHub {
public:
    // promoteThreads: feeder threads ask the system for real-time scheduling (not granted
    // everywhere; they run at normal priority then).
    explicit NotificationHub(bool promoteThreads);
    ~NotificationHub();
    NotificationHub(const NotificationHub&) = delete;
    NotificationHub& operator=(const NotificationHub&) = delete;

    AudioEventPtr CreateEvent();
    void Signal(AudioEvent& event);
    int WaitForEvents(std::span<const AudioEventPtr> events, std::uint32_t timeoutMs);
    std::unique_ptr<FeederThread> CreateFeederThread(std::function<void()> body);

    // Waits until every resumed feeder thread is blocked in a wait with none of its events
    // signalled, or has ended; gives up after limit (a feeder stuck elsewhere must not hang
    // the caller).
    void Settle(std::chrono::milliseconds limit = std::chrono::milliseconds(5000));

private:
    friend class HubFeederThread;
    struct Feeder {
        enum class State : std::uint8_t { Dormant, Running, Waiting, Finished, Cancelled };
        State state = State::Dormant;
        std::vector<AudioEvent*> waitingOn;
    };
    bool SettledLocked() const;

    const bool promoteThreads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::list<Feeder*> feeders_;
};

}  // namespace backend
