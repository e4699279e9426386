#include "backend/audio/mixer_stream.h"

#include <algorithm>
#include <cstring>

#include "backend/audio/mixer.h"

namespace backend {

MixerStream::MixerStream(Mixer& mixer, const PcmFormat& format, std::size_t capacityFrames)
    : mixer_(mixer), format_(format), words_((capacityFrames * format.blockAlign + 1) / 2),
      ring_(reinterpret_cast<std::uint8_t*>(words_.data())), capacity_(capacityFrames) {
    SetRate(format.samplesPerSecond);
    mixer_.AddVoice(this);
}

MixerStream::~MixerStream() { mixer_.RemoveVoice(this); }

std::size_t MixerStream::Write(const std::uint8_t* frames, std::size_t frameCount) {
    std::lock_guard lock(mixer_.Lock());
    const std::size_t accepted = std::min(frameCount, capacity_ - queued_);
    std::size_t tail = (head_ + queued_) % capacity_;
    std::size_t done = 0;
    while (done < accepted) {
        const std::size_t run = std::min(accepted - done, capacity_ - tail);
        std::memcpy(ring_ + tail * format_.blockAlign, frames + done * format_.blockAlign, run * format_.blockAlign);
        done += run;
        tail = (tail + run) % capacity_;
    }
    queued_ += accepted;
    return accepted;
}

std::size_t MixerStream::QueuedFrames() {
    std::lock_guard lock(mixer_.Lock());
    return queued_;
}

std::uint64_t MixerStream::PlayedFrames() {
    std::lock_guard lock(mixer_.Lock());
    return played_;
}

void MixerStream::SetPaused(bool paused) {
    std::lock_guard lock(mixer_.Lock());
    paused_ = paused;
}

bool MixerStream::SetVolume(std::int32_t hundredthsDb) {
    if (hundredthsDb < kVolumeSilent || hundredthsDb > kVolumeFull) return false;
    std::lock_guard lock(mixer_.Lock());
    SetGain(hundredthsDb, 0);
    return true;
}

void MixerStream::Clear() {
    std::lock_guard lock(mixer_.Lock());
    head_ = 0;
    queued_ = 0;
    played_ = 0;
    ResetConversion();
}

MixerVoice::Pulled MixerStream::Pull(FrameSink& sink, std::uint32_t frames) {
    Pulled pulled;
    while (pulled.frames < frames && queued_ > 0) {
        const auto run = static_cast<std::uint32_t>(std::min<std::size_t>({frames - pulled.frames, queued_, capacity_ - head_}));
        sink.Take(ring_ + head_ * format_.blockAlign, format_.channels, format_.bitsPerSample, run);
        pulled.frames += run;
        head_ = (head_ + run) % capacity_;
        queued_ -= run;
        played_ += run;
    }
    return pulled;
}

}  // namespace backend
