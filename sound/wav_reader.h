#pragma once
// The PCM of a RIFF WAVE file, from a file by name, from a borrowed handle at an offset (pack
// archives) or from a memory image: a one-shot read for whole sounds and a stream read that
// wraps to the start of the data at its end and says where it did.

#include <cstdint>
#include <string_view>
#include <vector>

#include "backend/audio_device.h"
#include "sound/riff_reader.h"

namespace kv {

class WavReader {
public:
    // Open and read the header ("RIFF"/"WAVE" and the "fmt " chunk).
    bool OpenFile(std::string_view path);
    bool OpenHandle(backend::FileHandle& file, std::int64_t offset);
    bool OpenMemory(const std::uint8_t* image, std::int64_t offset, std::int64_t size);
    void Close();

    // Positions at the start of the PCM ("data" chunk); DataBytes is then its size.
    bool SeekData();
    std::uint32_t DataBytes() const { return data_.size; }

    // Exactly count bytes of the data, or false (a short read too).
    bool Read(std::uint32_t count, std::uint8_t* buffer);
    // count bytes of the data, wrapping to its start as often as needed. Sets End and
    // EndPosition (bytes of this read before the first wrap). Data of 0 bytes gives silence.
    bool StreamRead(std::uint32_t count, std::uint8_t* buffer);
    bool End() const { return end_; }
    std::uint32_t EndPosition() const { return endPosition_; }

    // The "fmt " chunk: its format tag and the PCM fields (all 0 unless the data is plain PCM,
    // tag 1 or the extensible tag with the PCM sub-format).
    std::uint16_t FormatTag() const { return formatTag_; }
    const backend::PcmFormat& Format() const { return format_; }

private:
    bool ParseHeader();

    RiffReader riff_;
    RiffChunk form_;
    RiffChunk data_;
    std::uint32_t left_ = 0;  // data bytes not yet read by the stream
    std::uint16_t formatTag_ = 0;
    backend::PcmFormat format_;
    bool end_ = false;
    std::uint32_t endPosition_ = 0;
};

}  // namespace kv
