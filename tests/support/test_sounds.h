#pragma once
// Sounds made at test time: PCM patterns, WAV files around them, and Ogg Vorbis encodings
// (libvorbisenc).

#include <cstdint>
#include <vector>

namespace kvtest {

// frames of 16-bit PCM, channels interleaved, a different value in every sample (a ramp that
// wraps, each channel offset), so that a lost, repeated or shifted sample shows.
std::vector<std::int16_t> RampPcm(std::uint32_t frames, std::uint16_t channels, std::int16_t step = 7);
// A sine of the given frequency and peak.
std::vector<std::int16_t> SinePcm(std::uint32_t frames, std::uint16_t channels, std::uint32_t rate, double hz,
                                  double peak);

std::vector<std::uint8_t> PcmBytes(const std::vector<std::int16_t>& samples);

// A RIFF WAVE file: "fmt " (16 bytes, PCM) and "data".
std::vector<std::uint8_t> MakeWav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                  const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> MakeWav16(std::uint16_t channels, std::uint32_t rate,
                                    const std::vector<std::int16_t>& samples);

// An Ogg Vorbis file of the samples.
std::vector<std::uint8_t> EncodeOgg(std::uint16_t channels, std::uint32_t rate,
                                    const std::vector<std::int16_t>& samples);

}  // namespace kvtest
