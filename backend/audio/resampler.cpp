#include "backend/audio/resampler.h"

#include "backend/audio_device.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace backend {

Resampler::~Resampler() { swr_free(&context_); }

bool Resampler::Configure(std::uint32_t inputRate) {
    if (context_ && inputRate == inputRate_) return true;
    swr_free(&context_);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (swr_alloc_set_opts2(&context_, &stereo, AV_SAMPLE_FMT_S16, static_cast<int>(kOutputRate), &stereo,
                            AV_SAMPLE_FMT_S16, static_cast<int>(inputRate), 0, nullptr) < 0 ||
        swr_init(context_) < 0) {
        swr_free(&context_);
        return false;
    }
    inputRate_ = inputRate;
    return true;
}

std::uint32_t Resampler::MaxOutput(std::uint32_t inputFrames) const {
    if (!context_) return 0;
    const int most = swr_get_out_samples(context_, static_cast<int>(inputFrames));
    return most > 0 ? static_cast<std::uint32_t>(most) : 0;
}

std::uint32_t Resampler::Convert(std::int16_t* output, std::uint32_t outputFrames, const std::int16_t* input,
                                 std::uint32_t inputFrames) {
    if (!context_ || outputFrames == 0) return 0;
    // A non-null input of 0 frames drains what the converter holds without ending the stream.
    static const std::int16_t kNothing[2] = {0, 0};
    auto* out = reinterpret_cast<std::uint8_t*>(output);
    const auto* in = reinterpret_cast<const std::uint8_t*>(input ? input : kNothing);
    const int got = swr_convert(context_, &out, static_cast<int>(outputFrames), &in, static_cast<int>(inputFrames));
    return got > 0 ? static_cast<std::uint32_t>(got) : 0;
}

std::uint32_t Resampler::Flush(std::int16_t* output, std::uint32_t outputFrames) {
    if (!context_ || outputFrames == 0) return 0;
    auto* out = reinterpret_cast<std::uint8_t*>(output);
    const int got = swr_convert(context_, &out, static_cast<int>(outputFrames), nullptr, 0);
    return got > 0 ? static_cast<std::uint32_t>(got) : 0;
}

void Resampler::Reset() {
    if (context_) {
        swr_close(context_);
        if (swr_init(context_) < 0) swr_free(&context_);
    }
}

}  // namespace backend
