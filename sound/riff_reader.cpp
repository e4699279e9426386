#include "sound/riff_reader.h"

#include <algorithm>
#include <cstring>

#include "backend/hub.h"
#include "base/byte_order.h"

namespace kv {

bool RiffReader::OpenFile(std::string_view path) {
    Close();
    owned_ = backend::Get().Files().OpenFile(path, backend::FileMode::Read);
    return owned_ != nullptr;
}

bool RiffReader::OpenHandle(backend::FileHandle& file, std::int64_t offset) {
    Close();
    borrowed_ = &file;
    if (!borrowed_->Seek(offset)) {
        Close();
        return false;
    }
    return true;
}

bool RiffReader::OpenMemory(const std::uint8_t* image, std::int64_t offset, std::int64_t size) {
    Close();
    if (image == nullptr || size < 0 || offset < 0 || offset > size) return false;
    image_ = image;
    imageSize_ = size;
    position_ = offset;
    return true;
}

void RiffReader::Close() {
    owned_.reset();
    borrowed_ = nullptr;
    image_ = nullptr;
    imageSize_ = 0;
    position_ = 0;
}

std::int64_t RiffReader::End() const {
    if (image_) return imageSize_;
    backend::FileHandle* file = File();
    return file ? file->Size() : 0;
}

bool RiffReader::Seek(std::int64_t position) {
    if (position < 0 || position > End()) return false;
    if (image_) {
        position_ = position;
        return true;
    }
    backend::FileHandle* file = File();
    return file && file->Seek(position);
}

bool RiffReader::Read(void* buffer, std::uint32_t bytes) {
    if (image_) {
        if (imageSize_ - position_ < bytes) return false;
        std::memcpy(buffer, image_ + position_, bytes);
        position_ += bytes;
        return true;
    }
    backend::FileHandle* file = File();
    if (!file) return false;
    std::size_t done = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (done < bytes) {
        const std::size_t got = file->Read(out + done, bytes - done);
        if (got == 0) return false;
        done += got;
    }
    return true;
}

bool RiffReader::DescendRiff(std::uint32_t formType, RiffChunk& riff) {
    std::uint8_t header[12];
    const std::int64_t start = image_ ? position_ : (File() ? File()->Tell() : -1);
    if (start < 0 || !Read(header, sizeof header)) return false;
    if (ReadLe32(header) != RiffId("RIFF") || ReadLe32(header + 8) != formType) return false;
    riff.id = RiffId("RIFF");
    riff.dataOffset = start + 8;
    riff.size = static_cast<std::uint32_t>(std::min<std::int64_t>(ReadLe32(header + 4), End() - riff.dataOffset));
    return riff.size >= 4;
}

bool RiffReader::FindChunk(std::uint32_t id, const RiffChunk& parent, RiffChunk& chunk) {
    const std::int64_t parentEnd = parent.dataOffset + parent.size;
    std::int64_t at = image_ ? position_ : (File() ? File()->Tell() : -1);
    if (at < 0) return false;
    while (at + 8 <= parentEnd) {
        std::uint8_t header[8];
        if (!Read(header, sizeof header)) return false;
        const std::uint32_t size = ReadLe32(header + 4);
        const std::int64_t data = at + 8;
        if (ReadLe32(header) == id) {
            chunk.id = id;
            chunk.dataOffset = data;
            chunk.size = static_cast<std::uint32_t>(std::min<std::int64_t>(size, parentEnd - data));
            return true;
        }
        at = data + size + (size & 1);
        if (at > parentEnd || !Seek(at)) return false;
    }
    return false;
}

bool RiffReader::Ascend(const RiffChunk& chunk) {
    const std::int64_t behind = chunk.dataOffset + chunk.size + (chunk.size & 1);
    return Seek(std::min(behind, End()));
}

}  // namespace kv
