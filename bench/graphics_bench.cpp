// Times the screen work against references run in the same process on the same bytes: a
// cross-fade step and a mask-wipe step over 800x600 against memcpy and against pixman's nearest
// composites, the commit of a scene, and PNG decoding against libpng's simplified API. The
// figures are printed at the end, one line each.

#include <benchmark/benchmark.h>
#include <pixman.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/memory_file.h"
#include "bench/bench_runner.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"

namespace {

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;
constexpr std::size_t kScreenBytes = static_cast<std::size_t>(kWidth) * kHeight * 3;

// A picture with smooth areas and detail, so that compression and blends see ordinary content.
void Paint(kv::Surface& surface, std::uint32_t seed) {
    surface.Create(kWidth, kHeight, 24);
    std::uint32_t noise = seed * 2654435761u + 1;
    for (std::int32_t y = 0; y < kHeight; ++y) {
        std::uint8_t* row = surface.PixelAt(0, y);
        for (std::int32_t x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const std::uint32_t grain = (noise >> 28) & 7;
            row[3 * x] = static_cast<std::uint8_t>((x + seed * 40) / 4 + grain);
            row[3 * x + 1] = static_cast<std::uint8_t>((y + x / 3) / 3 + grain);
            row[3 * x + 2] = static_cast<std::uint8_t>(((x / 50 + y / 50 + seed) & 1) ? 200 - grain : 40 + grain);
        }
    }
}

struct Screens {
    kv::Surface target, previous, compose, mask;
    Screens() {
        Paint(target, 1);
        Paint(previous, 2);
        Paint(compose, 3);
        Paint(mask, 4);
    }
};

Screens& TheScreens() {
    static Screens screens;
    return screens;
}

pixman_image_t* Wrap(kv::Surface& surface) {
    return pixman_image_create_bits(PIXMAN_r8g8b8, surface.Width(), surface.Height(),
                                    reinterpret_cast<std::uint32_t*>(surface.Bits()), surface.Stride());
}

// 32-bit copies of the same pictures: pixman's fastest format.
struct WidePictures {
    std::vector<std::uint32_t> target, previous, compose, mask;
    WidePictures()
        : target(kWidth * kHeight, 0xFF102030u), previous(kWidth * kHeight, 0xFF405060u),
          compose(kWidth * kHeight, 0xFF708090u), mask(kWidth * kHeight, 0x00804020u) {}
    static pixman_image_t* Wrap(std::vector<std::uint32_t>& pixels, pixman_format_code_t format) {
        return pixman_image_create_bits(format, kWidth, kHeight, pixels.data(), kWidth * 4);
    }
};

void BM_Memcpy(benchmark::State& state) {
    Screens& s = TheScreens();
    for (auto _ : state) {
        std::memcpy(s.target.Bits(), s.compose.Bits(), kScreenBytes);
        benchmark::ClobberMemory();
    }
}

void BM_CrossFadeStep(benchmark::State& state) {
    Screens& s = TheScreens();
    std::int32_t step = 0;
    for (auto _ : state) {
        s.target.CrossBlend(s.previous, s.compose, 0, 0, kWidth, kHeight, 0, 0, step);
        step = (step + 16) & 255;
        benchmark::ClobberMemory();
    }
}

void BM_MaskWipeStep(benchmark::State& state) {
    Screens& s = TheScreens();
    std::int32_t step = 0;
    for (auto _ : state) {
        s.target.MaskWipeBlend(s.compose, s.previous, 0, 0, kWidth, kHeight, 0, 0, s.mask, step);
        step = (step + 32) % 512;
        benchmark::ClobberMemory();
    }
}

// The cross-fade's nearest composite: the new picture over the old one through a constant
// alpha (pixman blends in place, so the old picture is the destination).
void PixmanCrossFade(benchmark::State& state, pixman_image_t* source, pixman_image_t* destination) {
    pixman_color_t half = {0, 0, 0, 0x8000};
    pixman_image_t* alpha = pixman_image_create_solid_fill(&half);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, source, alpha, destination, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(alpha);
}

// The mask wipe's nearest composite: the new picture over the old one through a mask whose
// channels weight each colour on its own (component alpha).
void PixmanMaskWipe(benchmark::State& state, pixman_image_t* source, pixman_image_t* mask,
                    pixman_image_t* destination) {
    pixman_image_set_component_alpha(mask, 1);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, source, mask, destination, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
}

void BM_PixmanCrossFade24(benchmark::State& state) {
    Screens& s = TheScreens();
    pixman_image_t* source = Wrap(s.compose);
    pixman_image_t* destination = Wrap(s.target);
    PixmanCrossFade(state, source, destination);
    pixman_image_unref(source);
    pixman_image_unref(destination);
}

void BM_PixmanCrossFade32(benchmark::State& state) {
    WidePictures pictures;
    pixman_image_t* source = WidePictures::Wrap(pictures.compose, PIXMAN_x8r8g8b8);
    pixman_image_t* destination = WidePictures::Wrap(pictures.target, PIXMAN_x8r8g8b8);
    PixmanCrossFade(state, source, destination);
    pixman_image_unref(source);
    pixman_image_unref(destination);
}

void BM_PixmanMaskWipe24(benchmark::State& state) {
    Screens& s = TheScreens();
    pixman_image_t* source = Wrap(s.compose);
    pixman_image_t* mask = Wrap(s.mask);
    pixman_image_t* destination = Wrap(s.target);
    PixmanMaskWipe(state, source, mask, destination);
    for (pixman_image_t* image : {source, mask, destination}) pixman_image_unref(image);
}

void BM_PixmanMaskWipe32(benchmark::State& state) {
    WidePictures pictures;
    pixman_image_t* source = WidePictures::Wrap(pictures.compose, PIXMAN_x8r8g8b8);
    pixman_image_t* mask = WidePictures::Wrap(pictures.mask, PIXMAN_a8r8g8b8);
    pixman_image_t* destination = WidePictures::Wrap(pictures.target, PIXMAN_x8r8g8b8);
    PixmanMaskWipe(state, source, mask, destination);
    for (pixman_image_t* image : {source, mask, destination}) pixman_image_unref(image);
}

// A background, three masked 300x500 sprites and a brightness pass.
void BM_CommitScene(benchmark::State& state) {
    Screens& s = TheScreens();
    kv::LayerSet layers;
    layers.SetSurfaces(&s.target, &s.compose, &s.previous);
    layers.AllocBank(4, kv::LayerBank::Picture);
    layers.AllocBank(1, kv::LayerBank::Mask);
    Paint(*layers.GetMaskLayer(0)->surface, 9);
    for (std::int32_t i = 0; i < 4; ++i) {
        kv::LayerEntry& entry = *layers.GetLayer(i);
        const bool background = i == 3;
        Paint(*entry.surface, 5 + static_cast<std::uint32_t>(i));
        entry.x = background ? 0 : 40 + 250 * i;
        entry.y = background ? 0 : 60;
        entry.width = background ? kWidth : 300;
        entry.height = background ? kHeight : 500;
        entry.maskIndex = background ? -1 : 0;
        entry.visible = 1;
    }
    layers.SetShownBrightness(0, 24);
    layers.ComposeAndCommit();  // the commit after this one uses the brightness
    for (auto _ : state) {
        layers.ComposeAndCommit();
        benchmark::ClobberMemory();
    }
}

std::vector<std::uint8_t>& ThePng() {
    static std::vector<std::uint8_t> png = [] {
        kv::Surface picture;
        Paint(picture, 7);
        kv::MemoryFile file;
        picture.SavePng(file);
        return std::vector<std::uint8_t>(file.Bytes().begin(), file.Bytes().end());
    }();
    return png;
}

void BM_PngDecode(benchmark::State& state) {
    const std::vector<std::uint8_t>& png = ThePng();
    kv::Surface picture;
    for (auto _ : state) {
        kv::MemoryFile file(png);
        if (!picture.LoadPng(file)) state.SkipWithError("decode failed");
    }
}

void BM_PngDecodeSimplified(benchmark::State& state) {
    const std::vector<std::uint8_t>& png = ThePng();
    std::vector<std::uint8_t> pixels(kScreenBytes);
    for (auto _ : state) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) state.SkipWithError("header");
        image.format = PNG_FORMAT_BGR;
        if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) state.SkipWithError("decode");
    }
}

BENCHMARK(BM_Memcpy)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_CrossFadeStep)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_PixmanCrossFade24)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_PixmanCrossFade32)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_MaskWipeStep)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_PixmanMaskWipe24)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_PixmanMaskWipe32)->Repetitions(5)->DisplayAggregatesOnly();
BENCHMARK(BM_CommitScene)->Repetitions(5)->DisplayAggregatesOnly()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PngDecode)->Repetitions(5)->DisplayAggregatesOnly()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecodeSimplified)->Repetitions(5)->DisplayAggregatesOnly()->Unit(benchmark::kMillisecond);

void PrintStep(const kvbench::RatioReporter& reporter, const char* what, const char* step, const char* pixman24,
               const char* pixman32) {
    double memcpyRatio = 0, ratio24 = 0, ratio32 = 0;
    if (!reporter.Ratio(step, "BM_Memcpy", memcpyRatio) || !reporter.Ratio(step, pixman24, ratio24) ||
        !reporter.Ratio(step, pixman32, ratio32))
        return;
    std::printf("%s: %.2fx memcpy, %.1fx pixman (24-bit), %.1fx pixman (32-bit)\n", what, memcpyRatio, ratio24, ratio32);
}

}  // namespace

int main(int argc, char** argv) {
    return kvbench::RunBenchmarks(argc, argv, [](const kvbench::RatioReporter& reporter) {
        PrintStep(reporter, "cross-fade step", "BM_CrossFadeStep", "BM_PixmanCrossFade24", "BM_PixmanCrossFade32");
        PrintStep(reporter, "mask-wipe step", "BM_MaskWipeStep", "BM_PixmanMaskWipe24", "BM_PixmanMaskWipe32");
        double commit = 0, png = 0;
        if (reporter.Time("BM_CommitScene", commit)) std::printf("scene commit: %.2f ms\n", commit / 1000.0);
        if (reporter.Ratio("BM_PngDecode", "BM_PngDecodeSimplified", png))
            std::printf("PNG decode 800x600: %.2fx libpng's simplified API\n", png);
    });
}
