#pragma once
// A stream of the mixer that a producer thread feeds: a ring of queued frames in the stream's
// own format, played in order, silent while empty.

#include <cstdint>
#include <vector>

#include "backend/audio_device.h"
#include "backend/audio/mixer_voice.h"

namespace backend {

class Mixer;

class MixerStream final : public AudioStream, private MixerVoice {
public:
    MixerStream(Mixer& mixer, const PcmFormat& format, std::size_t capacityFrames);
    ~MixerStream() override;

    std::size_t Write(const std::uint8_t* frames, std::size_t frameCount) override;
    std::size_t QueuedFrames() override;
    std::uint64_t PlayedFrames() override;
    void SetPaused(bool paused) override;
    bool SetVolume(std::int32_t hundredthsDb) override;
    void Clear() override;

private:
    bool Active() const override { return !paused_ && queued_ > 0; }
    Pulled Pull(FrameSink& sink, std::uint32_t frames) override;
    void Finished() override {}

    Mixer& mixer_;
    const PcmFormat format_;
    std::vector<std::int16_t> words_;  // the ring's bytes, in 16-bit words (see MixerBuffer)
    std::uint8_t* const ring_;
    std::size_t capacity_;  // frames
    std::size_t head_ = 0;  // frame read next
    std::size_t queued_ = 0;
    std::uint64_t played_ = 0;
    bool paused_ = false;
};

}  // namespace backend
