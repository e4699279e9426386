// Fuzz target for the picture loaders: a PNG (built as fuzz_png_load) or a BMP (fuzz_bmp_load)
// read from memory. Whatever loads must be a 24-bit picture whose every pixel can be read, the
// file must not be read past its end, and the picture saved in the same format must load back
// to the same pixels.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

#include "base/memory_file.h"
#include "graphics/debug_output.h"
#include "graphics/surface.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "picture loader: %s\n", what);
        std::abort();
    }
}

bool Load(kv::Surface& surface, kv::MemoryFile& file) {
#if defined(KV_FUZZ_PNG)
    return surface.LoadPng(file);
#else
    return surface.LoadBmp(file);
#endif
}

bool Save(const kv::Surface& surface, kv::MemoryFile& file) {
#if defined(KV_FUZZ_PNG)
    return surface.SavePng(file);
#else
    return surface.SaveBmp(file);
#endif
}

bool SamePixels(const kv::Surface& a, const kv::Surface& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (std::int32_t y = 0; y < a.Height(); ++y) {
        if (std::memcmp(a.PixelAt(0, y), b.PixelAt(0, y), static_cast<std::size_t>(a.Width()) * 3) != 0) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::SetDebugOutputSink([](std::string_view) {});
    kv::MemoryFile file(std::span<const std::uint8_t>(data, size));
    kv::Surface surface;
    if (!Load(surface, file)) return 0;
    Check(surface.BitsPerPixel() == 24 && surface.Width() > 0 && surface.Height() > 0, "odd picture");
    Check(file.Tell() <= static_cast<std::int64_t>(size), "read past the end");
    unsigned sum = 0;
    for (std::uint32_t i = 0; i < surface.ImageSize(); ++i) sum += surface.Bits()[i];
    static volatile unsigned sink = 0;
    sink = sink + sum;

    kv::MemoryFile saved;
    Check(Save(surface, saved), "save failed");
    Check(saved.Seek(0), "seek failed");
    kv::Surface again;
    Check(Load(again, saved) && SamePixels(surface, again), "saved picture loads differently");
    return 0;
}
