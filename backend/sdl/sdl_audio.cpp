#include "backend/sdl/sdl_audio.h"

#include <SDL.h>

#include <chrono>

namespace backend {

SdlAudio::SdlAudio() : Mixer(true) {
    initialised_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (initialised_) {
        SDL_AudioSpec wanted{};
        wanted.freq = static_cast<int>(kOutputRate);
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 2;
        wanted.samples = static_cast<Uint16>(kMaxPeriodFrames);
        wanted.callback = &SdlAudio::Callback;
        wanted.userdata = this;
        // SDL converts for a device that wants another format; the mix stays as it is.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    }
    if (device_ != 0) {
        SDL_PauseAudioDevice(device_, 0);
    } else {
        pacer_ = std::thread([this] { PaceWithoutOutput(); });
    }
}

SdlAudio::~SdlAudio() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    stopPacing_ = true;
    if (pacer_.joinable()) pacer_.join();
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudio::Callback(void* self, std::uint8_t* stream, int bytes) {
    static_cast<SdlAudio*>(self)->Render(reinterpret_cast<std::int16_t*>(stream), static_cast<std::uint32_t>(bytes) / 4);
}

void SdlAudio::PaceWithoutOutput() {
    std::int16_t period[kMaxPeriodFrames * 2];
    const auto periodLength = std::chrono::microseconds(1000000LL * kMaxPeriodFrames / kOutputRate);
    auto next = std::chrono::steady_clock::now();
    while (!stopPacing_) {
        Render(period, kMaxPeriodFrames);
        next += periodLength;
        std::this_thread::sleep_until(next);
    }
}

}  // namespace backend
