#pragma once
// A secondary buffer of the mixer: PCM in its own format, a play position that wraps when it
// loops, notification positions, volume, pan and frequency.
//
// At another rate than the mix, a buffer with notification positions (a ring a feeder refills
// as it plays) is converted as it plays; any other is a whole sound, converted once when it is
// written or its frequency set (see ConvertedSound). Positions outside are always the buffer's
// own bytes; inside they are bytes of what the mixer reads (the converted copy, when there is
// one).

#include <cstdint>
#include <mutex>
#include <vector>

#include "backend/audio/converted_sound.h"
#include "backend/audio/mixer_voice.h"
#include "backend/audio_device.h"

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
    Pulled Pull(FrameSink& sink, std::uint32_t frames) override;
    void Finished() override;
    // Signals the events of the notifications at offset; all under the mixer's lock.
    void Notify(std::uint32_t offset);
    void StopLocked();

    // Whether the buffer is read through a converted copy at this rate with these notifications.
    static bool ConvertsWhole(std::uint32_t rate, bool hasNotifications) { return rate != kOutputRate && !hasNotifications; }
    // The buffer read at rate, converted whole or not (under edit_, without the mixer's lock: the
    // conversion runs outside it, and only holders of edit_ write the bytes).
    void Refresh(std::uint32_t rate, bool whole);
    // Bytes and frame size of what the mixer reads.
    std::uint32_t ReadSize() const;
    std::uint32_t ReadBlock() const { return whole_ ? 4 : format_.blockAlign; }
    // Offsets between the buffer's bytes and what the mixer reads.
    std::uint32_t ToRead(std::uint32_t offset) const;
    std::uint32_t FromRead(std::uint32_t offset) const;

    Mixer& mixer_;
    std::mutex edit_;  // held by whoever writes the bytes or changes how they are read
    const PcmFormat format_;
    // The buffer's bytes, kept in 16-bit words so that 16-bit frames are mixed where they lie.
    std::vector<std::int16_t> words_;
    std::uint8_t* const data_;
    const std::uint32_t size_;  // bytes
    std::vector<std::uint8_t> staging_;  // what Lock hands out
    bool locked_ = false;
    std::uint32_t lockOffset_ = 0;
    std::uint32_t position_ = 0;  // bytes of what the mixer reads, as stopAt_
    bool playing_ = false;
    bool looping_ = false;
    bool stopAtArmed_ = false;
    std::uint32_t stopAt_ = 0;
    std::uint32_t frequency_;
    std::int32_t volume_ = 0;
    std::int32_t pan_ = 0;
    std::vector<NotificationPosition> notifications_;
    bool whole_ = false;  // read through converted_
    ConvertedSound converted_;
    bool wrapped_ = false;  // came round at least once since it started
};

}  // namespace backend
