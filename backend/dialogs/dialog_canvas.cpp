#include "backend/dialogs/dialog_canvas.h"

#include <algorithm>

namespace backend {

namespace {

// The dialog font: the same face name for both code pages (the glyph service falls back on an
// installed font that holds the characters).
constexpr const char* kFaceUtf8 = "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";

std::uint32_t CodeOf(std::string_view character) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(character.data());
    return character.size() == 2 ? static_cast<std::uint32_t>(bytes[0] << 8 | bytes[1]) : bytes[0];
}

}  // namespace

BoxFont::BoxFont(GlyphService* glyphs, CodePage page) : glyphs_(glyphs), page_(page) {
    request_.faceName = FromUtf8Lossy(page, kFaceUtf8);
    request_.height = -kEmHeight;
}

std::size_t BoxFont::CharLength(std::string_view text) const {
    if (text.empty()) return 0;
    return IsLeadPair(page_, reinterpret_cast<const unsigned char*>(text.data()), text.size()) ? 2 : 1;
}

std::int32_t BoxFont::CharWidth(std::string_view character) {
    GlyphMetrics metrics;
    if (glyphs_ && glyphs_->RenderGlyph(request_, CodeOf(character), GlyphFormat::Grey, metrics, bits_))
        return metrics.incrementX;
    return character.size() == 2 ? kEmHeight : kEmHeight / 2;
}

std::int32_t BoxFont::TextWidth(std::string_view text) {
    std::int32_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = CharLength(text.substr(i));
        width += CharWidth(text.substr(i, n));
        i += n;
    }
    return width;
}

std::int32_t BoxFont::Baseline(std::int32_t top, std::int32_t rowHeight) const {
    return top + (rowHeight - kEmHeight) / 2 + kEmHeight * 7 / 8;
}

DialogCanvas::DialogCanvas(std::vector<std::uint8_t>& bgr, std::int32_t width, std::int32_t height)
    : bgr_(bgr), width_(width), height_(height), clip_{0, 0, width, height} {}

void DialogCanvas::SetClip(Rect clip) {
    const std::int32_t left = std::max(clip.x, 0);
    const std::int32_t top = std::max(clip.y, 0);
    const std::int32_t right = std::min(clip.x + clip.width, width_);
    const std::int32_t bottom = std::min(clip.y + clip.height, height_);
    clip_ = Rect{left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

void DialogCanvas::Blend(std::int32_t x, std::int32_t y, Colour colour, std::uint32_t level) {
    if (x < clip_.x || y < clip_.y || x >= clip_.x + clip_.width || y >= clip_.y + clip_.height) return;
    std::uint8_t* pixel = bgr_.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + x) * 3u;
    const std::uint32_t keep = kGlyphFullLevel - level;
    pixel[0] = static_cast<std::uint8_t>((pixel[0] * keep + colour.blue * level) / kGlyphFullLevel);
    pixel[1] = static_cast<std::uint8_t>((pixel[1] * keep + colour.green * level) / kGlyphFullLevel);
    pixel[2] = static_cast<std::uint8_t>((pixel[2] * keep + colour.red * level) / kGlyphFullLevel);
}

void DialogCanvas::Fill(Rect area, Colour colour) {
    const std::int32_t left = std::max(area.x, clip_.x);
    const std::int32_t top = std::max(area.y, clip_.y);
    const std::int32_t right = std::min(area.x + area.width, clip_.x + clip_.width);
    const std::int32_t bottom = std::min(area.y + area.height, clip_.y + clip_.height);
    for (std::int32_t y = top; y < bottom; ++y)
        for (std::int32_t x = left; x < right; ++x) Blend(x, y, colour, kGlyphFullLevel);
}

void DialogCanvas::Edge(Rect area, Colour topLeft, Colour bottomRight) {
    if (area.width <= 0 || area.height <= 0) return;
    Fill(Rect{area.x, area.y, area.width, 1}, topLeft);
    Fill(Rect{area.x, area.y, 1, area.height}, topLeft);
    Fill(Rect{area.x, area.y + area.height - 1, area.width, 1}, bottomRight);
    Fill(Rect{area.x + area.width - 1, area.y, 1, area.height}, bottomRight);
}

void DialogCanvas::FocusFrame(Rect area, Colour colour) {
    for (std::int32_t x = area.x; x < area.x + area.width; x += 2) {
        Blend(x, area.y, colour, kGlyphFullLevel);
        Blend(x, area.y + area.height - 1, colour, kGlyphFullLevel);
    }
    for (std::int32_t y = area.y; y < area.y + area.height; y += 2) {
        Blend(area.x, y, colour, kGlyphFullLevel);
        Blend(area.x + area.width - 1, y, colour, kGlyphFullLevel);
    }
}

std::int32_t DialogCanvas::Text(BoxFont& font, std::string_view text, std::int32_t x, std::int32_t baseline,
                                Colour colour) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = font.CharLength(text.substr(i));
        const std::string_view character = text.substr(i, n);
        i += n;
        GlyphMetrics metrics;
        if (!font.Glyphs() ||
            !font.Glyphs()->RenderGlyph(font.Request(), CodeOf(character), GlyphFormat::Grey, metrics, bits_)) {
            x += font.CharWidth(character);
            continue;
        }
        const std::uint32_t pitch = GlyphRowPitch(GlyphFormat::Grey, metrics.blackBoxWidth);
        const std::int32_t left = x + metrics.originX;
        const std::int32_t top = baseline - metrics.originY;
        for (std::uint32_t row = 0; row < metrics.blackBoxHeight; ++row) {
            for (std::uint32_t column = 0; column < metrics.blackBoxWidth; ++column) {
                const std::size_t at = static_cast<std::size_t>(row) * pitch + column;
                if (at >= bits_.size()) break;
                const std::uint32_t level = std::min<std::uint32_t>(bits_[at], kGlyphFullLevel);
                if (level) Blend(left + static_cast<std::int32_t>(column), top + static_cast<std::int32_t>(row), colour, level);
            }
        }
        x += metrics.incrementX;
    }
    return x;
}

}  // namespace backend
