#include "backend/audio/mixer_voice.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "backend/audio_device.h"

namespace backend {

namespace {

std::int32_t GainOf(std::int32_t hundredthsDb) {
    if (hundredthsDb <= kVolumeSilent) return 0;
    if (hundredthsDb >= 0) return 65536;
    return static_cast<std::int32_t>(std::lround(65536.0 * std::pow(10.0, hundredthsDb / 2000.0)));
}

}  // namespace

void VoiceGain::Set(std::int32_t volume, std::int32_t pan) {
    // A positive pan attenuates the left side, a negative one the right.
    left_ = GainOf(volume - std::max(pan, 0));
    right_ = GainOf(volume + std::min(pan, 0));
}

void ConvertToStereo16(const std::uint8_t* in, std::uint16_t channels, std::uint16_t bits, std::int16_t* out,
                       std::uint32_t frames) {
    if (bits == 16 && channels == 2 && std::endian::native == std::endian::little) {
        std::memcpy(out, in, static_cast<std::size_t>(frames) * 4);
    } else if (bits == 16 && channels == 2) {
        for (std::uint32_t i = 0; i < frames * 2; ++i) {
            out[i] = static_cast<std::int16_t>(in[2 * i] | (in[2 * i + 1] << 8));
        }
    } else if (bits == 16) {
        for (std::uint32_t i = 0; i < frames; ++i) {
            out[2 * i] = out[2 * i + 1] = static_cast<std::int16_t>(in[2 * i] | (in[2 * i + 1] << 8));
        }
    } else if (channels == 2) {
        for (std::uint32_t i = 0; i < frames * 2; ++i) out[i] = static_cast<std::int16_t>((in[i] - 128) * 256);
    } else {
        for (std::uint32_t i = 0; i < frames; ++i) {
            out[2 * i] = out[2 * i + 1] = static_cast<std::int16_t>((in[i] - 128) * 256);
        }
    }
}

void AccumulateStereo(std::int32_t* acc, const std::int16_t* in, std::uint32_t frames, const VoiceGain& gain) {
    const std::int32_t left = gain.Left();
    const std::int32_t right = gain.Right();
    if (left == 0 && right == 0) return;
    if (left == 65536 && right == 65536) {
        for (std::uint32_t i = 0; i < frames * 2; ++i) acc[i] += in[i];
        return;
    }
    for (std::uint32_t i = 0; i < frames; ++i) {
        acc[2 * i] += (in[2 * i] * left) >> 16;
        acc[2 * i + 1] += (in[2 * i + 1] * right) >> 16;
    }
}

void SaturateStereo(const std::int32_t* acc, std::int16_t* out, std::uint32_t frames) {
    for (std::uint32_t i = 0; i < frames * 2; ++i) {
        out[i] = static_cast<std::int16_t>(std::clamp(acc[i], -32768, 32767));
    }
}

void MixerVoice::SetRate(std::uint32_t rate) {
    if (rate == rate_) return;
    rate_ = rate;
    draining_ = false;
    if (rate_ != kOutputRate) {
        resampler_.Configure(rate_);
        resampler_.Reset();
        // Enough source frames for one period at the highest rate, with room to spare.
        input_.resize(2 * (static_cast<std::size_t>(kMaxPeriodFrames) * rate_ / kOutputRate + 64));
    }
}

void MixerVoice::ResetConversion() {
    draining_ = false;
    if (rate_ != kOutputRate) resampler_.Reset();
}

void MixerVoice::MixInto(std::int32_t* acc, std::uint32_t frames) {
    std::int16_t mixed[kMaxPeriodFrames * 2];
    frames = std::min(frames, kMaxPeriodFrames);
    std::uint32_t produced = 0;
    if (rate_ == kOutputRate) {
        const Pulled pulled = Pull(mixed, frames);
        produced = pulled.frames;
        AccumulateStereo(acc, mixed, produced, gain_);
        if (pulled.ended) Finished();
        return;
    }
    produced = MixResampled(mixed, frames);
    AccumulateStereo(acc, mixed, produced, gain_);
}

std::uint32_t MixerVoice::MixResampled(std::int16_t* out, std::uint32_t frames) {
    std::uint32_t produced = 0;
    if (!draining_) {
        produced = resampler_.Convert(out, frames, nullptr, 0);  // what the converter already holds
        const std::uint32_t capacity = static_cast<std::uint32_t>(input_.size() / 2);
        while (produced < frames) {
            const std::uint64_t wanted = (static_cast<std::uint64_t>(frames - produced) * rate_ + kOutputRate - 1) / kOutputRate;
            const auto chunk = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(wanted, 16, capacity));
            const Pulled pulled = Pull(input_.data(), chunk);
            produced += resampler_.Convert(out + 2 * produced, frames - produced, input_.data(), pulled.frames);
            if (pulled.ended) {
                draining_ = true;
                break;
            }
            if (pulled.frames == 0) break;
        }
    }
    if (draining_ && produced < frames) {
        const std::uint32_t space = frames - produced;
        const std::uint32_t tail = resampler_.Flush(out + 2 * produced, space);
        produced += tail;
        if (tail < space) {
            draining_ = false;
            resampler_.Reset();
            Finished();
        }
    }
    return produced;
}

}  // namespace backend
