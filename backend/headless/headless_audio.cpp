#include "backend/headless/headless_audio.h"

#include <algorithm>
#include <utility>

namespace backend {

void HeadlessAudio::AdvanceTo(std::uint64_t microseconds) {
    const std::uint64_t target = microseconds * kOutputRate / 1000000;
    std::int16_t period[kMaxPeriodFrames * 2];
    while (rendered_ < target) {
        const auto frames = static_cast<std::uint32_t>(std::min<std::uint64_t>(target - rendered_, kMaxPeriodFrames));
        Settle();
        if (Silent()) {
            // Only the engine starts voices, and it waits for this call: the rest is silence.
            if (capture_) captured_.resize(captured_.size() + (target - rendered_) * 2, 0);
            rendered_ = target;
            break;
        }
        Render(period, frames);
        if (capture_) captured_.insert(captured_.end(), period, period + frames * 2);
        rendered_ += frames;
    }
    Settle();
}

std::unique_ptr<FeederThread> HeadlessAudio::CreateFeederThread(std::function<void()> body) {
    if (failFeederThreads_) return nullptr;
    return Mixer::CreateFeederThread(std::move(body));
}

}  // namespace backend
