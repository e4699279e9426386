#pragma once
// The sound channel operations: making the channels and the pack readers they draw from,
// binding a channel to a pack and to streaming, playing (with or without a fade-in), stopping
// and fading out, the pan setting, and playing a message window's voice again. Every one
// finishes in the frame it starts; none ends the game.

#include <cstdint>

namespace kv {

std::uint32_t CreateSoundChannels();  // 45: n
std::uint32_t SetChannelPack();       // 46: packIndex, channel
std::uint32_t SetChannelStreaming();  // 47: flag, channel
std::uint32_t PlayDSB();              // 48: loop, name, channel
std::uint32_t CreatePackFiles();      // 49: n
std::uint32_t SetPackFileName();      // 50: name, index
std::uint32_t StopChannel();          // 51: channel
std::uint32_t ReplayMsgBoxSound();    // 112: window
std::uint32_t FadeInPlayDSB();        // 124: duration, loop, name, channel
std::uint32_t StartVolumeFade();      // 125: duration, channel
std::uint32_t SetTableEntry();        // 131: varIndex, channel (the pan variable)
std::uint32_t SoundOp132();           // 132: channel (applies the pan now)

// The channel volume settings.
std::uint32_t BindChannelVolumeVar();  // 65: varIndex, channel
std::uint32_t ApplyChannelVolume();    // 67: channel
std::uint32_t SetChannelVolume();      // 72: volume, channel

}  // namespace kv
