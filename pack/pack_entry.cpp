#include "pack/pack_entry.h"

#include <cstring>

#include "base/byte_order.h"

namespace kv {

namespace {

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
    WriteLe32(out + kOffsetField, entry.offset ^ kIndexKeyWord);
    WriteLe32(out + kSizeField, entry.size ^ kIndexKeyWord);
    const std::size_t length = PackNameLength(entry);
    for (std::size_t i = 0; i < kNameSize; ++i) {
        auto byte = static_cast<std::uint8_t>(entry.name[i]);
        out[kNameField + i] = i < length ? static_cast<std::uint8_t>(byte ^ kIndexKey) : byte;
    }
    WriteLe32(out + kKindField, entry.kind);
}

PackEntry DecodePackEntry(const std::uint8_t in[pack_format::kEntrySize]) {
    using namespace pack_format;
    PackEntry entry;
    entry.offset = ReadLe32(in + kOffsetField) ^ kIndexKeyWord;
    entry.size = ReadLe32(in + kSizeField) ^ kIndexKeyWord;
    bool terminated = false;
    for (std::size_t i = 0; i < kNameSize; ++i) {
        std::uint8_t byte = in[kNameField + i];
        if (byte == 0) terminated = true;
        if (!terminated && byte != kIndexKey) byte ^= kIndexKey;
        entry.name[i] = static_cast<char>(byte);
    }
    entry.kind = ReadLe32(in + kKindField);
    return entry;
}

}  // namespace kv
