#include "graphics/font.h"

#include <algorithm>

#include "backend/hub.h"
#include "graphics/surface.h"

namespace kv {

// The glyph's rows and columns that land inside the surface, and where glyph row 0, column 0
// would land.
struct Font::GlyphArea {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int32_t firstRow = 0, endRow = 0;
    std::int32_t firstColumn = 0, endColumn = 0;
};

void Font::Init() {
    logicalFont = LogicalFont{};
    colour = TextColour{};
    glyphFormat = kGlyphFormatGrey;
    placeByBlackBoxBottom = false;
    request_ = backend::FontRequest{};
    metrics_ = backend::GlyphMetrics{};
    glyphBits_.clear();
    glyphBits_.shrink_to_fit();
    bitsFormat_ = backend::GlyphFormat::Grey;
    rowPitch_ = 0;
    rowsAbove_ = 0;
    rowsBelow_ = 0;
}

void Font::CopySettings(const Font& other) {
    logicalFont = other.logicalFont;
    colour = other.colour;
    glyphFormat = other.glyphFormat;
    placeByBlackBoxBottom = other.placeByBlackBoxBottom;
    rowsAbove_ = other.rowsAbove_;
    rowsBelow_ = other.rowsBelow_;
}

bool Font::GetGlyphBitmap(std::uint32_t code) {
    backend::GlyphService* glyphs = backend::IsInstalled() ? backend::Get().Glyphs() : nullptr;
    if (!glyphs) return false;
    // The request is rebuilt only when the logical font changed: most characters reuse it.
    if (request_.faceName != logicalFont.faceName) request_.faceName = logicalFont.faceName;
    request_.height = logicalFont.height;
    request_.weight = logicalFont.weight;
    request_.italic = logicalFont.italic != 0;
    const backend::GlyphFormat format =
        glyphFormat == kGlyphFormatGrey ? backend::GlyphFormat::Grey : backend::GlyphFormat::Mono;
    if (!glyphs->RenderGlyph(request_, code, format, metrics_, glyphBits_)) return false;
    bitsFormat_ = format;
    rowPitch_ = backend::GlyphRowPitch(format, metrics_.blackBoxWidth);
    return true;
}

bool Font::DrawChar(Surface& surface, std::int32_t x, std::int32_t y, std::uint32_t code) {
    if (code == kIdeographicSpaceCode || code == kSpaceCode) return true;
    if (!GetGlyphBitmap(code)) return false;
    if (glyphFormat == kGlyphFormatGrey)
        BlendGreyGlyph(surface, x, y);
    else
        DrawMonoGlyph(surface, x, y);
    return true;
}

Font::GlyphArea Font::Place(std::int32_t x, std::int32_t y) {
    const auto height = static_cast<std::int32_t>(std::min<std::uint32_t>(metrics_.blackBoxHeight, INT32_MAX));
    GlyphArea area;
    area.left = static_cast<std::int64_t>(x) + metrics_.originX;
    if (!placeByBlackBoxBottom) {
        area.top = static_cast<std::int64_t>(y) - metrics_.originY;
        rowsAbove_ = metrics_.originY;
        rowsBelow_ = height - metrics_.originY;
    } else {
        area.top = static_cast<std::int64_t>(y) - (height > 0 ? height : metrics_.originY);
        rowsAbove_ = height;
        rowsBelow_ = 0;
    }
    return area;
}

// A glyph with no ink has no bitmap at all: nothing may be read for it, whatever its black box
// says, and neither for a bitmap shorter than its box or one of the other format.
bool Font::HasDrawableGlyph(const Surface& surface, backend::GlyphFormat format) const {
    if (metrics_.blackBoxWidth == 0 || metrics_.blackBoxHeight == 0 || bitsFormat_ != format) return false;
    if (glyphBits_.size() / rowPitch_ < metrics_.blackBoxHeight) return false;
    return !surface.IsEmpty() && surface.BitsPerPixel() == 24;
}

namespace {

void Clip(std::int64_t start, std::uint32_t length, std::int32_t limit, std::int32_t& first, std::int32_t& end) {
    first = static_cast<std::int32_t>(std::clamp<std::int64_t>(-start, 0, length));
    end = static_cast<std::int32_t>(std::clamp<std::int64_t>(limit - start, 0, length));
}

}  // namespace

template <typename DrawRow>
void Font::PutGlyph(Surface& surface, std::int32_t x, std::int32_t y, backend::GlyphFormat format, DrawRow drawRow) {
    GlyphArea area = Place(x, y);
    if (!HasDrawableGlyph(surface, format)) return;
    Clip(area.top, metrics_.blackBoxHeight, surface.Height(), area.firstRow, area.endRow);
    Clip(area.left, metrics_.blackBoxWidth, surface.Width(), area.firstColumn, area.endColumn);
    for (std::int32_t r = area.firstRow; r < area.endRow; ++r) {
        std::uint8_t* pixel = surface.PixelAt(static_cast<std::int32_t>(area.left + area.firstColumn),
                                              static_cast<std::int32_t>(area.top + r));
        drawRow(glyphBits_.data() + static_cast<std::size_t>(r) * rowPitch_, pixel, area.firstColumn, area.endColumn);
    }
}

void Font::BlendGreyGlyph(Surface& surface, std::int32_t x, std::int32_t y) {
    const std::int32_t target[3] = {colour.blue, colour.green, colour.red};
    PutGlyph(surface, x, y, backend::GlyphFormat::Grey,
             [&target](const std::uint8_t* levels, std::uint8_t* pixel, std::int32_t first, std::int32_t end) {
                 for (std::int32_t k = first; k < end; ++k, pixel += 3) {
                     const std::int32_t level = std::min<std::int32_t>(levels[k], backend::kGlyphFullLevel);
                     if (level == 0) continue;
                     for (int channel = 0; channel < 3; ++channel) {
                         const std::int32_t d = pixel[channel];
                         pixel[channel] =
                             static_cast<std::uint8_t>(d + level * (target[channel] - d) / backend::kGlyphFullLevel);
                     }
                 }
             });
}

void Font::DrawMonoGlyph(Surface& surface, std::int32_t x, std::int32_t y) {
    PutGlyph(surface, x, y, backend::GlyphFormat::Mono,
             [this](const std::uint8_t* bits, std::uint8_t* pixel, std::int32_t first, std::int32_t end) {
                 for (std::int32_t k = first; k < end; ++k, pixel += 3) {
                     if (!(bits[k / 8] & (0x80 >> (k % 8)))) continue;
                     pixel[0] = colour.blue;
                     pixel[1] = colour.green;
                     pixel[2] = colour.red;
                 }
             });
}

}  // namespace kv
