#pragma once
// What the mixer plays: a source of 16-bit stereo frames at its own rate, with volume and pan.
// A voice converts its source to the mix rate when the rates differ and adds itself, scaled,
// into the mix. All of it runs under the mixer's lock.

#include <cstdint>
#include <vector>

#include "backend/audio/resampler.h"

namespace backend {

class VoiceGain {
public:
    // Attenuations in hundredths of a decibel; -10000 or below is silence.
    void Set(std::int32_t volume, std::int32_t pan);
    // Factors of the samples: 1 is unity, 0 silence.
    float Left() const { return left_; }
    float Right() const { return right_; }

private:
    float left_ = 1;
    float right_ = 1;
};

class MixerVoice {
public:
    virtual ~MixerVoice() = default;
    // Whether the mixer should call MixInto now.
    virtual bool Active() const = 0;
    // Adds the next frames (at most kMaxPeriodFrames) of the voice into acc (stereo).
    void MixInto(std::int32_t* acc, std::uint32_t frames);

protected:
    struct Pulled {
        std::uint32_t frames = 0;
        bool ended = false;  // the source ended for good: after these frames there is nothing
    };
    // Where Pull puts the source's frames, run after run: mixed straight into the period, or
    // gathered as 16-bit stereo for the converter.
    class FrameSink {
    public:
        // pcm lies in storage of std::int16_t, so that 16-bit stereo is mixed where it lies.
        void Take(const std::uint8_t* pcm, std::uint16_t channels, std::uint16_t bits, std::uint32_t frames);

    private:
        friend class MixerVoice;
        std::int32_t* acc_ = nullptr;  // mixing, with gain_
        const VoiceGain* gain_ = nullptr;
        std::int16_t* out_ = nullptr;  // gathering
    };
    // Up to frames source frames into the sink, moving the source on. Fewer without ended
    // means nothing more is there now (a stream waiting for its producer).
    virtual Pulled Pull(FrameSink& sink, std::uint32_t frames) = 0;
    // Every frame of an ended source has been heard.
    virtual void Finished() = 0;

    // The source's rate; a change takes effect at the next frame.
    void SetRate(std::uint32_t rate);
    void SetGain(std::int32_t volume, std::int32_t pan) { gain_.Set(volume, pan); }
    // Forgets frames held for conversion (the source jumped or stopped).
    void ResetConversion();

private:
    // Converts source frames until at least frames mix-rate frames wait (fewer when the source
    // ends or has nothing now).
    void ConvertAhead(std::uint32_t frames);
    // Converts inputFrames (null: the converter's tail) behind what waits.
    void ConvertInto(const std::int16_t* input, std::uint32_t inputFrames);

    std::uint32_t rate_ = 0;
    VoiceGain gain_;
    Resampler resampler_;
    bool draining_ = false;  // the source ended; all that is left waits converted
    std::vector<std::int16_t> input_;
    std::vector<std::int16_t> pending_;  // converted stereo frames at the mix rate, waiting to be mixed
    std::uint32_t pendingStart_ = 0;
    std::uint32_t pendingFrames_ = 0;
};

// Converts frames of PCM (8-bit unsigned or 16-bit little-endian, mono or stereo) to 16-bit
// stereo.
void ConvertToStereo16(const std::uint8_t* in, std::uint16_t channels, std::uint16_t bits, std::int16_t* out,
                       std::uint32_t frames);

// Adds frames of 16-bit stereo into the 32-bit stereo accumulator with the gains.
void AccumulateStereo(std::int32_t* acc, const std::int16_t* in, std::uint32_t frames, const VoiceGain& gain);

// The accumulator into 16-bit stereo, saturating.
void SaturateStereo(const std::int32_t* acc, std::int16_t* out, std::uint32_t frames);

}  // namespace backend
