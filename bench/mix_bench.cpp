// Times the mixer with 16 playing channels against a plain loop of SDL_MixAudioFormat over the
// same sounds, in the same run. Half the channels are streamed (two-second rings with the
// notifications a stream sets, converted as they play), half static (whole sounds, converted
// once when written); in each half, four play at 22050 Hz and four at the mix rate; every
// channel has its own volume and pan. SDL's loop gets the sounds already at the mix rate and
// mixes them at one volume, without pan. The rounds alternate and each side's best round
// counts, so that other work on the machine weighs as little as it can. The last line gives CPU
// time per second of audio and the ratio.

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "backend/headless/headless_audio.h"

namespace {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::vector<std::int16_t> Tone(std::uint32_t frames, std::uint32_t rate, double hz) {
    std::vector<std::int16_t> samples(frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>(3000 * std::sin(2 * M_PI * hz * i / rate));
        samples[2 * i] = v;
        samples[2 * i + 1] = static_cast<std::int16_t>(-v);
    }
    return samples;
}

constexpr int kChannels = 16;
constexpr double kAudioSeconds = 20;
constexpr int kRounds = 5;
constexpr std::uint32_t kPeriod = backend::kMaxPeriodFrames;
const auto kPeriods = static_cast<std::uint64_t>(kAudioSeconds * backend::kOutputRate / kPeriod);

double MixerRound(backend::HeadlessAudio& mixer, std::vector<std::int16_t>& out) {
    const double start = ThreadCpuSeconds();
    for (std::uint64_t p = 0; p < kPeriods; ++p) mixer.Render(out.data(), kPeriod);
    return ThreadCpuSeconds() - start;
}

double SdlRound(const std::vector<std::vector<std::int16_t>>& sounds, std::vector<std::int16_t>& out) {
    const double start = ThreadCpuSeconds();
    std::uint64_t position = 0;
    for (std::uint64_t p = 0; p < kPeriods; ++p) {
        std::memset(out.data(), 0, out.size() * 2);
        for (const std::vector<std::int16_t>& sound : sounds) {
            const std::size_t frames = sound.size() / 2;
            const std::size_t offset = (position % (frames - kPeriod)) * 2;
            SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out.data()), reinterpret_cast<const Uint8*>(sound.data() + offset),
                               AUDIO_S16SYS, kPeriod * 4, SDL_MIX_MAXVOLUME / 2);
        }
        position += kPeriod;
    }
    return ThreadCpuSeconds() - start;
}

}  // namespace

int main() {
    backend::HeadlessAudio mixer;
    std::vector<std::unique_ptr<backend::AudioBuffer>> buffers;
    std::vector<std::vector<std::int16_t>> atMixRate;  // the same sounds for SDL
    for (int i = 0; i < kChannels; ++i) {
        const bool streamed = i < kChannels / 2;
        const std::uint32_t rate = i % 2 ? backend::kOutputRate : 22050;
        const double hz = 200 + 50 * i;
        const std::vector<std::int16_t> tone = Tone(rate * 2, rate, hz);  // two seconds: a stream's ring
        const backend::PcmFormat format{2, rate, 16, 4, rate * 4};
        const auto bytes = static_cast<std::uint32_t>(tone.size() * 2);
        auto buffer = mixer.CreateBuffer(format, bytes);
        if (streamed) {
            buffer->SetNotificationPositions({{0, mixer.CreateEvent()},
                                              {bytes / 2, mixer.CreateEvent()},
                                              {backend::kNotifyAtStop, mixer.CreateEvent()}});
        }
        backend::LockedRegion region;
        buffer->Lock(0, bytes, region);
        std::memcpy(region.first, tone.data(), region.firstBytes);
        buffer->Unlock(region);
        buffer->SetVolume(-100 * i);
        buffer->SetPan(i % 4 < 2 ? 500 : -500);
        buffer->Play(true);
        buffers.push_back(std::move(buffer));
        atMixRate.push_back(Tone(backend::kOutputRate * 2, backend::kOutputRate, hz));
    }

    std::vector<std::int16_t> out(kPeriod * 2);
    double mixerBest = 1e9;
    double sdlBest = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        mixerBest = std::min(mixerBest, MixerRound(mixer, out));
        sdlBest = std::min(sdlBest, SdlRound(atMixRate, out));
    }

    const double mixerPerSecond = mixerBest / kAudioSeconds;
    const double sdlPerSecond = sdlBest / kAudioSeconds;
    std::printf("SDL_MixAudioFormat loop: %.0f us of CPU per second of audio\n", sdlPerSecond * 1e6);
    std::printf("mixer, 16 channels (8 streamed, 8 static; 8 at 22050 Hz; volume and pan): %.0f us per second of "
                "audio, %.2f%% of a core, %.2fx the SDL_MixAudioFormat loop\n",
                mixerPerSecond * 1e6, mixerPerSecond * 100, sdlPerSecond / mixerPerSecond);
    return 0;
}
