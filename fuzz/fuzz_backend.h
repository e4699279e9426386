#pragma once
// The headless backend every fuzz target runs on, installed once per process on a folder of its
// own (message boxes go to its log; files stay inside the folder).

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/headless/headless_platform.h"

namespace kvfuzz {

inline platform::HeadlessPlatform& Backend() {
    static platform::HeadlessPlatform* backend = [] {
        char pattern[] = "/tmp/kv_fuzz_XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        platform::HeadlessOptions options;
        options.gameFolder = pattern;
        auto owned = std::make_unique<platform::HeadlessPlatform>(options);
        platform::HeadlessPlatform* raw = owned.get();
        platform::Install(std::move(owned));
        return raw;
    }();
    return *backend;
}

// The native path of the backend's game folder.
inline std::string Folder() {
    Backend();
    std::string native = platform::Get().NativePath(platform::Get().ModuleFolder());
    return native;
}

}  // namespace kvfuzz
