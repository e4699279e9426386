// BMP pictures: loaded into 24-bit surfaces, saved as the surface holds them.

#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "backend/hub.h"
#include "base/byte_order.h"
#include "graphics/surface.h"

namespace kv {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMaskBytes = 12;
constexpr std::uint32_t kPlainRgb = 0;
constexpr std::uint32_t kBitFields = 3;

// One colour channel of a 16- or 32-bit pixel word: where its bits are and how to make 8 of them.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    // A channel can be read when its mask is one run of bits.
    static bool FromMask(std::uint32_t mask, Channel& channel) {
        if (mask == 0) return false;
        channel.mask = mask;
        channel.shift = std::countr_zero(mask);
        channel.bits = std::popcount(mask);
        return (mask >> channel.shift) == ((channel.bits == 32) ? 0xFFFFFFFFu : ((1u << channel.bits) - 1u));
    }

    // Narrow channels repeat their top bits so that the full value becomes 255.
    std::uint8_t Read(std::uint32_t word) const {
        std::uint32_t value = (word & mask) >> shift;
        if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
        std::uint32_t wide = 0;
        for (int filled = 0; filled < 8; filled += bits) wide = (wide << bits) | value;
        return static_cast<std::uint8_t>(wide >> (((8 + bits - 1) / bits) * bits - 8));
    }
};

struct BmpLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    std::array<Channel, 3> channels;  // red, green, blue (16 and 32 bits)
    std::uint32_t pixelOffset = 0;
    std::uint32_t headerBytes = 0;  // file header, info header and masks behind it
};

// Reads the headers (and masks) and tells whether the picture is one we can read.
bool ReadLayout(backend::FileHandle& file, BmpLayout& layout) {
    std::uint8_t fileHeader[kFileHeaderSize];
    if (!backend::ReadExactly(file, fileHeader, sizeof fileHeader) || fileHeader[0] != 'B' || fileHeader[1] != 'M') return false;
    layout.pixelOffset = ReadLe32(fileHeader + 10);

    std::uint8_t info[kInfoHeaderSize];
    if (!backend::ReadExactly(file, info, sizeof info)) return false;
    const std::uint32_t infoSize = ReadLe32(info);
    // Later header versions only add fields behind the first 40 bytes (the masks first).
    if (infoSize < kInfoHeaderSize || infoSize > 4096) return false;
    std::vector<std::uint8_t> extra(infoSize - kInfoHeaderSize);
    if (!backend::ReadExactly(file, extra.data(), extra.size())) return false;
    layout.headerBytes = static_cast<std::uint32_t>(kFileHeaderSize) + infoSize;

    layout.width = static_cast<std::int32_t>(ReadLe32(info + 4));
    layout.height = static_cast<std::int32_t>(ReadLe32(info + 8));
    layout.bitsPerPixel = ReadLe16(info + 14);
    const std::uint32_t compression = ReadLe32(info + 16);
    // A negative height (rows stored top-down) is refused like any size we do not take.
    if (layout.width <= 0 || layout.height <= 0 || layout.width > kMaxSurfaceSide || layout.height > kMaxSurfaceSide)
        return false;
    if (layout.bitsPerPixel != 16 && layout.bitsPerPixel != 24 && layout.bitsPerPixel != 32) return false;
    if (layout.bitsPerPixel == 24) return compression == kPlainRgb;

    std::uint32_t masks[3];
    if (compression == kPlainRgb) {
        const bool sixteen = layout.bitsPerPixel == 16;
        masks[0] = sixteen ? 0x7C00u : 0x00FF0000u;
        masks[1] = sixteen ? 0x03E0u : 0x0000FF00u;
        masks[2] = sixteen ? 0x001Fu : 0x000000FFu;
    } else if (compression == kBitFields) {
        std::uint8_t maskBytes[kMaskBytes];
        if (extra.size() >= kMaskBytes) {
            std::memcpy(maskBytes, extra.data(), kMaskBytes);
        } else {
            if (!backend::ReadExactly(file, maskBytes, kMaskBytes)) return false;
            layout.headerBytes += kMaskBytes;
        }
        for (int i = 0; i < 3; ++i) masks[i] = ReadLe32(maskBytes + 4 * i);
    } else {
        return false;
    }
    const std::uint32_t pixelBits =
        layout.bitsPerPixel == 32 ? 0xFFFFFFFFu : ((1u << static_cast<unsigned>(layout.bitsPerPixel)) - 1u);
    for (int i = 0; i < 3; ++i) {
        if ((masks[i] & ~pixelBits) != 0 || !Channel::FromMask(masks[i], layout.channels[i])) return false;
    }
    return true;
}

bool WriteFully(backend::FileHandle& file, const void* bytes, std::size_t count) {
    return file.Write(bytes, count) == count;
}

}  // namespace

bool Surface::LoadBmp(backend::FileHandle& file) {
    Free();
    const std::int64_t start = file.Tell();
    BmpLayout layout;
    if (!ReadLayout(file, layout)) return false;
    // The pixels start at the offset the header gives; an offset inside the headers is taken to
    // mean right behind them (where files that do not fill it in have them).
    if (layout.pixelOffset > layout.headerBytes) {
        if (start < 0 || !file.Seek(start + layout.pixelOffset)) return false;
    }
    if (!Create(layout.width, layout.height, 24)) return false;

    bool read = true;
    if (layout.bitsPerPixel == 24) {
        read = backend::ReadExactly(file, pixels_, static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_));
    } else {
        const std::size_t bytesPerPixel = static_cast<std::size_t>(layout.bitsPerPixel) / 8;
        const std::size_t fileStride = (bytesPerPixel * static_cast<std::size_t>(width_) + 3) & ~std::size_t{3};
        std::vector<std::uint8_t> row(fileStride);
        // Stored rows are bottom-up like ours: stored row r is our memory row r.
        for (std::int32_t r = 0; r < height_ && read; ++r) {
            read = backend::ReadExactly(file, row.data(), row.size());
            std::uint8_t* out = pixels_ + static_cast<std::ptrdiff_t>(r) * stride_;
            for (std::int32_t x = 0; x < width_ && read; ++x) {
                const std::uint8_t* in = row.data() + static_cast<std::size_t>(x) * bytesPerPixel;
                const std::uint32_t word = bytesPerPixel == 2 ? ReadLe16(in) : ReadLe32(in);
                out[3 * x + 0] = layout.channels[2].Read(word);
                out[3 * x + 1] = layout.channels[1].Read(word);
                out[3 * x + 2] = layout.channels[0].Read(word);
            }
        }
    }
    if (!read) Free();
    return read;
}

bool Surface::SaveBmp(backend::FileHandle& file) const {
    if (IsEmpty()) return false;
    const bool withMasks = bitsPerPixel_ != 24;
    const std::uint32_t headers = static_cast<std::uint32_t>(kFileHeaderSize) + kInfoHeaderSize + (withMasks ? kMaskBytes : 0);
    std::vector<std::uint8_t> head(headers, 0);
    head[0] = 'B';
    head[1] = 'M';
    WriteLe32(&head[2], headers + ImageSize());
    WriteLe32(&head[10], headers);
    std::uint8_t* info = &head[kFileHeaderSize];
    WriteLe32(info, kInfoHeaderSize);
    WriteLe32(info + 4, static_cast<std::uint32_t>(width_));
    WriteLe32(info + 8, static_cast<std::uint32_t>(height_));
    WriteLe16(info + 12, 1);
    WriteLe16(info + 14, static_cast<std::uint16_t>(bitsPerPixel_));
    WriteLe32(info + 16, withMasks ? kBitFields : kPlainRgb);
    WriteLe32(info + 20, ImageSize());
    if (withMasks) {
        const bool sixteen = bitsPerPixel_ == 16;
        WriteLe32(info + 40, sixteen ? 0x7C00u : 0x00FF0000u);
        WriteLe32(info + 44, sixteen ? 0x03E0u : 0x0000FF00u);
        WriteLe32(info + 48, sixteen ? 0x001Fu : 0x000000FFu);
    }
    return WriteFully(file, head.data(), head.size()) && WriteFully(file, pixels_, ImageSize());
}

bool Surface::SaveBmp(const char* path) const {
    std::unique_ptr<backend::FileHandle> file = backend::Get().Files().OpenFile(path, backend::FileMode::Write);
    return file && SaveBmp(*file);
}

}  // namespace kv
