#pragma once
// The mixing core both backends share: the audio device's buffers, streams, events and feeder
// threads, and Render, which mixes the next frames of everything playing. The SDL backend calls
// Render from its audio callback; the headless backend as its clock advances.

#include <cstdint>
#include <mutex>
#include <vector>

#include "backend/audio_device.h"
#include "backend/audio/notification_hub.h"

namespace backend {

class MixerVoice;

class Mixer : public AudioDevice {
public:
    explicit Mixer(bool promoteThreads);
    ~Mixer() override;

    // Mixes the next frames of every playing voice into out (16-bit stereo, interleaved).
    void Render(std::int16_t* out, std::uint32_t frames);
    // Nothing is playing: Render would give silence until a voice starts.
    bool Silent();
    // Waits until the feeder threads have answered every notification (see NotificationHub).
    void Settle() { hub_.Settle(); }

    bool SetPrimaryFormat(std::uint32_t rate) override;
    std::unique_ptr<AudioBuffer> CreateBuffer(const PcmFormat& format, std::uint32_t bytes) override;
    std::unique_ptr<AudioStream> CreateStream(const PcmFormat& format, std::size_t capacityFrames) override;
    AudioEventPtr CreateEvent() override;
    void SignalEvent(const AudioEventPtr& event) override;
    int WaitForEvents(std::span<const AudioEventPtr> events, std::uint32_t timeoutMs) override;
    std::unique_ptr<FeederThread> CreateFeederThread(std::function<void()> body) override;

    // For the voices: the lock every voice's state is kept under, and the voice list.
    std::mutex& Lock() { return mutex_; }
    void AddVoice(MixerVoice* voice);
    void RemoveVoice(MixerVoice* voice);
    NotificationHub& Hub() { return hub_; }

private:
    std::mutex mutex_;
    std::vector<MixerVoice*> voices_;
    std::vector<std::int32_t> accumulator_;
    NotificationHub hub_;
};

}  // namespace backend
