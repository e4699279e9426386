#include "backend/audio/converted_sound.h"

#include <algorithm>
#include <numeric>

#include "backend/audio/mixer_voice.h"
#include "backend/audio/resampler.h"
#include "backend/audio_device.h"

namespace backend {

namespace {

// Input frames on each side of an output frame that can reach it through the converter's
// filter, with room to spare (the filter widens when it lowers the rate).
std::uint32_t FilterReach(std::uint32_t rate) { return 64 * ((rate + kOutputRate - 1) / kOutputRate); }

// Converts the whole input and the converter's tail behind it.
std::vector<std::int16_t> ConvertAll(Resampler& resampler, const std::int16_t* input, std::uint32_t frameCount) {
    std::vector<std::int16_t> output;
    std::uint32_t done = 0;
    for (bool flushing = false;;) {
        const std::uint32_t room = resampler.MaxOutput(flushing ? 0 : frameCount) + 16;
        output.resize(2 * (static_cast<std::size_t>(done) + room));
        const std::uint32_t got = flushing ? resampler.Flush(output.data() + 2 * done, room)
                                           : resampler.Convert(output.data() + 2 * done, room, input, frameCount);
        done += got;
        if (flushing && got == 0) break;
        flushing = true;
    }
    output.resize(2 * static_cast<std::size_t>(done));
    return output;
}

}  // namespace

std::uint32_t ConvertedLength(std::uint32_t frameCount, std::uint32_t rate) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(frameCount) * kOutputRate + rate - 1) / rate);
}

bool ConvertSound(const std::uint8_t* pcm, std::uint32_t frameCount, std::uint16_t channels, std::uint16_t bits,
                  std::uint32_t rate, ConvertedSound& sound) {
    sound = ConvertedSound();
    sound.rate = rate;
    Resampler resampler;
    if (!resampler.Configure(rate)) {
        sound.frames.assign(2 * static_cast<std::size_t>(ConvertedLength(frameCount, rate)), 0);
        return false;
    }
    std::vector<std::int16_t> stereo(2 * static_cast<std::size_t>(frameCount));
    ConvertToStereo16(pcm, channels, bits, stereo.data(), frameCount);
    sound.frames = ConvertAll(resampler, stereo.data(), frameCount);
    const std::uint32_t count = sound.FrameCount();
    if (frameCount == 0 || count == 0) return true;

    // The loop's seam: the sound's end running into its start, converted with enough of each
    // on either side. The context is a whole number of steps (input frames that make a whole
    // number of output frames), so that the seam falls on an output frame as the start does.
    const std::uint32_t reach = FilterReach(rate);
    const std::uint32_t step = rate / std::gcd(rate, kOutputRate);
    const std::uint32_t context = (2 * reach + 2 + step - 1) / step * step;
    std::vector<std::int16_t> around(4 * static_cast<std::size_t>(context));
    for (std::uint32_t i = 0; i < 2 * context; ++i) {
        const std::uint32_t from = static_cast<std::uint32_t>(
            (static_cast<std::uint64_t>(i) + frameCount - context % frameCount) % frameCount);
        around[2 * i] = stereo[2 * from];
        around[2 * i + 1] = stereo[2 * from + 1];
    }
    resampler.Reset();
    const std::vector<std::int16_t> seam = ConvertAll(resampler, around.data(), 2 * context);
    const auto seamAt = static_cast<std::uint32_t>(static_cast<std::uint64_t>(context) * kOutputRate / rate);
    // Only frames this close to an end differ between the sound heard once and looped.
    const auto near = static_cast<std::uint32_t>(static_cast<std::uint64_t>(reach + 1) * kOutputRate / rate + 1);
    const std::uint32_t head = std::min(near, count / 2);
    const std::uint32_t tail = std::min(near, count - head);
    if (seam.size() / 2 < static_cast<std::size_t>(seamAt) + head) return true;  // cannot happen; plays the sound as it is
    sound.loopHead.assign(seam.begin() + 2 * seamAt, seam.begin() + 2 * (seamAt + head));
    sound.loopTail.assign(seam.begin() + 2 * (seamAt - tail), seam.begin() + 2 * seamAt);
    return true;
}

}  // namespace backend
