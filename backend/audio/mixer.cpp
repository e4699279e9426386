#include "backend/audio/mixer.h"

#include <algorithm>

#include "backend/audio/mixer_buffer.h"
#include "backend/audio/mixer_stream.h"

namespace backend {

Mixer::Mixer(bool promoteThreads) : accumulator_(kMaxPeriodFrames * 2), hub_(promoteThreads) {}

Mixer::~Mixer() = default;

void Mixer::Render(std::int16_t* out, std::uint32_t frames) {
    std::lock_guard lock(mutex_);
    while (frames > 0) {
        const std::uint32_t period = std::min(frames, kMaxPeriodFrames);
        std::fill(accumulator_.begin(), accumulator_.begin() + period * 2, 0);
        // A voice that finishes stays in the list; only the owner's destructor takes it out.
        for (MixerVoice* voice : voices_) {
            if (voice->Active()) voice->MixInto(accumulator_.data(), period);
        }
        SaturateStereo(accumulator_.data(), out, period);
        out += period * 2;
        frames -= period;
    }
}

bool Mixer::Silent() {
    std::lock_guard lock(mutex_);
    return std::none_of(voices_.begin(), voices_.end(), [](const MixerVoice* voice) { return voice->Active(); });
}

bool Mixer::SetPrimaryFormat(std::uint32_t rate) { return rate == kOutputRate; }

std::unique_ptr<AudioBuffer> Mixer::CreateBuffer(const PcmFormat& format, std::uint32_t bytes) {
    if (!IsPlayablePcm(format) || bytes == 0 || bytes % format.blockAlign != 0) return nullptr;
    return std::make_unique<MixerBuffer>(*this, format, bytes);
}

std::unique_ptr<AudioStream> Mixer::CreateStream(const PcmFormat& format, std::size_t capacityFrames) {
    if (!IsPlayablePcm(format) || format.bitsPerSample != 16 || capacityFrames == 0) return nullptr;
    return std::make_unique<MixerStream>(*this, format, capacityFrames);
}

AudioEventPtr Mixer::CreateEvent() { return hub_.CreateEvent(); }

void Mixer::SignalEvent(const AudioEventPtr& event) {
    if (event) hub_.Signal(*event);
}

int Mixer::WaitForEvents(std::span<const AudioEventPtr> events, std::uint32_t timeoutMs) {
    return hub_.WaitForEvents(events, timeoutMs);
}

std::unique_ptr<FeederThread> Mixer::CreateFeederThread(std::function<void()> body) {
    return hub_.CreateFeederThread(std::move(body));
}

void Mixer::AddVoice(MixerVoice* voice) {
    std::lock_guard lock(mutex_);
    voices_.push_back(voice);
}

void Mixer::RemoveVoice(MixerVoice* voice) {
    std::lock_guard lock(mutex_);
    voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

}  // namespace backend
