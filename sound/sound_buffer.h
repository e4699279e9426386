#pragma once
// One sound channel's buffer on the audio device: empty, a whole sound (static), or a stream of
// two one-second halves that a feeder thread refills from a WAV or Ogg Vorbis source while the
// other half plays. Volume and pan are in hundredths of a decibel.
//
// Threads: the main thread makes, starts and releases the buffer; once a stream runs, its
// feeder thread alone touches the source and the half to fill next, and both threads reach the
// device buffer only through its own (thread-safe) calls.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "backend/audio_device.h"
#include "backend/file_service.h"
#include "sound/ogg_decoder.h"
#include "sound/wav_reader.h"

namespace kv {

class SoundBuffer {
public:
    SoundBuffer() = default;
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // The primary buffer: the device's output must be 16-bit stereo at rate.
    bool CreatePrimary(std::uint32_t rate, backend::AudioDevice& device);

    // Whole sounds. Each loader releases what the buffer held first.
    bool LoadWavMemory(const std::uint8_t* image, std::int64_t offset, std::int64_t size, backend::AudioDevice& device);
    bool LoadOggMemory(std::vector<std::uint8_t> image, backend::AudioDevice& device);

    // Streams, started by StartStream. The packed WAV stream reads through a handle of its own
    // on the pack's data file, so the pack reader keeps its handle.
    bool OpenWavStreamFile(std::string_view path, backend::AudioDevice& device);
    bool OpenWavStreamPack(std::string_view dataPath, std::int64_t offset, backend::AudioDevice& device);
    bool OpenOggStreamFile(std::string_view path, backend::AudioDevice& device);
    // Fills the first half (unless noPrefill) and plays. A stream that does not loop is heard to
    // its last sample and then stops. Starting a stream again plays it from its beginning.
    bool StartStream(bool noPrefill, bool loop);

    // true for an empty buffer.
    bool Play(bool loop);
    // false for an empty buffer.
    bool Stop();
    // kStatusPlaying / kStatusLooping; 0 when empty.
    std::uint32_t GetStatus() const;
    // Playing a loop: a stream only when it was started looping (its device buffer always
    // cycles), a whole sound by its status.
    bool PlaysLoop() const;
    // Each stores the value when the device takes it; false when empty or refused.
    bool SetFrequency(std::uint32_t hz);
    bool SetVolume(std::int32_t hundredthsDb);
    bool SetPan(std::int32_t hundredthsDb);
    bool Restore() { return true; }  // the device never loses a buffer's memory
    // Stops, ends the feeder thread and frees everything: empty again.
    void Release();

    bool IsEmpty() const { return buffer_ == nullptr; }
    bool IsStreaming() const { return streaming_; }
    std::uint32_t Frequency() const { return frequency_; }
    std::int32_t Volume() const { return volume_; }
    std::int32_t Pan() const { return pan_; }
    std::uint32_t LengthMs() const { return lengthMs_; }
    std::uint32_t StreamBytes() const { return streamBytes_; }

private:
    using Fill = std::function<bool(std::uint8_t* bytes, std::uint32_t count)>;
    bool CreateStatic(const backend::PcmFormat& format, std::uint32_t pcmBytes, const Fill& fill,
                      backend::AudioDevice& device);
    bool CreateStreamBuffer(const backend::PcmFormat& format, backend::AudioDevice& device);
    void ReadBackControls();
    // New events at offset 0, the half and the stop.
    bool ArmNotifications();
    // Fills half k from the source; an end met by a stream that does not loop makes the device
    // stop right behind the last sample.
    void FillHalf(std::uint32_t half);
    bool SourceEnded() const;
    void StreamThread();
    void EndThread();

    backend::AudioDevice* device_ = nullptr;
    std::unique_ptr<backend::AudioBuffer> buffer_;
    std::uint32_t frequency_ = 0;
    std::int32_t volume_ = 0;
    std::int32_t pan_ = 0;
    bool streaming_ = false;
    bool loop_ = true;
    std::uint32_t streamBytes_ = 0;
    std::uint32_t halfBytes_ = 0;
    std::unique_ptr<WavReader> wavSource_;
    std::unique_ptr<OggDecoder> oggSource_;
    std::array<backend::AudioEventPtr, 3> events_;  // offset 0, half, stop
    std::unique_ptr<backend::FeederThread> thread_;
    std::atomic<bool> quitThread_{false};
    std::uint32_t nextHalf_ = 1;
    std::uint32_t lengthMs_ = 0;
    std::unique_ptr<backend::FileHandle> packFile_;
};

}  // namespace kv
