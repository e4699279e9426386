#pragma once
// Pictures the program carries built in (its window icon), found by the name a window class gives
// them. The program hands them to the backend when it makes the hub; they live as long as the
// program.

#include <cstdint>
#include <span>
#include <string_view>

namespace backend {

struct BuiltInPicture {
    std::string_view name;
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::uint8_t* rgba = nullptr;  // top row first, 4 bytes a pixel, alpha not premultiplied
};

using BuiltInPictures = std::span<const BuiltInPicture>;

}  // namespace backend
