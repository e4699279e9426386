#include "backend/file_service.h"

#include <cstdint>

namespace backend {

bool ReadExactly(FileHandle& file, std::int64_t size, std::vector<std::uint8_t>& out) {
    if (size < 0 || static_cast<std::uint64_t>(size) > SIZE_MAX) return false;
    out.resize(static_cast<std::size_t>(size));
    return ReadExactly(file, out.data(), out.size());
}

bool ReadExactly(FileHandle& file, void* buffer, std::size_t bytes) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < bytes) {
        // A handle may deliver less than asked before its end; only nothing at all ends it.
        const std::size_t got = file.Read(out + done, bytes - done);
        if (got == 0) return false;
        done += got;
    }
    return true;
}

}  // namespace backend
