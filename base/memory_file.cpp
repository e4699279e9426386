#include "base/memory_file.h"

#include <algorithm>
#include <cstring>

namespace kv {

std::size_t MemoryFile::Read(void* buffer, std::size_t bytes) {
    const std::span<const std::uint8_t> all = Bytes();
    const std::size_t count = std::min(bytes, all.size() - position_);
    if (count > 0) std::memcpy(buffer, all.data() + position_, count);
    position_ += count;
    return count;
}

std::size_t MemoryFile::Write(const void* buffer, std::size_t bytes) {
    if (readOnly_) return 0;
    if (position_ + bytes > owned_.size()) owned_.resize(position_ + bytes);
    if (bytes > 0) std::memcpy(owned_.data() + position_, buffer, bytes);
    position_ += bytes;
    return bytes;
}

bool MemoryFile::Seek(std::int64_t offset) {
    if (offset < 0 || static_cast<std::uint64_t>(offset) > Bytes().size()) return false;
    position_ = static_cast<std::size_t>(offset);
    return true;
}

}  // namespace kv
