#include "script/ops/sound_channels.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "pack/pack_entry.h"
#include "pack/pack_reader.h"
#include "platform/game_window.h"
#include "script/vm/resource_lookup.h"
#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"
#include "sound/sound_manager.h"
#include "sound/volume_db.h"

namespace kv {

namespace {

// The bank-C integer at index; null (after the box) outside the bank.
const std::int32_t* CIntOrReport(std::int32_t index) {
    const std::int32_t* value = g_vm ? g_vm->CInt(static_cast<std::uint32_t>(index)) : nullptr;
    if (!value) ShowAccessViolation();
    return value;
}

}  // namespace

SoundBuffer* ChannelBuffer(std::int32_t channel) {
    if (!g_soundManager || !g_soundChannels || channel < 0 || channel >= g_gameState.soundChannelCount) return nullptr;
    return g_soundManager->Channel(channel);
}

bool CheckChannel(std::int32_t channel, std::string_view operationName) {
    if (ChannelBuffer(channel)) return true;
    const std::string text = "There is no sound channel " + std::to_string(channel) + " in " +
                             std::string(operationName) + "().";
    MessageBoxOk(g_mainWindow ? g_mainWindow->Handle() : 0, text, "error");
    return false;
}

bool LoadChannelSound(const String& name, std::int32_t channel) {
    SoundBuffer* buffer = ChannelBuffer(channel);
    if (!buffer) return false;
    const SoundChannel& record = g_soundChannels[channel];
    const SoundLoadTarget target{record.packIndex, record.streaming != 0, g_streamPacks, g_gameState.streamPackCount};
    backend::AudioDevice& device = *g_soundManager->Device();
    return LoadSound(name, target, [&](FoundResource& found) {
        const bool ogg = found.kind == pack_kind::kOgg;
        if (target.streaming) {
            if (found.place == FoundResource::Place::PackEntry) {
                // Only a WAV comes this way: the lookup refuses a packed Ogg stream.
                return buffer->OpenWavStreamPack(found.path.View(), found.offset, device);
            }
            return ogg ? buffer->OpenOggStreamFile(found.path.View(), device)
                       : buffer->OpenWavStreamFile(found.path.View(), device);
        }
        if (ogg) return buffer->LoadOggMemory(std::move(found.bytes), device);
        return buffer->LoadWavMemory(found.bytes.data(), 0, static_cast<std::int64_t>(found.bytes.size()), device);
    });
}

bool PlayChannel(std::int32_t channel, bool loop) {
    SoundBuffer* buffer = ChannelBuffer(channel);
    if (!buffer) return false;
    return buffer->IsStreaming() ? buffer->StartStream(false, loop) : buffer->Play(loop);
}

void StopAndReleaseChannel(std::int32_t channel) {
    if (SoundBuffer* buffer = ChannelBuffer(channel)) {
        buffer->Stop();
        buffer->Release();
    }
}

bool LoadScreenSound(std::int32_t channel, const String& name) {
    StopAndReleaseChannel(channel);
    if (!LoadChannelSound(name, channel)) return false;
    char (&record)[64] = g_soundChannels[channel].name;
    std::memset(record, 0, sizeof record);
    std::memcpy(record, name.c_str(), std::min<std::size_t>(name.View().size(), sizeof record - 1));
    ApplyVolumeRule(channel, true);
    ApplyPanRule(channel, true);
    return true;
}

std::int32_t PercentToVolume(std::int64_t percent) {
    percent = std::clamp<std::int64_t>(percent, std::numeric_limits<std::int32_t>::min(),
                                       std::numeric_limits<std::int32_t>::max());
    return TruncateDb(VolumeToDb(static_cast<double>(percent), 100));
}

bool RuleVolume(std::int32_t channel, std::int64_t& percent) {
    const std::int32_t index = g_channelVolumeVars[channel];
    std::int64_t setting = 100;
    if (index != -1) {
        const std::int32_t* value = CIntOrReport(index);
        if (!value) return false;
        setting = *value;
    }
    percent = static_cast<std::int64_t>(g_soundChannels[channel].baseVolume) * setting / 100;
    return true;
}

void ApplyVolumeRule(std::int32_t channel, bool onlyWhenChanged) {
    SoundBuffer* buffer = ChannelBuffer(channel);
    std::int64_t percent = 0;
    if (!buffer || !RuleVolume(channel, percent)) return;
    const std::int32_t volume = PercentToVolume(percent);
    if (!onlyWhenChanged || volume != buffer->Volume()) buffer->SetVolume(volume);
}

void ApplyPanRule(std::int32_t channel, bool onlyWhenChanged) {
    SoundBuffer* buffer = ChannelBuffer(channel);
    if (!buffer) return;
    const std::int32_t* value = CIntOrReport(g_channelPanVars[channel]);
    if (!value) return;
    const std::int32_t pan = TruncateDb(PanToDb(*value, 100));
    if (!onlyWhenChanged || pan != buffer->Pan()) buffer->SetPan(pan);
}

}  // namespace kv
