#pragma once
// The audio device: the engine's sound output. It mixes any number of secondary buffers (a
// whole sound, or a ring that a feeder thread refills) and producer-fed streams into one
// 44100 Hz 16-bit stereo output. Buffers hold PCM in their own format and rate; volume and pan
// are attenuations in hundredths of a decibel. Notification positions signal auto-reset events
// on which feeder threads wait. Other rates are converted keeping every sample to the last: a
// buffer with notification positions (a ring) as it plays, any other (a whole sound) once,
// when it is unlocked or its frequency set, so that it costs nothing to mix.
//
// Both backends share the mixer (backend/audio/mixer.h); the SDL backend renders it in the
// device's callback, the headless backend as its virtual clock advances.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace backend {

// Uncompressed PCM as a sound file describes it.
struct PcmFormat {
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSecond = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t blockAlign = 0;              // bytes of one frame
    std::uint32_t averageBytesPerSecond = 0;
};

// What the device plays: 1 or 2 channels of 8-bit unsigned or 16-bit signed samples, a rate the
// frequency control accepts, and a block size and byte rate that agree with them. Checked
// before anything divides by these fields.
bool IsPlayablePcm(const PcmFormat& format);

inline constexpr std::uint32_t kOutputRate = 44100;     // the mix: 16-bit stereo at this rate
inline constexpr std::uint32_t kMaxPeriodFrames = 512;  // the mix is rendered in periods at most this long
inline constexpr std::uint32_t kStatusPlaying = 1;
inline constexpr std::uint32_t kStatusLooping = 4;
inline constexpr std::int32_t kVolumeSilent = -10000;
inline constexpr std::int32_t kVolumeFull = 0;
inline constexpr std::int32_t kPanLeft = -10000;
inline constexpr std::int32_t kPanRight = 10000;
inline constexpr std::uint32_t kMinFrequency = 100;
inline constexpr std::uint32_t kMaxFrequency = 200000;
// The notification offset that fires when a buffer stops.
inline constexpr std::uint32_t kNotifyAtStop = 0xFFFFFFFF;

// An auto-reset event: signalled by the device (or by anyone through SignalEvent), reset when
// one wait takes it.
class AudioEvent;
using AudioEventPtr = std::shared_ptr<AudioEvent>;

struct NotificationPosition {
    std::uint32_t offset = 0;  // byte offset in the buffer, or kNotifyAtStop
    AudioEventPtr event;
};

// A locked region of a buffer: two pieces when it runs over the buffer's end.
struct LockedRegion {
    std::uint8_t* first = nullptr;
    std::uint32_t firstBytes = 0;
    std::uint8_t* second = nullptr;
    std::uint32_t secondBytes = 0;
};

// One secondary buffer. Every member may be called from any thread.
class AudioBuffer {
public:
    virtual ~AudioBuffer() = default;  // leaves the mix at once

    // Starts playing from the current position (already playing: only the loop flag changes).
    // Starting at offset 0 fires the offset-0 notification.
    virtual bool Play(bool looping) = 0;
    // Stops where it is; a buffer that was playing fires the stop notification.
    virtual bool Stop() = 0;
    // kStatusPlaying, with kStatusLooping when it plays looped.
    virtual std::uint32_t Status() = 0;
    // The play position and the write position (where data may be written safely: one period
    // ahead while playing), in bytes.
    virtual void GetPositions(std::uint32_t& play, std::uint32_t& write) = 0;
    virtual bool SetPosition(std::uint32_t offset) = 0;
    // Plays on to offset (the byte there is not heard), then stops as Stop does. Offsets at or
    // beyond the size cancel it.
    virtual void StopAt(std::uint32_t offset) = 0;
    // Hands out bytes from offset on for writing, with their present contents; Unlock puts them
    // into the buffer. One lock at a time.
    virtual bool Lock(std::uint32_t offset, std::uint32_t bytes, LockedRegion& region) = 0;
    virtual bool Unlock(const LockedRegion& region) = 0;

    // Each refuses a value outside its range (frequency kMinFrequency..kMaxFrequency, volume
    // kVolumeSilent..kVolumeFull, pan kPanLeft..kPanRight) and keeps the old one.
    virtual bool SetFrequency(std::uint32_t hz) = 0;
    virtual bool SetVolume(std::int32_t hundredthsDb) = 0;
    virtual bool SetPan(std::int32_t hundredthsDb) = 0;
    virtual std::uint32_t Frequency() = 0;
    virtual std::int32_t Volume() = 0;
    virtual std::int32_t Pan() = 0;

    // Offsets must lie inside the buffer or be kNotifyAtStop; refused while playing.
    virtual bool SetNotificationPositions(std::vector<NotificationPosition> positions) = 0;
};

// A stream that another thread feeds (movie sound): frames written are played in order; when
// none are queued the stream is silent and waits.
class AudioStream {
public:
    virtual ~AudioStream() = default;
    // Queues frames of the stream's format; returns how many fitted (the queue has a fixed
    // capacity; the producer writes the rest later).
    virtual std::size_t Write(const std::uint8_t* frames, std::size_t frameCount) = 0;
    virtual std::size_t QueuedFrames() = 0;
    // Frames of the stream's own rate taken by the mix since it was made or cleared.
    virtual std::uint64_t PlayedFrames() = 0;
    virtual void SetPaused(bool paused) = 0;
    virtual bool SetVolume(std::int32_t hundredthsDb) = 0;
    // Drops everything queued.
    virtual void Clear() = 0;
};

// A thread that feeds the device: made suspended, it runs its body once resumed. Destroying it
// waits for the body to end; a thread never resumed ends without running it.
class FeederThread {
public:
    virtual ~FeederThread() = default;
    virtual void Resume() = 0;
    // Waits for the body to end (or cancels a thread never resumed).
    virtual void Join() = 0;
};

class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    // The device's output must be 16-bit stereo at rate: true when it is.
    virtual bool SetPrimaryFormat(std::uint32_t rate) = 0;
    // A silent buffer of bytes bytes (a whole number of frames); null for a format it cannot
    // play or a size of 0.
    virtual std::unique_ptr<AudioBuffer> CreateBuffer(const PcmFormat& format, std::uint32_t bytes) = 0;
    // A 16-bit stream holding up to capacityFrames queued frames; null for a format it cannot play.
    virtual std::unique_ptr<AudioStream> CreateStream(const PcmFormat& format, std::size_t capacityFrames) = 0;

    virtual AudioEventPtr CreateEvent() = 0;
    virtual void SignalEvent(const AudioEventPtr& event) = 0;
    // Waits until one of the events is signalled and takes it (the lowest index first); returns
    // its index, or -1 when timeoutMs passed first.
    virtual int WaitForEvents(std::span<const AudioEventPtr> events, std::uint32_t timeoutMs) = 0;

    // A suspended feeder thread at the highest priority the system grants.
    virtual std::unique_ptr<FeederThread> CreateFeederThread(std::function<void()> body) = 0;
};

}  // namespace backend
