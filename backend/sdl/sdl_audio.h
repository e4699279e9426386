#pragma once
// The audio device of the real programs: the mixer rendered in SDL's audio callback at 44100 Hz,
// 16-bit stereo, in periods of 512 frames. Without an audio device (none, or one that fails to
// open) a thread of our own takes the mix at the same pace and drops it, so that sounds still
// end and streams still run.

#include <atomic>
#include <cstdint>
#include <thread>

#include "backend/audio/mixer.h"

namespace backend {

class SdlAudio final : public Mixer {
public:
    SdlAudio();
    ~SdlAudio() override;

    // true when SDL plays the mix; false when the pacing thread drops it.
    bool HasOutput() const { return device_ != 0; }

private:
    static void Callback(void* self, std::uint8_t* stream, int bytes);
    void PaceWithoutOutput();

    std::uint32_t device_ = 0;
    bool initialised_ = false;
    std::atomic<bool> stopPacing_{false};
    std::thread pacer_;
};

}  // namespace backend
