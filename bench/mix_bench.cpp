// Times the mixer with 16 playing channels (8 at the mix rate, 8 at 22050 Hz that it converts;
// every one with its own volume and pan) against a plain loop of SDL_MixAudioFormat over the
// same 16 sources, in the same run. The last line gives CPU time per second of audio and the
// ratio.

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "backend/headless/headless_audio.h"

namespace {

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
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
constexpr double kAudioSeconds = 60;

}  // namespace

int main() {
    backend::HeadlessAudio mixer;
    std::vector<std::unique_ptr<backend::AudioBuffer>> buffers;
    std::vector<std::vector<std::int16_t>> sources;  // the same sounds at the mix rate, for SDL
    for (int i = 0; i < kChannels; ++i) {
        const std::uint32_t rate = getenv("ALL44") ? 44100 : (i < kChannels / 2 ? 44100 : 22050);
        const std::vector<std::int16_t> tone = Tone(rate * 2, rate, 200 + 50 * i);
        const backend::PcmFormat format{2, rate, 16, 4, rate * 4};
        auto buffer = mixer.CreateBuffer(format, static_cast<std::uint32_t>(tone.size() * 2));
        backend::LockedRegion region;
        buffer->Lock(0, static_cast<std::uint32_t>(tone.size() * 2), region);
        std::memcpy(region.first, tone.data(), region.firstBytes);
        buffer->Unlock(region);
        buffer->SetVolume(-100 * i);
        buffer->SetPan(i % 2 ? 500 : -500);
        buffer->Play(true);
        buffers.push_back(std::move(buffer));
        sources.push_back(Tone(44100 * 2, 44100, 200 + 50 * i));
    }

    constexpr std::uint32_t period = backend::kMaxPeriodFrames;
    const auto periods = static_cast<std::uint64_t>(kAudioSeconds * 44100 / period);
    std::vector<std::int16_t> out(period * 2);

    double start = CpuSeconds();
    for (std::uint64_t p = 0; p < periods; ++p) mixer.Render(out.data(), period);
    const double mixerSeconds = CpuSeconds() - start;

    start = CpuSeconds();
    std::uint64_t position = 0;
    for (std::uint64_t p = 0; p < periods; ++p) {
        std::memset(out.data(), 0, out.size() * 2);
        const std::size_t offset = (position % (44100 * 2 - period)) * 2;
        for (const std::vector<std::int16_t>& source : sources) {
            SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out.data()), reinterpret_cast<const Uint8*>(source.data() + offset),
                               AUDIO_S16SYS, period * 4, SDL_MIX_MAXVOLUME / 2);
        }
        position += period;
    }
    const double sdlSeconds = CpuSeconds() - start;

    const double mixerPerSecond = mixerSeconds / kAudioSeconds;
    const double sdlPerSecond = sdlSeconds / kAudioSeconds;
    std::printf("SDL_MixAudioFormat loop: %.0f us of CPU per second of audio\n", sdlPerSecond * 1e6);
    std::printf("mixer, 16 channels (8 converted from 22050 Hz, volume and pan): %.0f us per second of audio, "
                "%.2f%% of a core, %.2fx the SDL_MixAudioFormat loop\n",
                mixerPerSecond * 1e6, mixerPerSecond * 100, sdlPerSecond / mixerPerSecond);
    return 0;
}
