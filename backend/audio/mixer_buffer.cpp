#include "backend/audio/mixer_buffer.h"

#include <algorithm>
#include <cstring>

#include "backend/audio/mixer.h"

namespace backend {

MixerBuffer::MixerBuffer(Mixer& mixer, const PcmFormat& format, std::uint32_t bytes)
    : mixer_(mixer), format_(format), words_((bytes + 1) / 2, format.bitsPerSample == 8 ? 0x8080 : 0),
      data_(reinterpret_cast<std::uint8_t*>(words_.data())), size_(bytes), frequency_(format.samplesPerSecond) {
    whole_ = ConvertsWhole(frequency_, false);
    if (whole_) {
        // Silence converts to silence: nothing to run through the converter yet.
        converted_.rate = frequency_;
        converted_.frames.assign(2 * static_cast<std::size_t>(ConvertedLength(bytes / format.blockAlign, frequency_)), 0);
    }
    SetRate(whole_ ? kOutputRate : frequency_);
    mixer_.AddVoice(this);
}

MixerBuffer::~MixerBuffer() { mixer_.RemoveVoice(this); }

std::uint32_t MixerBuffer::ReadSize() const {
    return whole_ ? converted_.FrameCount() * 4 : size_;
}

std::uint32_t MixerBuffer::ToRead(std::uint32_t offset) const {
    if (!whole_) return offset;
    const std::uint64_t frame = offset / format_.blockAlign;
    const auto read = static_cast<std::uint32_t>(frame * kOutputRate / converted_.rate);
    return std::min(read, converted_.FrameCount()) * 4;
}

std::uint32_t MixerBuffer::FromRead(std::uint32_t offset) const {
    if (!whole_) return offset;
    const std::uint64_t frame = offset / 4;
    const auto own = static_cast<std::uint32_t>(frame * converted_.rate / kOutputRate);
    return std::min(own * format_.blockAlign, size_ - format_.blockAlign);
}

void MixerBuffer::Refresh(std::uint32_t rate, bool whole) {
    ConvertedSound fresh;
    if (whole) {
        ConvertSound(data_, static_cast<std::uint32_t>(size_ / format_.blockAlign), format_.channels,
                     format_.bitsPerSample, rate, fresh);
    }
    std::lock_guard lock(mixer_.Lock());
    // Rewritten at the same rate, the position stays where it is; otherwise it stays at the
    // same place of the sound.
    const bool sameReading = whole == whole_ && (!whole || rate == converted_.rate);
    const std::uint32_t position = FromRead(position_);
    const std::uint32_t stopAt = FromRead(stopAt_);
    frequency_ = rate;
    whole_ = whole;
    converted_ = std::move(fresh);
    if (sameReading) {
        position_ = std::min(position_, ReadSize() - ReadBlock());
        stopAt_ = std::min(stopAt_, ReadSize());
    } else {
        position_ = ToRead(position);
        if (position_ >= ReadSize()) position_ = 0;
        stopAt_ = ToRead(stopAt);
    }
    SetRate(whole_ ? kOutputRate : frequency_);
}

bool MixerBuffer::Play(bool looping) {
    std::lock_guard lock(mixer_.Lock());
    looping_ = looping;
    if (playing_) return true;
    playing_ = true;
    wrapped_ = false;
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
    play = FromRead(position_);
    write = play;
    if (playing_) {
        // What the next period will take is already on its way to the output.
        const std::uint32_t rate = whole_ ? kOutputRate : frequency_;
        const std::uint64_t aheadFrames = (static_cast<std::uint64_t>(kMaxPeriodFrames) * rate + kOutputRate - 1) / kOutputRate;
        write = FromRead(static_cast<std::uint32_t>((position_ + aheadFrames * ReadBlock()) % ReadSize()));
    }
}

bool MixerBuffer::SetPosition(std::uint32_t offset) {
    std::lock_guard lock(mixer_.Lock());
    if (offset >= size_) return false;
    position_ = ToRead(offset - offset % format_.blockAlign);
    if (position_ >= ReadSize()) position_ = 0;
    wrapped_ = false;
    ResetConversion();
    return true;
}

void MixerBuffer::StopAt(std::uint32_t offset) {
    std::lock_guard lock(mixer_.Lock());
    stopAtArmed_ = offset < size_;
    if (stopAtArmed_) stopAt_ = ToRead(offset - offset % format_.blockAlign);
}

bool MixerBuffer::Lock(std::uint32_t offset, std::uint32_t bytes, LockedRegion& region) {
    std::lock_guard lock(mixer_.Lock());
    const auto size = size_;
    if (locked_ || offset >= size || bytes == 0 || bytes > size) return false;
    if (staging_.size() < bytes) staging_.resize(bytes);
    region.first = staging_.data();
    region.firstBytes = std::min(bytes, size - offset);
    region.second = region.firstBytes < bytes ? staging_.data() + region.firstBytes : nullptr;
    region.secondBytes = bytes - region.firstBytes;
    std::memcpy(region.first, data_ + offset, region.firstBytes);
    if (region.secondBytes) std::memcpy(region.second, data_, region.secondBytes);
    locked_ = true;
    lockOffset_ = offset;
    return true;
}

bool MixerBuffer::Unlock(const LockedRegion& region) {
    std::lock_guard edit(edit_);
    std::uint32_t rate = 0;
    {
        std::lock_guard lock(mixer_.Lock());
        const auto size = size_;
        if (!locked_ || region.first != staging_.data() || region.firstBytes > size - lockOffset_ ||
            region.firstBytes + region.secondBytes > staging_.size()) {
            return false;
        }
        std::memcpy(data_ + lockOffset_, staging_.data(), region.firstBytes);
        if (region.secondBytes) std::memcpy(data_, staging_.data() + region.firstBytes, region.secondBytes);
        locked_ = false;
        if (!whole_) return true;
        rate = frequency_;
    }
    Refresh(rate, true);
    return true;
}

bool MixerBuffer::SetFrequency(std::uint32_t hz) {
    if (hz < kMinFrequency || hz > kMaxFrequency) return false;
    std::lock_guard edit(edit_);
    bool hasNotifications = false;
    {
        std::lock_guard lock(mixer_.Lock());
        if (hz == frequency_) return true;
        hasNotifications = !notifications_.empty();
    }
    Refresh(hz, ConvertsWhole(hz, hasNotifications));
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
    std::lock_guard edit(edit_);
    std::uint32_t rate = 0;
    bool whole = false;
    {
        std::lock_guard lock(mixer_.Lock());
        if (playing_) return false;
        for (NotificationPosition& position : positions) {
            if (!position.event || (position.offset != kNotifyAtStop && position.offset >= size_)) return false;
            // Positions are reached frame by frame: one inside a frame fires at the next frame.
            if (position.offset != kNotifyAtStop && position.offset % format_.blockAlign) {
                position.offset += format_.blockAlign - position.offset % format_.blockAlign;
                if (position.offset >= size_) position.offset = 0;
            }
        }
        notifications_ = std::move(positions);
        rate = frequency_;
        whole = ConvertsWhole(rate, !notifications_.empty());
        if (whole == whole_) return true;
    }
    Refresh(rate, whole);
    return true;
}

void MixerBuffer::Notify(std::uint32_t offset) {
    for (const NotificationPosition& position : notifications_) {
        if (position.offset == offset) mixer_.Hub().Signal(*position.event);
    }
}

MixerVoice::Pulled MixerBuffer::Pull(FrameSink& sink, std::uint32_t frames) {
    const std::uint32_t size = ReadSize();
    const std::uint32_t block = ReadBlock();
    const std::uint8_t* bytes = whole_ ? reinterpret_cast<const std::uint8_t*>(converted_.frames.data()) : data_;
    const std::uint16_t channels = whole_ ? 2 : format_.channels;
    const std::uint16_t bits = whole_ ? 16 : format_.bitsPerSample;
    // A whole sound that loops plays its ends from the seam's conversion.
    const std::uint32_t headEnd = whole_ && looping_ ? converted_.HeadFrames() * 4 : 0;
    const std::uint32_t tailStart = whole_ && looping_ ? size - converted_.TailFrames() * 4 : size;
    Pulled pulled;
    while (pulled.frames < frames) {
        if (stopAtArmed_ && position_ == stopAt_) {
            pulled.ended = true;
            return pulled;
        }
        // Run to the next place where something happens: a notification, the stop point, a
        // seam, the end.
        std::uint32_t boundary = size;
        for (const NotificationPosition& position : notifications_) {
            if (position.offset > position_ && position.offset < boundary) boundary = position.offset;
        }
        if (stopAtArmed_ && stopAt_ > position_) boundary = std::min(boundary, stopAt_);
        const std::uint8_t* from = bytes + position_;
        if (wrapped_ && position_ < headEnd) {
            boundary = std::min(boundary, headEnd);
            from = reinterpret_cast<const std::uint8_t*>(converted_.loopHead.data()) + position_;
        } else if (position_ >= tailStart) {
            from = reinterpret_cast<const std::uint8_t*>(converted_.loopTail.data()) + (position_ - tailStart);
        } else {
            boundary = std::min(boundary, tailStart);
        }
        const std::uint32_t run = std::min(frames - pulled.frames, (boundary - position_) / block);
        sink.Take(from, channels, bits, run);
        pulled.frames += run;
        position_ += run * block;
        if (position_ == size) {
            position_ = 0;
            if (!looping_) {
                pulled.ended = true;
                return pulled;
            }
            wrapped_ = true;
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
