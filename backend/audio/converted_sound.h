#pragma once
// A whole sound at another rate converted to the mix rate once, when it is written or its rate
// set, so that mixing it costs no conversion. Heard once it is what a conversion while playing
// gives, every sample to the last. Looped, its first frames on each later round and its last
// frames come from a conversion of the sound's end running into its start, so that the loop has
// no seam.

#include <cstdint>
#include <vector>

namespace backend {

struct ConvertedSound {
    std::uint32_t rate = 0;             // the rate the source was converted from
    std::vector<std::int16_t> frames;   // the sound heard once: stereo at the mix rate
    std::vector<std::int16_t> loopHead; // frames [0, head) on every round after the first
    std::vector<std::int16_t> loopTail; // frames [count - tail, count) while it loops

    std::uint32_t FrameCount() const { return static_cast<std::uint32_t>(frames.size() / 2); }
    std::uint32_t HeadFrames() const { return static_cast<std::uint32_t>(loopHead.size() / 2); }
    std::uint32_t TailFrames() const { return static_cast<std::uint32_t>(loopTail.size() / 2); }
};

// Converts frames of PCM (8-bit unsigned or 16-bit, mono or stereo) at rate; false when the
// converter cannot be made (the sound is then silent, as long as it would be).
bool ConvertSound(const std::uint8_t* pcm, std::uint32_t frameCount, std::uint16_t channels, std::uint16_t bits,
                  std::uint32_t rate, ConvertedSound& sound);

// Mix-rate frames of frameCount frames at rate, rounded up (a silent sound's length).
std::uint32_t ConvertedLength(std::uint32_t frameCount, std::uint32_t rate);

}  // namespace backend
