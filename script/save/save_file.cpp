#include "script/save/save_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "base/byte_order.h"
#include "script/save/data_set_codec.h"

namespace kv {

namespace {
constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t ReadBe32(const std::uint8_t* in) {
    return (static_cast<std::uint32_t>(in[0]) << 24) | (static_cast<std::uint32_t>(in[1]) << 16) |
           (static_cast<std::uint32_t>(in[2]) << 8) | in[3];
}
}  // namespace

std::string SaveNumberText(std::int32_t slot) { return (slot < 10 ? "0" : "") + std::to_string(slot); }

String SaveFileName(const String& folder, std::int32_t slot) {
    return folder.ConcatChars("SAVE").ConcatChars(SaveNumberText(slot).c_str()).ConcatChars(".KVR");
}

std::vector<std::uint8_t> ComposeSaveFile(std::span<const std::uint8_t> thumbnailPng, const DataSetSnapshot& snapshot) {
    std::vector<std::uint8_t> blob = EncodeBlob(snapshot);
    ScrambleBlob(blob);
    std::vector<std::uint8_t> file;
    file.reserve(thumbnailPng.size() + blob.size());
    file.insert(file.end(), thumbnailPng.begin(), thumbnailPng.end());
    file.insert(file.end(), blob.begin(), blob.end());
    return file;
}

std::optional<std::size_t> BlobOffset(std::span<const std::uint8_t> file) {
    if (file.size() < kPngSignature.size() || !std::equal(kPngSignature.begin(), kPngSignature.end(), file.begin())) {
        return 0;
    }
    // Chunks: length (big-endian), type, data, CRC; the picture ends with the IEND chunk.
    std::size_t at = kPngSignature.size();
    while (file.size() - at >= 12) {
        const std::uint64_t length = ReadBe32(file.data() + at);
        const bool end = std::memcmp(file.data() + at + 4, "IEND", 4) == 0;
        if (length > file.size() - at - 12) return std::nullopt;
        at += 12 + static_cast<std::size_t>(length);
        if (end) return at;
    }
    return std::nullopt;
}

SaveFileCheck ReadSaveFile(std::span<const std::uint8_t> file, const VersionField& version, DataSetSnapshot& snapshot) {
    const std::optional<std::size_t> offset = BlobOffset(file);
    if (!offset || file.size() - *offset < kSaveHeaderSize) return SaveFileCheck::Damaged;
    std::vector<std::uint8_t> blob(file.begin() + static_cast<std::ptrdiff_t>(*offset), file.end());
    ScrambleBlob(blob);
    if (!std::equal(version.begin(), version.end(), blob.begin() + 4)) return SaveFileCheck::OtherVersion;
    return DecodeBlob(blob, snapshot) ? SaveFileCheck::Sound : SaveFileCheck::Damaged;
}

}  // namespace kv
