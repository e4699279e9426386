#include "backend/audio/mixer_buffer.h"

#include <algorithm>
#include <cstring>

#include "backend/audio/mixer.h"

namespace backend {

MixerBuffer::MixerBuffer(Mixer& mixer, const PcmFormat& format, std::uint32_t bytes)
    : mixer_(mixer), format_(format), data_(bytes, format.bitsPerSample == 8 ? 0x80 : 0),
      frequency_(format.samplesPerSecond) {
    SetRate(frequency_);
    mixer_.AddVoice(this);
}

MixerBuffer::~MixerBuffer() { mixer_.RemoveVoice(this); }

bool MixerBuffer::Play(bool looping) {
    std::lock_guard lock(mixer_.Lock());
    looping_ = looping;
    if (playing_) return true;
    playing_ = true;
    ResetConversion();
    if (position_ == 0) Notify(0);
    return true;
}

void MixerBuffer::StopLocked() {
    playing_ = false;
    stopAtArmed_ = false;
    ResetConversion();
    Notify(kNotifyAtStop);
}

bool MixerBuffer::Stop() {
    std::lock_guard lock(mixer_.Lock());
    if (playing_) StopLocked();
    return true;
}

std::uint32_t MixerBuffer::Status() {
    std::lock_guard lock(mixer_.Lock());
    if (!playing_) return 0;
    return kStatusPlaying | (looping_ ? kStatusLooping : 0);
}

void MixerBuffer::GetPositions(std::uint32_t& play, std::uint32_t& write) {
    std::lock_guard lock(mixer_.Lock());
    play = position_;
    write = position_;
    if (playing_) {
        // What the next period will take is already on its way to the output.
        const std::uint64_t aheadFrames = (static_cast<std::uint64_t>(kMaxPeriodFrames) * frequency_ + kOutputRate - 1) / kOutputRate;
        const std::uint64_t ahead = aheadFrames * format_.blockAlign;
        write = static_cast<std::uint32_t>((position_ + ahead) % data_.size());
    }
}

bool MixerBuffer::SetPosition(std::uint32_t offset) {
    std::lock_guard lock(mixer_.Lock());
    if (offset >= data_.size()) return false;
    position_ = offset - offset % format_.blockAlign;
    ResetConversion();
    return true;
}

void MixerBuffer::StopAt(std::uint32_t offset) {
    std::lock_guard lock(mixer_.Lock());
    stopAtArmed_ = offset < data_.size();
    stopAt_ = offset - offset % format_.blockAlign;
}

bool MixerBuffer::Lock(std::uint32_t offset, std::uint32_t bytes, LockedRegion& region) {
    std::lock_guard lock(mixer_.Lock());
    const auto size = static_cast<std::uint32_t>(data_.size());
    if (locked_ || offset >= size || bytes == 0 || bytes > size) return false;
    if (staging_.size() < bytes) staging_.resize(bytes);
    region.first = staging_.data();
    region.firstBytes = std::min(bytes, size - offset);
    region.second = region.firstBytes < bytes ? staging_.data() + region.firstBytes : nullptr;
    region.secondBytes = bytes - region.firstBytes;
    std::memcpy(region.first, data_.data() + offset, region.firstBytes);
    if (region.secondBytes) std::memcpy(region.second, data_.data(), region.secondBytes);
    locked_ = true;
    lockOffset_ = offset;
    return true;
}

bool MixerBuffer::Unlock(const LockedRegion& region) {
    std::lock_guard lock(mixer_.Lock());
    const auto size = static_cast<std::uint32_t>(data_.size());
    if (!locked_ || region.first != staging_.data() || region.firstBytes > size - lockOffset_ ||
        region.firstBytes + region.secondBytes > staging_.size()) {
        return false;
    }
    std::memcpy(data_.data() + lockOffset_, staging_.data(), region.firstBytes);
    if (region.secondBytes) std::memcpy(data_.data(), staging_.data() + region.firstBytes, region.secondBytes);
    locked_ = false;
    return true;
}

bool MixerBuffer::SetFrequency(std::uint32_t hz) {
    if (hz < kMinFrequency || hz > kMaxFrequency) return false;
    std::lock_guard lock(mixer_.Lock());
    frequency_ = hz;
    SetRate(hz);
    return true;
}

bool MixerBuffer::SetVolume(std::int32_t hundredthsDb) {
    if (hundredthsDb < kVolumeSilent || hundredthsDb > kVolumeFull) return false;
    std::lock_guard lock(mixer_.Lock());
    volume_ = hundredthsDb;
    SetGain(volume_, pan_);
    return true;
}

bool MixerBuffer::SetPan(std::int32_t hundredthsDb) {
    if (hundredthsDb < kPanLeft || hundredthsDb > kPanRight) return false;
    std::lock_guard lock(mixer_.Lock());
    pan_ = hundredthsDb;
    SetGain(volume_, pan_);
    return true;
}

std::uint32_t MixerBuffer::Frequency() {
    std::lock_guard lock(mixer_.Lock());
    return frequency_;
}

std::int32_t MixerBuffer::Volume() {
    std::lock_guard lock(mixer_.Lock());
    return volume_;
}

std::int32_t MixerBuffer::Pan() {
    std::lock_guard lock(mixer_.Lock());
    return pan_;
}

bool MixerBuffer::SetNotificationPositions(std::vector<NotificationPosition> positions) {
    std::lock_guard lock(mixer_.Lock());
    if (playing_) return false;
    for (NotificationPosition& position : positions) {
        if (!position.event || (position.offset != kNotifyAtStop && position.offset >= data_.size())) return false;
        // Positions are reached frame by frame: one inside a frame fires at the next frame.
        if (position.offset != kNotifyAtStop && position.offset % format_.blockAlign) {
            position.offset += format_.blockAlign - position.offset % format_.blockAlign;
            if (position.offset >= data_.size()) position.offset = 0;
        }
    }
    notifications_ = std::move(positions);
    return true;
}

void MixerBuffer::Notify(std::uint32_t offset) {
    for (const NotificationPosition& position : notifications_) {
        if (position.offset == offset) mixer_.Hub().Signal(*position.event);
    }
}

MixerVoice::Pulled MixerBuffer::Pull(std::int16_t* out, std::uint32_t frames) {
    const auto size = static_cast<std::uint32_t>(data_.size());
    Pulled pulled;
    while (pulled.frames < frames) {
        if (stopAtArmed_ && position_ == stopAt_) {
            pulled.ended = true;
            return pulled;
        }
        // Run to the next place where something happens: a notification, the stop point, the end.
        std::uint32_t boundary = size;
        for (const NotificationPosition& position : notifications_) {
            if (position.offset > position_ && position.offset < boundary) boundary = position.offset;
        }
        if (stopAtArmed_ && stopAt_ > position_) boundary = std::min(boundary, stopAt_);
        const std::uint32_t run = std::min(frames - pulled.frames, (boundary - position_) / format_.blockAlign);
        ConvertToStereo16(data_.data() + position_, format_.channels, format_.bitsPerSample, out + 2 * pulled.frames, run);
        pulled.frames += run;
        position_ += run * format_.blockAlign;
        if (position_ == size) {
            if (!looping_) {
                position_ = 0;
                pulled.ended = true;
                return pulled;
            }
            position_ = 0;
        }
        if (position_ == boundary % size) Notify(position_);
    }
    return pulled;
}

void MixerBuffer::Finished() {
    // A sound that ran out starts from its beginning when played again (Pull rewound it); one
    // stopped at a given point stays there.
    StopLocked();
}

}  // namespace backend
