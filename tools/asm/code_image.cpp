#include "tools/asm/code_image.h"

#include "base/byte_order.h"

namespace kvasm {

std::vector<uint8_t> EncodeCodeImage(const CodeImage& image) {
    std::vector<uint8_t> out;
    out.reserve(8 + image.instructions.size() * 12 + image.data.size());
    kv::AppendLe32(out, static_cast<uint32_t>(image.instructions.size()));
    kv::AppendLe32(out, static_cast<uint32_t>(image.data.size()));
    for (const Instruction& in : image.instructions) {
        kv::AppendLe32(out, in.kind);
        kv::AppendLe32(out, in.a);
        kv::AppendLe32(out, in.b);
    }
    out.insert(out.end(), image.data.begin(), image.data.end());
    return out;
}

bool DecodeCodeImage(std::span<const uint8_t> bytes, CodeImage* image, std::string* error) {
    if (bytes.size() < 8) {
        *error = "file is " + std::to_string(bytes.size()) + " bytes, shorter than the 8-byte header";
        return false;
    }
    const uint64_t count = kv::ReadLe32(bytes.data() + 0);
    const uint64_t dataSize = kv::ReadLe32(bytes.data() + 4);
    const uint64_t expected = 8 + count * 12 + dataSize;
    if (expected != bytes.size()) {
        *error = "header says " + std::to_string(count) + " instructions and " +
                 std::to_string(dataSize) + " data bytes (" + std::to_string(expected) +
                 " bytes in all) but the file has " + std::to_string(bytes.size()) + " bytes";
        return false;
    }
    image->instructions.clear();
    image->instructions.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        const size_t at = 8 + static_cast<size_t>(i) * 12;
        image->instructions.push_back({kv::ReadLe32(bytes.data() + at), kv::ReadLe32(bytes.data() + at + 4), kv::ReadLe32(bytes.data() + at + 8)});
    }
    const size_t dataStart = 8 + static_cast<size_t>(count) * 12;
    image->data.assign(bytes.begin() + dataStart, bytes.end());
    return true;
}

}  // namespace kvasm
