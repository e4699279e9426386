#include "pack/pack_entry.h"

#include <cstring>

namespace kv {

namespace {

void PutU32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

std::uint32_t GetU32(const std::uint8_t* in) {
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
           (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

constexpr std::size_t kOffsetField = 0;
constexpr std::size_t kSizeField = 4;
constexpr std::size_t kNameField = 8;
constexpr std::size_t kKindField = 72;

}  // namespace

std::size_t PackNameLength(const PackEntry& entry) {
    const void* end = std::memchr(entry.name, 0, pack_format::kNameSize);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - entry.name) : pack_format::kNameSize;
}

void EncodePackEntry(const PackEntry& entry, std::uint8_t out[pack_format::kEntrySize]) {
    using namespace pack_format;
    PutU32(out + kOffsetField, entry.offset ^ kIndexKeyWord);
    PutU32(out + kSizeField, entry.size ^ kIndexKeyWord);
    const std::size_t length = PackNameLength(entry);
    for (std::size_t i = 0; i < kNameSize; ++i) {
        auto byte = static_cast<std::uint8_t>(entry.name[i]);
        out[kNameField + i] = i < length ? static_cast<std::uint8_t>(byte ^ kIndexKey) : byte;
    }
    PutU32(out + kKindField, entry.kind);
}

PackEntry DecodePackEntry(const std::uint8_t in[pack_format::kEntrySize]) {
    using namespace pack_format;
    PackEntry entry;
    entry.offset = GetU32(in + kOffsetField) ^ kIndexKeyWord;
    entry.size = GetU32(in + kSizeField) ^ kIndexKeyWord;
    bool terminated = false;
    for (std::size_t i = 0; i < kNameSize; ++i) {
        std::uint8_t byte = in[kNameField + i];
        if (byte == 0) terminated = true;
        if (!terminated && byte != kIndexKey) byte ^= kIndexKey;
        entry.name[i] = static_cast<char>(byte);
    }
    entry.kind = GetU32(in + kKindField);
    return entry;
}

}  // namespace kv
