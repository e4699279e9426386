#include "sound/sound_manager.h"

namespace kv {

bool SoundManager::Create(backend::AudioDevice* device) {
    device_ = device;
    return device_ != nullptr;
}

bool SoundManager::CreatePrimary(std::uint32_t rate) {
    if (primary_ || !device_) return false;
    primary_ = std::make_unique<SoundBuffer>();
    return primary_->CreatePrimary(rate, *device_);
}

bool SoundManager::AllocChannels(std::int32_t n) {
    if (channelsMade_ || n < 1 || n > kMaxChannels) return false;
    channelsMade_ = true;
    for (std::int32_t i = 0; i < n; ++i) channels_.push_back(std::make_unique<SoundBuffer>());
    return true;
}

SoundBuffer* SoundManager::Channel(std::int32_t index) {
    if (index < 0 || index >= ChannelCount()) return nullptr;
    return channels_[static_cast<std::size_t>(index)].get();
}

void SoundManager::Release() {
    channels_.clear();
    channelsMade_ = false;
    primary_.reset();
    device_ = nullptr;
}

}  // namespace kv
