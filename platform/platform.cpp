#include "platform/platform.h"

#include <cstdio>
#include <cstdint>
#include <cstdlib>

namespace platform {
namespace {
std::unique_ptr<Platform>& Slot() {
    static std::unique_ptr<Platform> backend;
    return backend;
}
}  // namespace

void Install(std::unique_ptr<Platform> backend) { Slot() = std::move(backend); }

void Uninstall() { Slot().reset(); }

bool IsInstalled() { return Slot() != nullptr; }

Platform& Get() {
    if (!Slot()) {
        std::fputs("kvrebody: no platform backend installed\n", stderr);
        std::abort();
    }
    return *Slot();
}

}  // namespace platform

namespace platform {

bool ReadExactly(FileHandle& file, std::int64_t size, std::vector<std::uint8_t>& out) {
    if (size < 0 || static_cast<std::uint64_t>(size) > SIZE_MAX) return false;
    out.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < out.size()) {
        // A handle may deliver less than asked before its end; only nothing at all ends it.
        const std::size_t got = file.Read(out.data() + done, out.size() - done);
        if (got == 0) return false;
        done += got;
    }
    return true;
}

}  // namespace platform
