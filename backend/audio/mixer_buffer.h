#pragma once
// A secondary buffer of the mixer: PCM in its own format, a play position that wraps when it
// loops, notification positions, volume, pan and frequency.

#include <cstdint>
#include <vector>

#include "backend/audio_device.h"
#include "backend/audio/mixer_voice.h"

namespace backend {

class Mixer;

class MixerBuffer final : public AudioBuffer, private MixerVoice {
public:
    MixerBuffer(Mixer& mixer, const PcmFormat& format, std::uint32_t bytes);
    ~MixerBuffer() override;

    bool Play(bool looping) override;
    bool Stop() override;
    std::uint32_t Status() override;
    void GetPositions(std::uint32_t& play, std::uint32_t& write) override;
    bool SetPosition(std::uint32_t offset) override;
    void StopAt(std::uint32_t offset) override;
    bool Lock(std::uint32_t offset, std::uint32_t bytes, LockedRegion& region) override;
    bool Unlock(const LockedRegion& region) override;
    bool SetFrequency(std::uint32_t hz) override;
    bool SetVolume(std::int32_t hundredthsDb) override;
    bool SetPan(std::int32_t hundredthsDb) override;
    std::uint32_t Frequency() override;
    std::int32_t Volume() override;
    std::int32_t Pan() override;
    bool SetNotificationPositions(std::vector<NotificationPosition> positions) override;

private:
    bool Active() const override { return playing_; }
    Pulled Pull(std::int16_t* out, std::uint32_t frames) override;
    void Finished() override;
    // Signals the events of the notifications at offset; all under the mixer's lock.
    void Notify(std::uint32_t offset);
    void StopLocked();

    Mixer& mixer_;
    const PcmFormat format_;
    std::vector<std::uint8_t> data_;
    std::vector<std::uint8_t> staging_;  // what Lock hands out
    bool locked_ = false;
    std::uint32_t lockOffset_ = 0;
    std::uint32_t position_ = 0;
    bool playing_ = false;
    bool looping_ = false;
    bool stopAtArmed_ = false;
    std::uint32_t stopAt_ = 0;
    std::uint32_t frequency_;
    std::int32_t volume_ = 0;
    std::int32_t pan_ = 0;
    std::vector<NotificationPosition> notifications_;
};

}  // namespace backend
