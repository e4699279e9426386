#include "backend/audio/mixer_voice.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "backend/audio_device.h"

namespace backend {

namespace {

float GainOf(std::int32_t hundredthsDb) {
    if (hundredthsDb <= kVolumeSilent) return 0;
    if (hundredthsDb >= 0) return 1;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
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
    const float left = gain.Left();
    const float right = gain.Right();
    if (left == 0 && right == 0) return;
    if (left == 1 && right == 1) {
        for (std::uint32_t i = 0; i < frames * 2; ++i) acc[i] += in[i];
        return;
    }
    // In floating point, so that the loop runs on vector units every x86-64 has.
    for (std::size_t i = 0; i < frames; ++i) {
        acc[2 * i] += static_cast<std::int32_t>(static_cast<float>(in[2 * i]) * left);
        acc[2 * i + 1] += static_cast<std::int32_t>(static_cast<float>(in[2 * i + 1]) * right);
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
    if (rate_ != kOutputRate) {
        resampler_.Configure(rate_);
        // Enough source frames for one period at the highest rate, with room to spare.
        input_.resize(2 * (static_cast<std::size_t>(kMaxPeriodFrames) * rate_ / kOutputRate + 64));
    }
    ResetConversion();
}

void MixerVoice::ResetConversion() {
    draining_ = false;
    pendingStart_ = 0;
    pendingFrames_ = 0;
    if (rate_ != kOutputRate) resampler_.Reset();
}

void MixerVoice::FrameSink::Take(const std::uint8_t* pcm, std::uint16_t channels, std::uint16_t bits,
                                 std::uint32_t frames) {
    if (out_) {
        ConvertToStereo16(pcm, channels, bits, out_, frames);
        out_ += 2 * frames;
        return;
    }
    if (bits == 16 && channels == 2 && std::endian::native == std::endian::little) {
        AccumulateStereo(acc_, reinterpret_cast<const std::int16_t*>(pcm), frames, *gain_);
        acc_ += 2 * frames;
        return;
    }
    std::int16_t stereo[kMaxPeriodFrames * 2];
    const std::uint32_t frameBytes = channels * (bits / 8u);
    while (frames > 0) {
        const std::uint32_t run = std::min(frames, kMaxPeriodFrames);
        ConvertToStereo16(pcm, channels, bits, stereo, run);
        AccumulateStereo(acc_, stereo, run, *gain_);
        acc_ += 2 * run;
        pcm += run * frameBytes;
        frames -= run;
    }
}

void MixerVoice::MixInto(std::int32_t* acc, std::uint32_t frames) {
    frames = std::min(frames, kMaxPeriodFrames);
    if (rate_ == kOutputRate) {
        FrameSink mixing;
        mixing.acc_ = acc;
        mixing.gain_ = &gain_;
        const Pulled pulled = Pull(mixing, frames);
        if (pulled.ended) Finished();
        return;
    }
    if (pendingFrames_ < frames) ConvertAhead(frames);
    const std::uint32_t taken = std::min(frames, pendingFrames_);
    AccumulateStereo(acc, pending_.data() + 2 * pendingStart_, taken, gain_);
    pendingStart_ += taken;
    pendingFrames_ -= taken;
    if (draining_ && pendingFrames_ == 0) {
        ResetConversion();
        Finished();
    }
}

void MixerVoice::ConvertAhead(std::uint32_t frames) {
    // What is left moves to the front; the converter then writes behind it, never short of room,
    // so that it keeps no input back and one call per period does the work.
    std::copy_n(pending_.begin() + 2 * pendingStart_, 2 * pendingFrames_, pending_.begin());
    pendingStart_ = 0;
    const auto capacity = static_cast<std::uint32_t>(input_.size() / 2);
    while (pendingFrames_ < frames && !draining_) {
        const std::uint64_t wanted =
            (static_cast<std::uint64_t>(frames - pendingFrames_) * rate_ + kOutputRate - 1) / kOutputRate;
        const auto chunk = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(wanted, 16, capacity));
        FrameSink gathering;
        gathering.out_ = input_.data();
        const Pulled pulled = Pull(gathering, chunk);
        ConvertInto(input_.data(), pulled.frames);
        if (pulled.ended) {
            // Every sample to the last: the converter gives up what it still holds.
            draining_ = true;
            ConvertInto(nullptr, 0);
        } else if (pulled.frames == 0) {
            break;  // a stream waiting for its producer
        }
    }
}

void MixerVoice::ConvertInto(const std::int16_t* input, std::uint32_t inputFrames) {
    for (;;) {
        const std::uint32_t room = resampler_.MaxOutput(inputFrames);
        if (pending_.size() < 2 * static_cast<std::size_t>(pendingFrames_ + room)) {
            pending_.resize(2 * static_cast<std::size_t>(pendingFrames_ + room));
        }
        const std::uint32_t got =
            input ? resampler_.Convert(pending_.data() + 2 * pendingFrames_, room, input, inputFrames)
                  : resampler_.Flush(pending_.data() + 2 * pendingFrames_, room);
        pendingFrames_ += got;
        if (input || got < room || room == 0) return;
    }
}

}  // namespace backend
