#pragma once
// Builders of the two script file images, byte for byte, for tests: the compiled script (code
// image) and the variable image. Their use is images whose headers lie about counts or sizes,
// to test that loaders refuse them; write well-formed scripts and variable images as assembler
// source instead (tools/asm).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kvtest {

class SnxImageBuilder {
public:
    // Appends an instruction and returns its index.
    std::uint32_t Emit(std::uint32_t kind, std::uint32_t a = 0, std::uint32_t b = 0);
    // Appends raw bytes to the data area; returns their offset.
    std::uint32_t AddData(const std::vector<std::uint8_t>& bytes);

    // Header words that differ from the real contents.
    void OverrideCount(std::uint32_t count) { countOverride_ = count; }
    void OverrideDataSize(std::uint32_t size) { dataSizeOverride_ = size; }

    std::vector<std::uint8_t> Build() const;

private:
    std::uint32_t InstructionCount() const { return static_cast<std::uint32_t>(code_.size() / 3); }

    std::vector<std::uint32_t> code_;  // kind, a, b per instruction
    std::vector<std::uint8_t> data_;
    std::optional<std::uint32_t> countOverride_;
    std::optional<std::uint32_t> dataSizeOverride_;
};

class VariableImageBuilder {
public:
    // Element counts of the banks that the image gives no values for.
    std::int32_t aInts = 0;
    std::int32_t aBytes = 0;
    std::int32_t aStrings = 0;
    std::int32_t cInts = 0;
    std::int32_t cBytes = 0;
    // Bank B: the values themselves; their counts follow.
    std::vector<std::int32_t> bInts;
    std::vector<std::uint8_t> bBytes;
    std::vector<std::vector<std::uint8_t>> bStrings;

    void AddBString(std::string_view text);
    // Header word i (bank order: A int, A byte, A string, B int, B byte, B string, C int,
    // C byte) written as given instead of the real count.
    void OverrideCount(int bank, std::int32_t count) { overrides_[static_cast<std::size_t>(bank)] = count; }

    std::vector<std::uint8_t> Build() const;

private:
    std::array<std::optional<std::int32_t>, 8> overrides_;
};

}  // namespace kvtest
