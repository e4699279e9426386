// The per-frame step of the channels' volume fades.

#include <algorithm>

#include "app/globals/globals.h"
#include "backend/clock_service.h"
#include "backend/hub.h"
#include "script/ops/frame_hooks.h"
#include "script/ops/sound_channels.h"
#include "sound/sound_buffer.h"

namespace kv {

void StepSoundFades() {
    if (!g_soundManager || !g_fades) return;
    const std::uint32_t now = backend::Get().Clock().TickCount();  // one reading for every channel
    for (std::int32_t channel = 0; channel < g_gameState.soundChannelCount; ++channel) {
        FadeEntry& fade = g_fades[channel];
        if (!fade.active) continue;
        const std::uint32_t elapsed = now - fade.start;
        if (elapsed > fade.duration || fade.duration == 0) {
            // Over: a fade-in keeps the level of its last step; a fade out empties the channel.
            fade.active = 0;
            if (fade.kind == kFadeOut) StopAndReleaseChannel(channel);
            continue;
        }
        std::int64_t target = 0;
        if (!RuleVolume(channel, target)) continue;
        target = std::clamp<std::int64_t>(target, 0, 100);
        std::int64_t level = static_cast<std::int64_t>(elapsed) * target / fade.duration;
        if (fade.kind == kFadeOut) level = target - level;
        if (SoundBuffer* buffer = ChannelBuffer(channel)) buffer->SetVolume(PercentToVolume(std::clamp<std::int64_t>(level, 0, 100)));
    }
}

}  // namespace kv
