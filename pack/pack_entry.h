#pragma once
// One record of a pack index and the constants of the pack format. A pack is a data file (the
// resources one after another) and an index file beside it (data path + ".lst"): a scrambled
// entry count followed by 76-byte records, little-endian.

#include <cstddef>
#include <cstdint>

namespace kv {

namespace pack_format {
// Scrambles the entry count, every offset and size, and the name bytes of the index.
inline constexpr std::uint8_t kIndexKey = 0x6B;
// Scrambles every byte of a kind-1 entry (scripts, the variable image) in the data file.
inline constexpr std::uint8_t kScriptKey = 0xD4;
inline constexpr std::uint32_t kIndexKeyWord = 0x6B6B6B6Bu;

inline constexpr std::size_t kCountSize = 4;
inline constexpr std::size_t kEntrySize = 76;
inline constexpr std::size_t kNameSize = 64;
// Offsets and sizes reach the backend's positioning calls as signed 32-bit values.
inline constexpr std::int64_t kMaxDataSize = 0x7FFFFFFF;
}  // namespace pack_format

// Entry kinds.
namespace pack_kind {
inline constexpr std::uint32_t kOther = 0;
inline constexpr std::uint32_t kScript = 1;  // compiled script, also the variable image
inline constexpr std::uint32_t kBmp = 2;
inline constexpr std::uint32_t kPng = 3;
inline constexpr std::uint32_t kWav = 4;
inline constexpr std::uint32_t kOgg = 5;
}  // namespace pack_kind

struct PackEntry {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    char name[pack_format::kNameSize] = {};  // up to a terminating 0 (none when all 64 are used)
    std::uint32_t kind = 0;
};

// The record as it stands in the index file: offset, size and name scrambled, kind plain.
// Name bytes up to the first 0 are XORed with the index key; the rest is copied as it is.
void EncodePackEntry(const PackEntry& entry, std::uint8_t out[pack_format::kEntrySize]);
// The reverse. A stored name byte equal to the key stands for itself (indexes made elsewhere
// may hold one); the writer never produces it.
PackEntry DecodePackEntry(const std::uint8_t in[pack_format::kEntrySize]);

// Length of a stored name: the bytes before its terminator, at most the whole field.
std::size_t PackNameLength(const PackEntry& entry);

}  // namespace kv
