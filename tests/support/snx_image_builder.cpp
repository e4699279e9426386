#include "tests/support/snx_image_builder.h"

#include "base/byte_order.h"

namespace kvtest {

std::uint32_t SnxImageBuilder::Emit(std::uint32_t kind, std::uint32_t a, std::uint32_t b) {
    const std::uint32_t index = InstructionCount();
    code_.push_back(kind);
    code_.push_back(a);
    code_.push_back(b);
    return index;
}

std::uint32_t SnxImageBuilder::AddData(const std::vector<std::uint8_t>& bytes) {
    const auto offset = static_cast<std::uint32_t>(data_.size());
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return offset;
}

std::vector<std::uint8_t> SnxImageBuilder::Build() const {
    std::vector<std::uint8_t> out;
    kv::AppendLe32(out, countOverride_.value_or(InstructionCount()));
    kv::AppendLe32(out, dataSizeOverride_.value_or(static_cast<std::uint32_t>(data_.size())));
    for (std::uint32_t word : code_) {
        kv::AppendLe32(out, word);
    }
    out.insert(out.end(), data_.begin(), data_.end());
    return out;
}

void VariableImageBuilder::AddBString(std::string_view text) {
    bStrings.emplace_back(text.begin(), text.end());
}

std::vector<std::uint8_t> VariableImageBuilder::Build() const {
    const std::int32_t counts[8] = {
        aInts, aBytes, aStrings,
        static_cast<std::int32_t>(bInts.size()), static_cast<std::int32_t>(bBytes.size()),
        static_cast<std::int32_t>(bStrings.size()), cInts, cBytes,
    };
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < 8; ++i) {
        kv::AppendLe32(out, static_cast<std::uint32_t>(overrides_[i].value_or(counts[i])));
    }
    for (std::int32_t value : bInts) {
        kv::AppendLe32(out, static_cast<std::uint32_t>(value));
    }
    out.insert(out.end(), bBytes.begin(), bBytes.end());
    for (const auto& text : bStrings) {
        kv::AppendLe32(out, static_cast<std::uint32_t>(text.size()));
        out.insert(out.end(), text.begin(), text.end());
    }
    return out;
}

}  // namespace kvtest
