// The surface copies (plain, stretched, to the window): what the platform's bitmap copies did,
// clipped to both surfaces and converting 16- and 32-bit pixels.

#include <algorithm>
#include <cstring>

#include "backend/hub.h"
#include "graphics/placement.h"
#include "graphics/surface.h"

namespace kv {

namespace {

// 5-bit channels widen by repeating their top bits, so that 0 stays 0 and 31 becomes 255.
std::uint8_t Widen5(std::uint32_t value) { return static_cast<std::uint8_t>((value << 3) | (value >> 2)); }

void ReadBgr(const std::uint8_t* pixel, std::int32_t bitsPerPixel, std::uint8_t bgr[3]) {
    if (bitsPerPixel == 16) {
        const std::uint32_t word = static_cast<std::uint32_t>(pixel[0] | (pixel[1] << 8));
        bgr[0] = Widen5(word & 0x1F);
        bgr[1] = Widen5((word >> 5) & 0x1F);
        bgr[2] = Widen5((word >> 10) & 0x1F);
        return;
    }
    bgr[0] = pixel[0];
    bgr[1] = pixel[1];
    bgr[2] = pixel[2];
}

void WriteBgr(std::uint8_t* pixel, std::int32_t bitsPerPixel, const std::uint8_t bgr[3]) {
    if (bitsPerPixel == 16) {
        const std::uint32_t word = (bgr[0] >> 3) | ((bgr[1] >> 3) << 5) | ((bgr[2] >> 3) << 10);
        pixel[0] = static_cast<std::uint8_t>(word);
        pixel[1] = static_cast<std::uint8_t>(word >> 8);
        return;
    }
    pixel[0] = bgr[0];
    pixel[1] = bgr[1];
    pixel[2] = bgr[2];
    if (bitsPerPixel == 32) pixel[3] = 0;
}

// One row of width pixels from source to destination, converting when the depths differ.
void CopyRow(std::uint8_t* to, std::int32_t toBits, const std::uint8_t* from, std::int32_t fromBits,
             std::int32_t width) {
    if (toBits == fromBits) {
        std::memmove(to, from, static_cast<std::size_t>(width) * static_cast<std::size_t>((toBits + 7) / 8));
        return;
    }
    const std::int32_t toBytes = (toBits + 7) / 8, fromBytes = (fromBits + 7) / 8;
    for (std::int32_t i = 0; i < width; ++i) {
        std::uint8_t bgr[3];
        ReadBgr(from + static_cast<std::ptrdiff_t>(i) * fromBytes, fromBits, bgr);
        WriteBgr(to + static_cast<std::ptrdiff_t>(i) * toBytes, toBits, bgr);
    }
}

}  // namespace

void Surface::Blit(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                   std::int32_t sourceX, std::int32_t sourceY) {
    Placement p{x, y, sourceX, sourceY, width, height};
    if (!ClipPlacement(p, *this, {&source})) return;
    // Onto itself, rows are taken in the order that reads each source row before it is written.
    const bool upward = &source == this && p.y > p.sourceY;
    for (std::int32_t i = 0; i < p.height; ++i) {
        const std::int32_t row = upward ? p.height - 1 - i : i;
        CopyRow(PixelAt(p.x, p.y + row), bitsPerPixel_, source.PixelAt(p.sourceX, p.sourceY + row),
                source.bitsPerPixel_, p.width);
    }
}

void Surface::BlitRect(const Surface& source, const PixelRect& area) {
    Blit(source, area.x, area.y, area.width, area.height, area.x, area.y);
}

void Surface::CopyFrom(const Surface& source) { Blit(source, 0, 0, source.width_, source.height_, 0, 0); }

void Surface::StretchFrom(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, std::int32_t sourceX, std::int32_t sourceY, std::int32_t sourceWidth,
                          std::int32_t sourceHeight) {
    if (IsEmpty() || source.IsEmpty() || width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
    if (&source == this) return;  // a stretch needs the whole source unchanged
    // Each destination pixel takes the source pixel under its centre; pixels whose source lies
    // outside the source surface are left as they are. Only rows and columns on this surface
    // are visited.
    const std::int64_t firstRow = std::max<std::int64_t>(0, -std::int64_t{y});
    const std::int64_t endRow = std::min<std::int64_t>(height, std::int64_t{height_} - y);
    const std::int64_t firstColumn = std::max<std::int64_t>(0, -std::int64_t{x});
    const std::int64_t endColumn = std::min<std::int64_t>(width, std::int64_t{width_} - x);
    for (std::int64_t row = firstRow; row < endRow; ++row) {
        const std::int64_t fromY = sourceY + (2 * row + 1) * sourceHeight / (2 * std::int64_t{height});
        if (fromY < 0 || fromY >= source.height_) continue;
        for (std::int64_t column = firstColumn; column < endColumn; ++column) {
            const std::int64_t fromX = sourceX + (2 * column + 1) * sourceWidth / (2 * std::int64_t{width});
            if (fromX < 0 || fromX >= source.width_) continue;
            CopyRow(PixelAt(static_cast<std::int32_t>(x + column), static_cast<std::int32_t>(y + row)), bitsPerPixel_,
                    source.PixelAt(static_cast<std::int32_t>(fromX), static_cast<std::int32_t>(fromY)),
                    source.bitsPerPixel_, 1);
        }
    }
}

void Surface::BlitToDC(backend::WindowId window, std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height) const {
    const backend::PixelView view = View();
    Placement p{x, y, x, y, width, height};
    if (view.bits == nullptr || window == 0 || !ClipPlacement(p, *this, {})) return;
    backend::Get().Windows().Present(window, view, backend::Rect{p.x, p.y, p.width, p.height});
}

void Surface::BlitRectToDC(backend::WindowId window, const PixelRect& area) const {
    BlitToDC(window, area.x, area.y, area.width, area.height);
}

}  // namespace kv
