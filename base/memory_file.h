#pragma once
// A file held in memory: a read-only view of bytes that someone else owns (a picture read whole
// from a pack), or a buffer of its own that grows as it is written. The decoders take it where
// they take a file on disk.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "backend/file_service.h"

namespace kv {

class MemoryFile final : public backend::FileHandle {
public:
    // An empty file of its own, for writing.
    MemoryFile() = default;
    // Reads the bytes in place; they must outlive the file. Writes fail.
    explicit MemoryFile(std::span<const std::uint8_t> bytes) : view_(bytes), readOnly_(true) {}

    std::size_t Read(void* buffer, std::size_t bytes) override;
    std::size_t Write(const void* buffer, std::size_t bytes) override;
    bool Seek(std::int64_t offset) override;  // not beyond the end
    std::int64_t Tell() override { return static_cast<std::int64_t>(position_); }
    std::int64_t Size() override { return static_cast<std::int64_t>(Bytes().size()); }
    bool Flush() override { return true; }

    std::span<const std::uint8_t> Bytes() const { return readOnly_ ? view_ : std::span<const std::uint8_t>(owned_); }

private:
    std::span<const std::uint8_t> view_;
    std::vector<std::uint8_t> owned_;
    std::size_t position_ = 0;
    bool readOnly_ = false;
};

}  // namespace kv
