#pragma once
// Glyph bitmaps of single characters, for the engine's font rasteriser (graphics/font.h), which
// blends them into surfaces itself. A character is asked for by its code in the build's code
// page (a single byte, or a double-byte code with the lead byte in bits 8-15) with the logical
// font it is drawn in. Used on the main thread only.

#include <cstdint>
#include <string>
#include <vector>

namespace backend {

// The parts of a logical font that shape its glyphs.
struct FontRequest {
    std::string faceName;  // in the build's code page; may name no installed font
    // Positive: the cell height (ascent plus descent) in pixels; negative: the character (em)
    // height; 0: the default height.
    std::int32_t height = 24;
    std::int32_t weight = 0;  // 0 is normal (400); 700 is bold
    bool italic = false;

    bool operator==(const FontRequest&) const = default;
};

enum class GlyphFormat : std::uint8_t {
    Grey,  // one byte a pixel, levels 0 (nothing) to 64 (full)
    Mono,  // one bit a pixel, the leftmost in the most significant bit
};

inline constexpr std::uint8_t kGlyphFullLevel = 64;

// Where the glyph's black box (the smallest box around its ink) lies.
struct GlyphMetrics {
    std::uint32_t blackBoxWidth = 0;
    std::uint32_t blackBoxHeight = 0;  // 0 for a glyph with no ink (a space)
    std::int32_t originX = 0;          // from the pen position to the black box's left column
    std::int32_t originY = 0;          // rows from the baseline up to the black box's top row
    std::int32_t incrementX = 0;       // how far the pen moves after the character
    std::int32_t incrementY = 0;
};

// Bytes from one bitmap row to the next: rows are padded to 4 bytes.
inline std::uint32_t GlyphRowPitch(GlyphFormat format, std::uint32_t blackBoxWidth) {
    const std::uint32_t rowBytes = format == GlyphFormat::Grey ? blackBoxWidth : (blackBoxWidth + 7) / 8;
    return (rowBytes + 3) & ~3u;
}

class GlyphService {
public:
    virtual ~GlyphService() = default;

    // The glyph of code in that font and format: its metrics, and its bitmap in bits (top row
    // first, GlyphRowPitch bytes a row, exactly pitch x black-box height bytes; empty for a glyph
    // with no ink). False, with metrics and bits untouched, when no font can draw the character
    // (the code is not a character of the code page, or no installed font holds it).
    virtual bool RenderGlyph(const FontRequest& font, std::uint32_t code, GlyphFormat format, GlyphMetrics& metrics,
                             std::vector<std::uint8_t>& bits) = 0;
};

}  // namespace backend
