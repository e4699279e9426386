#pragma once
// The picture a modal box is drawn into (a copy of the window's client area, top row first,
// 3 bytes a pixel, blue first), with the few shapes a box is made of and its text, drawn with
// the glyph service. Every shape is clipped to the picture and to the clip rectangle.

#include <cstdint>
#include <string_view>
#include <vector>

#include "backend/code_page.h"
#include "backend/glyph_service.h"
#include "backend/window_service.h"

namespace backend {

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// The text of one box: its font, in the build's code page.
class BoxFont {
public:
    BoxFont(GlyphService* glyphs, CodePage page);

    CodePage Page() const { return page_; }
    std::int32_t EmHeight() const { return kEmHeight; }
    // Bytes of the character at text's start (1 or 2; 0 for "").
    std::size_t CharLength(std::string_view text) const;
    std::int32_t CharWidth(std::string_view character);
    std::int32_t TextWidth(std::string_view text);
    // Where the baseline lies in a row of that height starting at top, the text centred in it.
    std::int32_t Baseline(std::int32_t top, std::int32_t rowHeight) const;

    GlyphService* Glyphs() const { return glyphs_; }
    const FontRequest& Request() const { return request_; }

private:
    static constexpr std::int32_t kEmHeight = 13;
    GlyphService* glyphs_;
    CodePage page_;
    FontRequest request_;
    std::vector<std::uint8_t> bits_;
};

class DialogCanvas {
public:
    DialogCanvas(std::vector<std::uint8_t>& bgr, std::int32_t width, std::int32_t height);

    void SetClip(Rect clip);
    void Fill(Rect area, Colour colour);
    // A one-pixel frame: top and left in one colour, bottom and right in the other.
    void Edge(Rect area, Colour topLeft, Colour bottomRight);
    // The dotted frame of the control that has the keyboard.
    void FocusFrame(Rect area, Colour colour);
    // Draws the text from the pen position x on the baseline; returns the pen's end.
    std::int32_t Text(BoxFont& font, std::string_view text, std::int32_t x, std::int32_t baseline, Colour colour);

private:
    void Blend(std::int32_t x, std::int32_t y, Colour colour, std::uint32_t level);

    std::vector<std::uint8_t>& bgr_;
    std::int32_t width_;
    std::int32_t height_;
    Rect clip_;
    std::vector<std::uint8_t> bits_;
};

}  // namespace backend
