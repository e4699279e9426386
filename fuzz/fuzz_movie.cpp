// Fuzz target for the movie decoder: any bytes opened as a movie from memory and decoded for a
// fixed number of packets, every picture converted and the sound taken, as the playback does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "backend/ffmpeg/movie_decoder.h"
#include "backend/file_service.h"

namespace {

constexpr int kPackets = 64;

class MemoryFile final : public backend::FileHandle {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Read(void* buffer, std::size_t bytes) override {
        const std::size_t count = std::min(bytes, size_ - std::min(position_, size_));
        if (count) std::memcpy(buffer, data_ + position_, count);
        position_ += count;
        return count;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    bool Seek(std::int64_t offset) override {
        if (offset < 0) return false;
        position_ = static_cast<std::size_t>(offset);
        return true;
    }
    std::int64_t Tell() override { return static_cast<std::int64_t>(position_); }
    std::int64_t Size() override { return static_cast<std::int64_t>(size_); }
    bool Flush() override { return true; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool silenced = (backend::SilenceDecoderMessages(true), true);
    static_cast<void>(silenced);
    backend::MovieDecoderOptions options;
    options.pictureWidth = 64;
    options.pictureHeight = 48;
    options.decodeSound = true;
    std::unique_ptr<backend::MovieDecoder> decoder =
        backend::MovieDecoder::Open(std::make_unique<MemoryFile>(data, size), options);
    if (!decoder) return 0;
    std::vector<std::uint8_t> picture;
    for (int i = 0; i < kPackets; ++i) {
        const backend::MovieDecoder::ReadResult result = decoder->ReadPacket();
        while (decoder->PendingPictures() > 0) {
            if (decoder->TakePicture(picture) && picture.size() != 64u * 48u * 3u) __builtin_trap();
        }
        const std::size_t frames = decoder->PendingSoundFrames();
        volatile std::int16_t touch = 0;
        for (std::size_t f = 0; f < frames; f += 97) touch = static_cast<std::int16_t>(touch + decoder->SoundFrames()[f * 2]);
        decoder->DropSound(frames);
        if (result != backend::MovieDecoder::ReadResult::Read) break;
    }
    return 0;
}
