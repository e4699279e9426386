#include "pack/pack_entry_type.h"

#include "pack/pack_entry.h"

namespace kv {

std::uint32_t GetPackEntryType(const String& fileName) {
    static constexpr struct {
        const char* extension;
        std::uint32_t kind;
    } kExtensions[] = {
        {".SNX", pack_kind::kScript}, {".BMP", pack_kind::kBmp}, {".PNG", pack_kind::kPng},
        {".WAV", pack_kind::kWav},    {".OGG", pack_kind::kOgg},
    };
    for (const auto& candidate : kExtensions) {
        if (fileName.Find(candidate.extension) != 0) return candidate.kind;
    }
    return pack_kind::kOther;
}

}  // namespace kv
