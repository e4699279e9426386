// The blend routines over rectangles of 24-bit surfaces. Each clips its rectangle against the
// destination, every source and the mask first, then runs one row kernel per row.

#include <algorithm>
#include <cstring>

#include "graphics/blend_kernels.h"
#include "graphics/placement.h"
#include "graphics/surface.h"

namespace kv {

namespace {

// The placement clipped against every surface, all of which must be 24-bit pictures.
bool Place(Placement& placement, const Surface& destination, std::initializer_list<const Surface*> sources) {
    if (destination.BitsPerPixel() != 24) return false;
    for (const Surface* source : sources) {
        if (source->BitsPerPixel() != 24) return false;
    }
    return ClipPlacement(placement, destination, sources);
}

std::size_t RowBytes(const Placement& placement) { return static_cast<std::size_t>(placement.width) * 3u; }

// Calls row(destination row, source y) for every row of the placement.
template <typename RowFunction>
void ForEachRow(Surface& destination, const Placement& placement, RowFunction row) {
    for (std::int32_t i = 0; i < placement.height; ++i)
        row(destination.PixelAt(placement.x, placement.y + i), placement.sourceY + i);
}

}  // namespace

void Surface::FillRect24(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::uint8_t red,
                         std::uint8_t green, std::uint8_t blue) {
    Placement p{x, y, x, y, width, height};
    if (!Place(p, *this, {})) return;
    // The first row is filled pixel by pixel, the others copied from it.
    std::uint8_t* first = PixelAt(p.x, p.y);
    for (std::int32_t i = 0; i < p.width; ++i) {
        first[3 * i] = blue;
        first[3 * i + 1] = green;
        first[3 * i + 2] = red;
    }
    for (std::int32_t i = 1; i < p.height; ++i) std::memcpy(PixelAt(p.x, p.y + i), first, RowBytes(p));
}

void Surface::MaskBlend(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, std::int32_t sourceX, std::int32_t sourceY, const Surface& mask) {
    Placement p{x, y, sourceX, sourceY, width, height};
    if (!Place(p, *this, {&source, &mask})) return;
    const auto kernel = blend::ActiveKernels().maskLerp;
    ForEachRow(*this, p, [&](std::uint8_t* d, std::int32_t sy) {
        kernel(d, source.PixelAt(p.sourceX, sy), d, mask.PixelAt(p.sourceX, sy), RowBytes(p));
    });
}

void Surface::MaskBlend2(const Surface& first, const Surface& second, std::int32_t x, std::int32_t y,
                         std::int32_t width, std::int32_t height, std::int32_t sourceX, std::int32_t sourceY,
                         const Surface& mask) {
    Placement p{x, y, sourceX, sourceY, width, height};
    if (!Place(p, *this, {&first, &second, &mask})) return;
    const auto kernel = blend::ActiveKernels().maskLerp;
    ForEachRow(*this, p, [&](std::uint8_t* d, std::int32_t sy) {
        kernel(d, second.PixelAt(p.sourceX, sy), first.PixelAt(p.sourceX, sy), mask.PixelAt(p.sourceX, sy),
               RowBytes(p));
    });
}

void Surface::CrossBlend(const Surface& first, const Surface& second, std::int32_t x, std::int32_t y,
                         std::int32_t width, std::int32_t height, std::int32_t sourceX, std::int32_t sourceY,
                         std::int32_t alpha) {
    Placement p{x, y, sourceX, sourceY, width, height};
    if (!Place(p, *this, {&first, &second})) return;
    const auto kernel = blend::ActiveKernels().constantLerp;
    const std::int32_t weight = std::clamp(alpha, 0, 256);
    ForEachRow(*this, p, [&](std::uint8_t* d, std::int32_t sy) {
        kernel(d, first.PixelAt(p.sourceX, sy), second.PixelAt(p.sourceX, sy), weight, RowBytes(p));
    });
}

void Surface::MaskWipeBlend(const Surface& first, const Surface& second, std::int32_t x, std::int32_t y,
                            std::int32_t width, std::int32_t height, std::int32_t sourceX, std::int32_t sourceY,
                            const Surface& mask, std::int32_t step) {
    Placement p{x, y, sourceX, sourceY, width, height};
    if (!Place(p, *this, {&first, &second, &mask})) return;
    const auto kernel = blend::ActiveKernels().maskLerpShifted;
    // Beyond +-256 every weight is already 0 or 255.
    const std::int32_t shift = static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{step} - 256, -256, 256));
    ForEachRow(*this, p, [&](std::uint8_t* d, std::int32_t sy) {
        kernel(d, second.PixelAt(p.sourceX, sy), first.PixelAt(p.sourceX, sy), mask.PixelAt(p.sourceX, sy), shift,
               RowBytes(p));
    });
}

void Surface::AddBrightness(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, std::int32_t sourceX, std::int32_t sourceY, std::int32_t delta) {
    Placement p{x, y, sourceX, sourceY, width, height};
    if (!Place(p, *this, {&source})) return;
    const auto kernel = blend::ActiveKernels().addSaturated;
    const std::int32_t amount = std::clamp(delta, -255, 255);
    ForEachRow(*this, p, [&](std::uint8_t* d, std::int32_t sy) {
        kernel(d, source.PixelAt(p.sourceX, sy), amount, RowBytes(p));
    });
}

void Surface::MaskBlendBrightness(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height, std::int32_t sourceX, std::int32_t sourceY,
                                  const Surface& mask, std::int32_t delta) {
    Placement p{x, y, sourceX, sourceY, width, height};
    if (!Place(p, *this, {&source, &mask})) return;
    const auto kernel = blend::ActiveKernels().maskLerpBrightened;
    const std::int32_t amount = std::clamp(delta, -255, 255);
    ForEachRow(*this, p, [&](std::uint8_t* d, std::int32_t sy) {
        kernel(d, source.PixelAt(p.sourceX, sy), d, mask.PixelAt(p.sourceX, sy), amount, RowBytes(p));
    });
}

void Surface::MaskBlendOpacity(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height, std::int32_t sourceX, std::int32_t sourceY, const Surface& mask,
                               std::int32_t opacity) {
    if (opacity < 0) return;
    Placement p{x, y, sourceX, sourceY, width, height};
    if (!Place(p, *this, {&source, &mask})) return;
    const auto kernel = blend::ActiveKernels().maskLerpShifted;
    const std::int32_t shift = std::max(255 - opacity, -256);
    ForEachRow(*this, p, [&](std::uint8_t* d, std::int32_t sy) {
        kernel(d, source.PixelAt(p.sourceX, sy), d, mask.PixelAt(p.sourceX, sy), shift, RowBytes(p));
    });
}

}  // namespace kv
