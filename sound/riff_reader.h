#pragma once
// Our own reader of RIFF files: descends into the "RIFF" form, finds sub-chunks by their id and
// reads their bytes, over a file (by name or on a borrowed handle at an offset) or a memory
// image. Every size read from the file is bounded by the bytes the file really holds.

#include <cstdint>
#include <memory>
#include <string_view>

#include "backend/file_service.h"

namespace kv {

struct RiffChunk {
    std::uint32_t id = 0;
    std::uint32_t size = 0;        // bytes of data, cut to what the file holds
    std::int64_t dataOffset = 0;   // where the data starts (for "RIFF": the form type)
};

constexpr std::uint32_t RiffId(const char (&text)[5]) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[0])) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[3])) << 24);
}

class RiffReader {
public:
    // The sources; a failed open leaves the reader closed.
    bool OpenFile(std::string_view path);
    // The handle stays the caller's and must outlive the reader.
    bool OpenHandle(backend::FileHandle& file, std::int64_t offset);
    // The image stays the caller's and must outlive the reader.
    bool OpenMemory(const std::uint8_t* image, std::int64_t offset, std::int64_t size);
    void Close();
    bool IsOpen() const { return owned_ || borrowed_ || image_; }

    // Reads the "RIFF" header at the current position; the form type must be formType.
    bool DescendRiff(std::uint32_t formType, RiffChunk& riff);
    // From the current position, finds the next chunk with this id inside parent and stops at
    // its data.
    bool FindChunk(std::uint32_t id, const RiffChunk& parent, RiffChunk& chunk);
    // Moves behind the chunk (and its pad byte).
    bool Ascend(const RiffChunk& chunk);
    bool Seek(std::int64_t position);
    // Exactly bytes bytes from the current position, or false.
    bool Read(void* buffer, std::uint32_t bytes);

private:
    std::int64_t End() const;

    std::unique_ptr<backend::FileHandle> owned_;
    backend::FileHandle* borrowed_ = nullptr;
    const std::uint8_t* image_ = nullptr;
    std::int64_t imageSize_ = 0;
    std::int64_t position_ = 0;  // of the memory image; files keep their own
    backend::FileHandle* File() const { return owned_ ? owned_.get() : borrowed_; }
};

}  // namespace kv
