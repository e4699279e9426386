#pragma once
// Helpers the graphics tests share: patterned surfaces and their pixels as plain rows.

#include <cstdint>
#include <vector>

#include "graphics/surface.h"

namespace graphicstest {

// A 24-bit surface whose bytes follow a pattern that differs at every place (seeded).
inline void FillPattern(kv::Surface& surface, std::uint32_t seed) {
    for (std::int32_t y = 0; y < surface.Height(); ++y) {
        std::uint8_t* row = surface.PixelAt(0, y);
        for (std::int32_t i = 0; i < surface.Width() * surface.BytesPerPixel(); ++i) {
            std::uint32_t v = (static_cast<std::uint32_t>(i) * 2654435761u) ^ (static_cast<std::uint32_t>(y) * 40503u) ^ seed;
            row[i] = static_cast<std::uint8_t>(v ^ (v >> 13) ^ (v >> 24));
        }
    }
}

inline kv::Surface* MakePatterned(kv::Surface& surface, std::int32_t width, std::int32_t height, std::uint32_t seed,
                                  std::int32_t bits = 24) {
    if (!surface.Create(width, height, bits)) return nullptr;
    FillPattern(surface, seed);
    return &surface;
}

// The pixels as rows from the top, without the row padding.
inline std::vector<std::uint8_t> TopDownBytes(const kv::Surface& surface) {
    std::vector<std::uint8_t> bytes;
    const std::size_t rowBytes = static_cast<std::size_t>(surface.Width() * surface.BytesPerPixel());
    for (std::int32_t y = 0; y < surface.Height(); ++y) {
        const std::uint8_t* row = surface.PixelAt(0, y);
        bytes.insert(bytes.end(), row, row + rowBytes);
    }
    return bytes;
}

}  // namespace graphicstest
