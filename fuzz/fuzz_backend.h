#pragma once
// The headless hub every fuzz target runs on, installed once per process on a folder of its
// own (message boxes go to its log; files stay inside the folder).

#include <cstdlib>
#include <memory>
#include <string>

#include "backend/file_service.h"
#include "backend/headless/headless_hub.h"

namespace kvfuzz {

inline backend::HeadlessHub& Backend() {
    static backend::HeadlessHub* hub = [] {
        char pattern[] = "/tmp/kv_fuzz_XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        backend::HeadlessOptions options;
        options.gameFolder = pattern;
        auto owned = std::make_unique<backend::HeadlessHub>(options);
        backend::HeadlessHub* raw = owned.get();
        backend::Install(std::move(owned));
        return raw;
    }();
    return *hub;
}

// The native path of the hub's game folder.
inline std::string Folder() {
    Backend();
    std::string native = backend::Get().Files().NativePath(backend::Get().Files().ModuleFolder());
    return native;
}

}  // namespace kvfuzz
