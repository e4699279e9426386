#include "script/ops/sound_ops.h"

#include <algorithm>

#include "app/globals/globals.h"
#include "backend/audio_device.h"
#include "backend/clock_service.h"
#include "backend/hub.h"
#include "base/app_env.h"
#include "base/message_box.h"
#include "pack/pack_reader.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/ops/sound_channels.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/vm/vm_state.h"
#include "sound/sound_manager.h"

namespace kv {

namespace {

// More than any game uses; a larger count is a damaged script.
constexpr std::int32_t kMaxStreamPacks = 256;

backend::WindowId GameWindowHandle() { return g_mainWindow ? g_mainWindow->Handle() : 0; }

void ShowError(std::string_view text) { MessageBoxOk(GameWindowHandle(), text, "error"); }

struct PlayRequest {
    std::int32_t channel;
    bool loop;
    char name[64];
};

// Pops loop, name and channel; empties the channel, cancels its fade and loads the sound.
// False (after the message) when the channel does not exist or the sound did not load.
bool PrepareChannelSound(PlayRequest& request, std::string_view operationName, std::string_view loadFailure) {
    request.loop = PopIntOperand() != 0;
    const VmValue name = g_vm->Pop();
    request.channel = PopIntOperand();
    FetchOperandText(name, request.name);
    if (!CheckChannel(request.channel, operationName)) return false;
    StopAndReleaseChannel(request.channel);
    g_fades[request.channel].active = 0;
    if (!LoadChannelSound(String(request.name), request.channel)) {
        ShowError(loadFailure);
        return false;
    }
    std::copy(std::begin(request.name), std::end(request.name), g_soundChannels[request.channel].name);
    return true;
}

}  // namespace

std::uint32_t CreateSoundChannels() {
    const std::int32_t n = PopIntOperand();
    // Once only: the buffers are made once, and every table must keep their count.
    if (n <= 0 || g_soundChannels || !g_soundManager || !g_soundManager->AllocChannels(n)) {
        return CompleteOperation(0);
    }
    g_soundChannels = new SoundChannel[static_cast<std::size_t>(n)];
    g_fades = new FadeEntry[static_cast<std::size_t>(n)];
    g_channelVolumeVars = new std::int32_t[static_cast<std::size_t>(n)];
    g_channelPanVars = new std::int32_t[static_cast<std::size_t>(n)];
    std::fill_n(g_channelVolumeVars, n, -1);
    std::fill_n(g_channelPanVars, n, 0);
    g_gameState.soundChannelCount = n;
    return CompleteOperation(0);
}

std::uint32_t SetChannelPack() {
    const std::int32_t packIndex = PopIntOperand();
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "SetChannelPack")) g_soundChannels[channel].packIndex = packIndex;
    return CompleteOperation(0);
}

std::uint32_t SetChannelStreaming() {
    const std::int32_t flag = PopIntOperand();
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "SetChannelStreaming")) g_soundChannels[channel].streaming = flag != 0 ? 1 : 0;
    return CompleteOperation(0);
}

std::uint32_t PlayDSB() {
    PlayRequest request;
    if (!PrepareChannelSound(request, "PlayDSB", "This game failed to load a file in PlayDSB().")) {
        return CompleteOperation(0);
    }
    ApplyVolumeRule(request.channel, true);
    ApplyPanRule(request.channel, true);
    if (!PlayChannel(request.channel, request.loop)) ShowError("This game failed to play a sound in PlayDSB().");
    return CompleteOperation(0);
}

std::uint32_t ReplayMsgBoxSound() {
    const MessageWindow* window = MessageWindowAt(PopIntOperand());
    if (window == nullptr) {
        ShowError("Illiegal argments in ReplayMsgBoxSound().");
        return CompleteOperation(0);
    }
    if (window->voiceName.empty()) return CompleteOperation(0);
    const std::int32_t channel = window->voiceChannel;
    if (LoadChannelSound(String(window->voiceName.c_str()), channel)) {
        ApplyVolumeRule(channel, true);
        ApplyPanRule(channel, true);
    } else {
        MessageBoxOk(GameWindowHandle(), "This game failed to load a voicefile in ReplayMsgBoxSound().", "Warning");
    }
    // Whatever the channel holds plays, even when the voice did not load again.
    if (!PlayChannel(channel, false)) ShowError("This game failed to play a voicefile in ReplayMsgBoxSound().");
    return CompleteOperation(0);
}

std::uint32_t FadeInPlayDSB() {
    const auto duration = static_cast<std::uint32_t>(PopIntOperand());
    PlayRequest request;
    if (!PrepareChannelSound(request, "FadeInPlayDSB", "This game failed to load a soundfile in FadeInPlayDSB().")) {
        return CompleteOperation(0);
    }
    ChannelBuffer(request.channel)->SetVolume(backend::kVolumeSilent);
    if (!PlayChannel(request.channel, request.loop)) {
        ShowError("This game failed to play a sound in FadeInPlayDSB().");
    }
    g_fades[request.channel] = {1, kFadeIn, backend::Get().Clock().TickCount(), duration};
    return CompleteOperation(0);
}

std::uint32_t CreatePackFiles() {
    const std::int32_t n = PopIntOperand();
    if (n > 0 && n <= kMaxStreamPacks && !g_streamPacks) {
        g_streamPacks = new PackReader[static_cast<std::size_t>(n)];
        g_gameState.streamPackCount = n;
    }
    return CompleteOperation(0);
}

std::uint32_t SetPackFileName() {
    char name[64];
    FetchOperandText(g_vm->Pop(), name);
    const std::int32_t index = PopIntOperand();
    if (!g_streamPacks || index < 0 || index >= g_gameState.streamPackCount) {
        ShowError("There is no pack file " + std::to_string(index) + " in SetPackFileName().");
        return CompleteOperation(0);
    }
    PackReader& pack = g_streamPacks[index];
    pack.Open(g_appEnv->GetModuleDir().ConcatChars(name));
    if (pack.IsValid()) {
        pack.LoadIndex();
    } else {
        MessageBoxOk(GameWindowHandle(), String(name).ConcatChars(" packfile is not found in SetPackFileName().").View(),
                     "warning");
    }
    return CompleteOperation(0);
}

std::uint32_t StopChannel() {
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "StopChannel")) StopAndReleaseChannel(channel);
    return CompleteOperation(0);
}

std::uint32_t StartVolumeFade() {
    const auto duration = static_cast<std::uint32_t>(PopIntOperand());
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "StartVolumeFade")) {
        g_fades[channel] = {1, kFadeOut, backend::Get().Clock().TickCount(), duration};
    }
    return CompleteOperation(0);
}

std::uint32_t SetTableEntry() {
    const std::int32_t index = PopIntOperand();
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "SetTableEntry")) g_channelPanVars[channel] = index;
    return CompleteOperation(0);
}

std::uint32_t SoundOp132() {
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "SoundOp132")) ApplyPanRule(channel, false);
    return CompleteOperation(0);
}

std::uint32_t BindChannelVolumeVar() {
    const std::int32_t index = PopIntOperand();
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "BindChannelVolumeVar")) g_channelVolumeVars[channel] = index;
    return CompleteOperation(0);
}

std::uint32_t ApplyChannelVolume() {
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "ApplyChannelVolume")) ApplyVolumeRule(channel, false);
    return CompleteOperation(0);
}

std::uint32_t SetChannelVolume() {
    const std::int32_t volume = PopIntOperand();
    const std::int32_t channel = PopIntOperand();
    if (CheckChannel(channel, "SetChannelVolume")) {
        g_soundChannels[channel].baseVolume = std::clamp(volume, 0, 100);
        ApplyVolumeRule(channel, false);
    }
    return CompleteOperation(0);
}

}  // namespace kv
