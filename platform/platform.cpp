#include "platform/platform.h"

#include <cstdio>
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
