#pragma once
// The compiled script (".SNX"): instruction count, data size, the instructions {kind, a, b} and
// the data area that holds the string literals (u32 length + bytes each).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvasm {

struct Instruction {
    uint32_t kind = 0;
    uint32_t a = 0;
    uint32_t b = 0;
    bool operator==(const Instruction&) const = default;
};

struct CodeImage {
    std::vector<Instruction> instructions;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> EncodeCodeImage(const CodeImage& image);

// Splits file bytes into instructions and data area. The file must hold exactly the header, the
// counted instructions and the counted data bytes; otherwise false with a reason in *error.
bool DecodeCodeImage(std::span<const uint8_t> bytes, CodeImage* image, std::string* error);

}  // namespace kvasm
