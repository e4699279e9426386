#include "backend/audio/notification_hub.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <system_error>
#include <thread>

namespace backend {

namespace {
thread_local void* t_currentFeeder = nullptr;
}

class HubFeederThread final : public FeederThread {
public:
    HubFeederThread(NotificationHub& hub, std::function<void()> body) : hub_(hub), body_(std::move(body)) {
        {
            std::lock_guard lock(hub_.mutex_);
            hub_.feeders_.push_back(&feeder_);
        }
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            // No thread to be had: the caller is told so by a null thread.
            std::lock_guard lock(hub_.mutex_);
            feeder_.state = NotificationHub::Feeder::State::Cancelled;
        }
    }

    bool Started() const { return thread_.joinable(); }

    ~HubFeederThread() override {
        Join();
        std::lock_guard lock(hub_.mutex_);
        hub_.feeders_.remove(&feeder_);
    }

    void Resume() override {
        std::lock_guard lock(hub_.mutex_);
        if (feeder_.state == NotificationHub::Feeder::State::Dormant) {
            feeder_.state = NotificationHub::Feeder::State::Running;
            hub_.changed_.notify_all();
        }
    }

    void Join() override {
        {
            std::lock_guard lock(hub_.mutex_);
            if (feeder_.state == NotificationHub::Feeder::State::Dormant) {
                feeder_.state = NotificationHub::Feeder::State::Cancelled;
                hub_.changed_.notify_all();
            }
        }
        if (thread_.joinable()) thread_.join();
    }

private:
    using State = NotificationHub::Feeder::State;

    void Run() {
        {
            std::unique_lock lock(hub_.mutex_);
            hub_.changed_.wait(lock, [this] { return feeder_.state != State::Dormant; });
            if (feeder_.state == State::Cancelled) return;
        }
        if (hub_.promoteThreads_) {
            sched_param param{};
            param.sched_priority = sched_get_priority_min(SCHED_FIFO);
            pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);  // refused without the right: normal priority
        }
        t_currentFeeder = &feeder_;
        body_();
        t_currentFeeder = nullptr;
        std::lock_guard lock(hub_.mutex_);
        feeder_.state = State::Finished;
        feeder_.waitingOn.clear();
        hub_.changed_.notify_all();
    }

    NotificationHub& hub_;
    std::function<void()> body_;
    NotificationHub::Feeder feeder_;
    std::thread thread_;
};

NotificationHub::NotificationHub(bool promoteThreads) : promoteThreads_(promoteThreads) {}

NotificationHub::~NotificationHub() = default;

AudioEventPtr NotificationHub::CreateEvent() { return std::make_shared<AudioEvent>(*this); }

void NotificationHub::Signal(AudioEvent& event) {
    std::lock_guard lock(mutex_);
    event.signalled_ = true;
    changed_.notify_all();
}

int NotificationHub::WaitForEvents(std::span<const AudioEventPtr> events, std::uint32_t timeoutMs) {
    auto* feeder = static_cast<Feeder*>(t_currentFeeder);
    std::unique_lock lock(mutex_);
    auto firstSignalled = [&]() -> int {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i] && events[i]->signalled_) return static_cast<int>(i);
        }
        return -1;
    };
    if (feeder) {
        feeder->state = Feeder::State::Waiting;
        feeder->waitingOn.clear();
        for (const AudioEventPtr& event : events) feeder->waitingOn.push_back(event.get());
        changed_.notify_all();
    }
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return firstSignalled() >= 0; });
    const int index = firstSignalled();
    if (index >= 0) events[static_cast<std::size_t>(index)]->signalled_ = false;
    if (feeder) {
        feeder->state = Feeder::State::Running;
        feeder->waitingOn.clear();
    }
    return index;
}

std::unique_ptr<FeederThread> NotificationHub::CreateFeederThread(std::function<void()> body) {
    auto thread = std::make_unique<HubFeederThread>(*this, std::move(body));
    if (!thread->Started()) return nullptr;
    return thread;
}

bool NotificationHub::SettledLocked() const {
    for (const Feeder* feeder : feeders_) {
        if (feeder->state == Feeder::State::Running) return false;
        if (feeder->state == Feeder::State::Waiting &&
            std::any_of(feeder->waitingOn.begin(), feeder->waitingOn.end(),
                        [](const AudioEvent* event) { return event->signalled_; })) {
            return false;
        }
    }
    return true;
}

void NotificationHub::Settle(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, limit, [this] { return SettledLocked(); });
}

}  // namespace backend
