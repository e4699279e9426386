// The sound channels in a data set: what each channel loaded and whether it plays a loop, so
// that a load starts looping sounds (music) again and leaves the others silent.

#include <cstring>

#include "app/globals/globals.h"
#include "script/ops/sound_channels.h"
#include "script/save/data_set_codec.h"
#include "script/save/data_set_parts.h"
#include "sound/sound_buffer.h"

namespace kv {

void CaptureSoundChannels(DataSetArrays& arrays) {
    if (g_soundChannels == nullptr) return;
    for (std::int32_t i = 0; i < g_gameState.soundChannelCount; ++i) {
        const SoundChannel& channel = g_soundChannels[i];
        const SoundBuffer* buffer = ChannelBuffer(i);
        arrays.channels.push_back({channel.packIndex, channel.baseVolume,
                                   FitField(std::string_view(channel.name, sizeof channel.name), kNameField),
                                   channel.streaming, static_cast<std::uint8_t>(buffer && buffer->PlaysLoop() ? 1 : 0)});
    }
}

void RestoreSoundChannels(const DataSetArrays& arrays) {
    // The channel count is the running game's (FitsRunningGame): the records are overwritten.
    if (g_soundChannels == nullptr) return;
    const std::size_t count = std::min(arrays.channels.size(), static_cast<std::size_t>(g_gameState.soundChannelCount));
    for (std::size_t i = 0; i < count; ++i) {
        const ChannelRecord& record = arrays.channels[i];
        SoundChannel& channel = g_soundChannels[i];
        channel.packIndex = record.packIndex;
        channel.baseVolume = record.baseVolume;
        channel.streaming = record.streaming;
        std::memset(channel.name, 0, sizeof channel.name);
        std::memcpy(channel.name, record.name.data(), std::min(record.name.size(), sizeof channel.name - 1));
    }
}

}  // namespace kv
