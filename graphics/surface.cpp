#include "graphics/surface.h"

#include <cstring>
#include <new>

namespace kv {

Surface::~Surface() { Free(); }

bool Surface::Create(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
    if (bitsPerPixel == 8) return false;
    if (pixels_ != nullptr && width == width_ && height == height_ && bitsPerPixel == bitsPerPixel_) {
        // The same picture size again (a layer's next picture): the block is reused.
        std::memset(pixels_, 0, ImageSize());
        return true;
    }
    Free();
    if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return false;
    const std::int32_t bytesPerPixel = (bitsPerPixel + 7) / 8;
    const std::int32_t stride = (bytesPerPixel * width + 3) & ~3;
    pixels_ = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(stride) * static_cast<std::size_t>(height)]();
    if (pixels_ == nullptr) return false;
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    bytesPerPixel_ = bytesPerPixel;
    stride_ = stride;
    return true;
}

void Surface::Free() {
    delete[] pixels_;
    pixels_ = nullptr;
    width_ = height_ = bitsPerPixel_ = bytesPerPixel_ = stride_ = 0;
}

bool Surface::Assign(const Surface& source) {
    if (&source == this) return true;
    if (!Create(source.width_, source.height_, source.bitsPerPixel_)) {
        Free();
        return false;
    }
    CopyFrom(source);
    return true;
}

backend::PixelView Surface::View() const {
    backend::PixelView view;
    if (pixels_ == nullptr || bitsPerPixel_ != 24) return view;
    view.bits = pixels_;
    view.width = width_;
    view.height = height_;
    view.stride = stride_;
    view.bottomUp = true;
    return view;
}

}  // namespace kv
