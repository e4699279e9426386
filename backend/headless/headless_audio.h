#pragma once
// The audio device of the headless backend: the mixer rendered on demand as the virtual clock
// advances, a period at a time, with the feeder threads given the chance to answer every
// notification before the next period. What it renders can be kept for the tests to hear, and
// the feeder threads of streamed sounds can be made to fail, as on a system out of threads.

#include <cstdint>
#include <vector>

#include "backend/audio/mixer.h"

namespace backend {

class HeadlessAudio final : public Mixer {
public:
    HeadlessAudio() : Mixer(false) {}

    // Renders the mix up to this much virtual time since the device was made.
    void AdvanceTo(std::uint64_t microseconds);
    void SetCapture(bool capture) { capture_ = capture; }
    // The kept mix: 16-bit stereo at kOutputRate.
    const std::vector<std::int16_t>& Captured() const { return captured_; }
    void ClearCaptured() { captured_.clear(); }
    std::uint64_t RenderedFrames() const { return rendered_; }
    void FailFeederThreads(bool fail) { failFeederThreads_ = fail; }

    std::unique_ptr<FeederThread> CreateFeederThread(std::function<void()> body) override;

private:
    std::uint64_t rendered_ = 0;
    bool capture_ = false;
    std::vector<std::int16_t> captured_;
    bool failFeederThreads_ = false;
};

}  // namespace backend
