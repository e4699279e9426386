#pragma once
// The glyph rasteriser: draws one character at a time straight into the pixels of a 24-bit
// surface, blending a 65-level grey glyph into them or setting the pixels of a one-bit glyph, in
// the text colour. Every message window holds one (it draws in black into its mask and colours
// the text itself). The glyphs come from the backend's glyph service (backend/glyph_service.h).
//
// The logical font, the text colour, the glyph format and the placement flag are plain fields
// that their users set; a change takes effect on the very next character.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backend/glyph_service.h"

namespace kv {

class Surface;

// The parts of a logical font the engine sets (the width, escapement, orientation, character
// set, precisions, quality and pitch of the platform's logical font keep their defaults, and the
// glyph transformation is the identity: nothing in the engine changes them).
struct LogicalFont {
    static constexpr std::size_t kMaxFaceNameBytes = 31;

    // Positive: the cell height (ascent plus descent) in pixels; negative: the character height.
    std::int32_t height = 24;
    std::int32_t weight = 0;  // 0 normal, 700 bold
    std::uint8_t italic = 0;
    // Kept and saved, but glyphs have no underline or strike-out: they belong to text output.
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::string faceName = "Tahoma";  // in the build's code page, at most kMaxFaceNameBytes bytes

    // Cut to kMaxFaceNameBytes bytes, as the platform's face-name field holds.
    void SetFaceName(std::string_view name) { faceName.assign(name.substr(0, kMaxFaceNameBytes)); }
};

struct TextColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// Glyph formats: 65 grey levels; any other value draws one-bit glyphs.
inline constexpr std::uint32_t kGlyphFormatGrey = 6;
inline constexpr std::uint32_t kGlyphFormatMono = 1;

// The two spaces (ASCII and the double-byte ideographic space) draw nothing.
inline constexpr std::uint32_t kSpaceCode = 0x20;
inline constexpr std::uint32_t kIdeographicSpaceCode = 0x8140;

class Font {
public:
    Font() { Init(); }
    ~Font() = default;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Every field to its first value (height 24, "Tahoma", grey glyphs, black, baseline
    // placement), the glyph buffer emptied.
    void Init();
    // Takes the other's logical font, colour, glyph format, placement flag and placement
    // results; the glyph buffer and its metrics stay.
    void CopySettings(const Font& other);

    // Rasterises the character into the glyph buffer. False, with the buffer and metrics of the
    // previous glyph kept, when no glyph service is installed or it has no glyph for the code.
    // code: a single byte, or a double-byte code with the lead byte in bits 8-15.
    bool GetGlyphBitmap(std::uint32_t code);
    // Draws the character with its reference point at (x, y) of the surface (y from the top):
    // the reference row is the baseline, or with the placement flag the bottom of the glyph's
    // black box. The two spaces return true at once and change nothing. False when the glyph
    // cannot be made (nothing is drawn).
    bool DrawChar(Surface& surface, std::int32_t x, std::int32_t y, std::uint32_t code);
    // Put the glyph in the buffer on the surface, clipped to it: each byte d of a pixel becomes
    // d + level * (colour - d) / 64 (the division truncating toward zero), or the colour where a
    // one-bit glyph's bit is set. Both first store the placement results.
    void BlendGreyGlyph(Surface& surface, std::int32_t x, std::int32_t y);
    void DrawMonoGlyph(Surface& surface, std::int32_t x, std::int32_t y);

    // ---- the last glyph ----
    const backend::GlyphMetrics& Metrics() const { return metrics_; }
    std::uint32_t RowPitch() const { return rowPitch_; }
    const std::vector<std::uint8_t>& GlyphBits() const { return glyphBits_; }
    // Rows the last drawn glyph reaches above and below the reference row.
    std::int32_t RowsAbove() const { return rowsAbove_; }
    std::int32_t RowsBelow() const { return rowsBelow_; }

    // ---- settings ----
    LogicalFont logicalFont;
    TextColour colour;
    std::uint32_t glyphFormat = kGlyphFormatGrey;
    bool placeByBlackBoxBottom = false;  // the placement flag

private:
    struct GlyphArea;
    // Where the glyph in the buffer lands for reference point (x, y); stores the placement results.
    GlyphArea Place(std::int32_t x, std::int32_t y);
    bool HasDrawableGlyph(const Surface& surface, backend::GlyphFormat format) const;
    // Places the glyph (storing the placement results) and hands each of its rows that lands on
    // the surface to drawRow(glyph row, first pixel, first column, end column).
    template <typename DrawRow>
    void PutGlyph(Surface& surface, std::int32_t x, std::int32_t y, backend::GlyphFormat format, DrawRow drawRow);

    backend::FontRequest request_;  // the logical font as last asked for
    backend::GlyphMetrics metrics_;
    std::vector<std::uint8_t> glyphBits_;
    backend::GlyphFormat bitsFormat_ = backend::GlyphFormat::Grey;
    std::uint32_t rowPitch_ = 0;
    std::int32_t rowsAbove_ = 0;
    std::int32_t rowsBelow_ = 0;
};

}  // namespace kv
