#include "backend/headless/headless_glyphs.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace backend {

void HeadlessGlyphs::SetGlyph(std::uint32_t code, const GlyphMetrics& metrics, std::vector<std::uint8_t> bits) {
    set_[code] = SetGlyphBits{metrics, std::move(bits)};
}

bool HeadlessGlyphs::RenderGlyph(const FontRequest& font, std::uint32_t code, GlyphFormat format,
                                 GlyphMetrics& metrics, std::vector<std::uint8_t>& bits) {
    queries_.push_back(GlyphQuery{font, code, format});
    if (code >= 0xFFFFFF80u) code &= 0xFF;
    if (refused_.count(code)) return false;
    if (auto found = set_.find(code); found != set_.end()) {
        metrics = found->second.metrics;
        bits = found->second.bits;
        return true;
    }
    if (code < 0x20 || code > 0xFFFF) return false;
    const std::int32_t size = font.height == 0 ? 16 : static_cast<std::int32_t>(std::min<std::int64_t>(std::llabs(font.height), 256));
    const std::int32_t c = static_cast<std::int32_t>(code);
    GlyphMetrics made;
    made.incrementX = code > 0xFF ? size : size / 2;
    if (code == 0x20 || code == 0x8140 || code == 0xA1A1) {
        made.incrementX = size / 2;
        metrics = made;
        bits.clear();
        return true;
    }
    made.blackBoxWidth = static_cast<std::uint32_t>(size / 2 + c % 3);
    made.blackBoxHeight = static_cast<std::uint32_t>(size * 3 / 4);
    made.originX = c % 2;
    made.originY = static_cast<std::int32_t>(made.blackBoxHeight) - size / 8;
    const std::uint32_t pitch = GlyphRowPitch(format, made.blackBoxWidth);
    bits.assign(static_cast<std::size_t>(pitch) * made.blackBoxHeight, 0);
    for (std::uint32_t r = 0; r < made.blackBoxHeight; ++r) {
        for (std::uint32_t k = 0; k < made.blackBoxWidth; ++k) {
            const std::int32_t row = static_cast<std::int32_t>(r), column = static_cast<std::int32_t>(k);
            if (format == GlyphFormat::Grey)
                bits[r * pitch + k] = static_cast<std::uint8_t>((5 * row + 3 * column + c) % 65);
            else if ((row + column + c) % 3 == 0)
                bits[r * pitch + k / 8] |= static_cast<std::uint8_t>(0x80 >> (k % 8));
        }
    }
    metrics = made;
    return true;
}

}  // namespace backend
