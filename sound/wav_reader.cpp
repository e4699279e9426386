#include "sound/wav_reader.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"

namespace kv {

namespace {

// A "fmt " chunk is 16 bytes, 18 with its extension size, 40 for the extensible layout; one
// far larger is not a sound file.
constexpr std::uint32_t kMaxFormatChunk = 1024;

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
// The sub-format of an extensible "fmt " chunk (its bytes 24 to 39) that means plain PCM.
constexpr std::uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                            0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool IsPlainPcm(std::uint16_t tag, const std::vector<std::uint8_t>& chunk) {
    if (tag == kTagPcm) return true;
    return tag == kTagExtensible && chunk.size() >= 40 &&
           std::equal(std::begin(kPcmSubFormat), std::end(kPcmSubFormat), chunk.begin() + 24);
}

}  // namespace

bool WavReader::OpenFile(std::string_view path) {
    Close();
    return riff_.OpenFile(path) && ParseHeader();
}

bool WavReader::OpenHandle(backend::FileHandle& file, std::int64_t offset) {
    Close();
    return riff_.OpenHandle(file, offset) && ParseHeader();
}

bool WavReader::OpenMemory(const std::uint8_t* image, std::int64_t offset, std::int64_t size) {
    Close();
    return riff_.OpenMemory(image, offset, size) && ParseHeader();
}

void WavReader::Close() {
    riff_.Close();
    *this = WavReader();
}

bool WavReader::ParseHeader() {
    RiffChunk fmt;
    if (!riff_.DescendRiff(RiffId("WAVE"), form_) || !riff_.Seek(form_.dataOffset + 4) ||
        !riff_.FindChunk(RiffId("fmt "), form_, fmt)) {
        return false;
    }
    if (fmt.size < 16 || fmt.size > kMaxFormatChunk) return false;
    std::vector<std::uint8_t> bytes(std::max<std::uint32_t>(fmt.size, 18), 0);
    if (!riff_.Read(bytes.data(), fmt.size)) return false;
    formatTag_ = ReadLe16(bytes.data());
    // Compressed data (ADPCM, A-law, ...) keeps an empty format, which no buffer takes: played
    // as PCM it would be loud noise.
    if (!IsPlainPcm(formatTag_, bytes)) return riff_.Ascend(fmt);
    format_.channels = ReadLe16(bytes.data() + 2);
    format_.samplesPerSecond = ReadLe32(bytes.data() + 4);
    format_.averageBytesPerSecond = ReadLe32(bytes.data() + 8);
    format_.blockAlign = ReadLe16(bytes.data() + 12);
    format_.bitsPerSample = ReadLe16(bytes.data() + 14);
    return riff_.Ascend(fmt);
}

bool WavReader::SeekData() {
    if (!riff_.Seek(form_.dataOffset + 4) || !riff_.FindChunk(RiffId("data"), form_, data_)) return false;
    left_ = data_.size;
    return true;
}

bool WavReader::Read(std::uint32_t count, std::uint8_t* buffer) {
    if (count > left_ || !riff_.Read(buffer, count)) return false;
    left_ -= count;
    return true;
}

bool WavReader::StreamRead(std::uint32_t count, std::uint8_t* buffer) {
    end_ = false;
    endPosition_ = 0;
    std::uint32_t done = 0;
    while (done < count) {
        if (left_ == 0) {
            if (!end_) {
                end_ = true;
                endPosition_ = done;
            }
            if (data_.size == 0) {
                // Nothing to wrap to: the rest is silence.
                std::memset(buffer + done, format_.bitsPerSample == 8 ? 0x80 : 0, count - done);
                return true;
            }
            if (!SeekData()) return false;
        }
        const std::uint32_t run = std::min(left_, count - done);
        if (!riff_.Read(buffer + done, run)) return false;
        left_ -= run;
        done += run;
    }
    return true;
}

}  // namespace kv
