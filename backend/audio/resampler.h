#pragma once
// Converts 16-bit stereo from a buffer's rate to the mix rate, as a stream: input may come in
// any pieces, and a flush at the end gives every last sample.

#include <cstdint>

struct SwrContext;

namespace backend {

class Resampler {
public:
    Resampler() = default;
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // From inputRate to kOutputRate; false when the converter cannot be made.
    bool Configure(std::uint32_t inputRate);
    bool Configured() const { return context_ != nullptr; }
    // The most frames Convert can write for inputFrames more (with what the converter holds).
    std::uint32_t MaxOutput(std::uint32_t inputFrames) const;
    // Takes inputFrames (0: only what the converter holds) and writes at most outputFrames;
    // returns the frames written. Input beyond what fits is kept for the next call.
    std::uint32_t Convert(std::int16_t* output, std::uint32_t outputFrames, const std::int16_t* input,
                          std::uint32_t inputFrames);
    // The tail the converter still holds after the last input; call until it returns fewer than
    // outputFrames, then Reset before new input.
    std::uint32_t Flush(std::int16_t* output, std::uint32_t outputFrames);
    // Forgets everything held (a jump in the input).
    void Reset();

private:
    SwrContext* context_ = nullptr;
    std::uint32_t inputRate_ = 0;
};

}  // namespace backend
