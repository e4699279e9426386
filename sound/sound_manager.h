#pragma once
// The engine's sound output: the audio device, the primary format, and one SoundBuffer per
// script sound channel (made once, by the script).

#include <cstdint>
#include <memory>
#include <vector>

#include "backend/audio_device.h"
#include "sound/sound_buffer.h"

namespace kv {

class SoundManager {
public:
    SoundManager() = default;
    ~SoundManager() { Release(); }
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Takes the device to play on; false without one.
    bool Create(backend::AudioDevice* device);
    // false when the primary exists already or the device cannot play at rate.
    bool CreatePrimary(std::uint32_t rate);
    // n empty channel buffers; false when they exist already or n is not 1..kMaxChannels.
    bool AllocChannels(std::int32_t n);
    // Releases every channel, the primary and the device.
    void Release();

    static constexpr std::int32_t kMaxChannels = 1024;
    std::int32_t ChannelCount() const { return static_cast<std::int32_t>(channels_.size()); }
    // Null outside 0 .. ChannelCount() - 1.
    SoundBuffer* Channel(std::int32_t index);
    backend::AudioDevice* Device() const { return device_; }

private:
    backend::AudioDevice* device_ = nullptr;
    std::unique_ptr<SoundBuffer> primary_;
    std::vector<std::unique_ptr<SoundBuffer>> channels_;
    bool channelsMade_ = false;
};

}  // namespace kv
