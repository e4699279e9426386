#pragma once
// The program's window icon: RGBA pixels, top row first, alpha not premultiplied. The pixels are
// drawn at build time by app/make_icon.py into a generated source.

#include <cstdint>

namespace kv {

extern const std::int32_t kMainIconWidth;
extern const std::int32_t kMainIconHeight;
extern const std::uint8_t kMainIconPixels[];

}  // namespace kv
