#pragma once
// The engine's one picture type: a block of pixels that the engine writes directly, with rows
// stored bottom-up and padded to 4 bytes. The screen and work surfaces, every layer picture,
// every thumbnail and button image is one. Every picture the engine draws is 24 bits (blue,
// green, red); 16 (5-5-5) and 32 bits (blue, green, red, unused) can be made, and converted to
// 24 bits by the copies.
//
// Coordinates are top-down: y = 0 is the top row. Every copy and blend clips against every
// surface it touches, so no rectangle, however placed, reads or writes outside a surface.

#include <cstdint>

#include "platform/back_buffer.h"
#include "backend/file_service.h"
#include "backend/window_service.h"

namespace kv {

// An area of a surface: top-left corner and size.
struct PixelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Larger pictures are refused: no game needs them, and a damaged header must not make us
// allocate gigabytes.
inline constexpr std::int32_t kMaxSurfaceSide = 16384;

class Surface final : public BackBuffer {
public:
    Surface() = default;
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // ---- the pixel block ----
    // Makes a picture of that size and depth (16, 24 or 32 bits), all pixels 0. 8 bits is refused
    // with the surface left as it was; any other refusal (depth, a side outside 1 to
    // kMaxSurfaceSide, no memory) leaves it empty.
    bool Create(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
    void Free();
    // Becomes a copy of source (same size and depth); a surface assigned to itself stays as it
    // is. False, and empty, when the copy cannot be made.
    bool Assign(const Surface& source);

    bool IsEmpty() const { return pixels_ == nullptr; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::int32_t BitsPerPixel() const { return bitsPerPixel_; }
    std::int32_t BytesPerPixel() const { return bytesPerPixel_; }
    std::int32_t Stride() const { return stride_; }  // bytes per stored row
    std::uint32_t ImageSize() const { return static_cast<std::uint32_t>(stride_) * static_cast<std::uint32_t>(height_); }
    std::uint8_t* Bits() { return pixels_; }
    const std::uint8_t* Bits() const { return pixels_; }
    // The first byte of pixel (x, y); the caller keeps both inside the surface.
    std::uint8_t* PixelAt(std::int32_t x, std::int32_t y) {
        return pixels_ + static_cast<std::ptrdiff_t>(height_ - y - 1) * stride_ + static_cast<std::ptrdiff_t>(x) * bytesPerPixel_;
    }
    const std::uint8_t* PixelAt(std::int32_t x, std::int32_t y) const {
        return const_cast<Surface*>(this)->PixelAt(x, y);
    }
    bool Contains(std::int32_t x, std::int32_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    // ---- picture files (the file's position is where the picture starts) ----
    // A BMP of 16, 24 or 32 bits, bottom-up, plain or with bit-field masks, becomes a 24-bit
    // picture. The surface is freed first, so a failed load leaves it empty.
    bool LoadBmp(backend::FileHandle& file);
    // The header, the masks for 16 and 32 bits, and the rows as stored.
    bool SaveBmp(backend::FileHandle& file) const;
    bool SaveBmp(const char* path) const;
    // A PNG becomes a 24-bit picture (alpha dropped, palettes and grey expanded, 16-bit channels
    // cut to 8). The file is left right after the PNG's last chunk, so data stored behind it can
    // be read on. A picture refused before decoding leaves the surface as it was; one that fails
    // while its rows are decoded leaves it empty.
    bool LoadPng(backend::FileHandle& file);
    // An 8-bit RGB PNG of a 24-bit surface, Sub filter, top row first; the file is left right
    // after the PNG.
    bool SavePng(backend::FileHandle& file) const;
    bool SavePng(const char* path) const;

    // ---- copies (16- and 32-bit sources are converted) ----
    // source's (sourceX, sourceY) to (x, y) of this surface, width x height. A surface copied onto
    // itself behaves like memmove.
    void Blit(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
              std::int32_t sourceX, std::int32_t sourceY);
    // source's area to the same area of this surface.
    void BlitRect(const Surface& source, const PixelRect& area);
    // The whole source to (0, 0).
    void CopyFrom(const Surface& source);
    // Nearest-neighbour stretch of source's (sourceX, sourceY, sourceWidth, sourceHeight) onto
    // (x, y, width, height) of this surface.
    void StretchFrom(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                     std::int32_t sourceX, std::int32_t sourceY, std::int32_t sourceWidth, std::int32_t sourceHeight);

    // ---- presenting: this surface's area to the same area of the window ----
    void BlitToDC(backend::WindowId window, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height) const;
    void BlitRectToDC(backend::WindowId window, const PixelRect& area) const;
    backend::PixelView View() const override;  // 24-bit surfaces only

    // ---- blends: this surface is the destination; every surface is 24 bits ----
    // Sources and masks are read at (sourceX, sourceY); each byte of a row is computed from the
    // bytes at the same place (a mask weights each colour channel on its own). floor() is a
    // rounding toward minus infinity.
    // Each pixel gets blue, green, red.
    void FillRect24(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::uint8_t red,
                    std::uint8_t green, std::uint8_t blue);
    // d = s + floor((d - s) * m / 256): the mask weights what the destination holds.
    void MaskBlend(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                   std::int32_t sourceX, std::int32_t sourceY, const Surface& mask);
    // d = s2 + floor((s1 - s2) * m / 256).
    void MaskBlend2(const Surface& first, const Surface& second, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, std::int32_t sourceX, std::int32_t sourceY, const Surface& mask);
    // d = s1 + floor((s2 - s1) * alpha / 256); alpha is held within 0 to 256 (256: exactly s2).
    void CrossBlend(const Surface& first, const Surface& second, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height, std::int32_t sourceX, std::int32_t sourceY, std::int32_t alpha);
    // d = s2 + floor((s1 - s2) * t / 256), t = clamp(m + step - 256, 0, 255): bright mask bytes
    // turn to the first source first as step runs from 0 to 511.
    void MaskWipeBlend(const Surface& first, const Surface& second, std::int32_t x, std::int32_t y,
                       std::int32_t width, std::int32_t height, std::int32_t sourceX, std::int32_t sourceY,
                       const Surface& mask, std::int32_t step);
    // d = clamp(s + delta, 0, 255); source may be this surface.
    void AddBrightness(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                       std::int32_t sourceX, std::int32_t sourceY, std::int32_t delta);
    // MaskBlend of the source brightened by delta.
    void MaskBlendBrightness(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height, std::int32_t sourceX, std::int32_t sourceY, const Surface& mask,
                             std::int32_t delta);
    // d = s + floor((d - s) * t / 256), t = clamp(m + 255 - opacity, 0, 255); nothing at all for a
    // negative opacity.
    void MaskBlendOpacity(const Surface& source, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, std::int32_t sourceX, std::int32_t sourceY, const Surface& mask,
                          std::int32_t opacity);

private:
    std::uint8_t* pixels_ = nullptr;  // owned
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t bitsPerPixel_ = 0;
    std::int32_t bytesPerPixel_ = 0;
    std::int32_t stride_ = 0;
};

}  // namespace kv
