// Drawing one character: the engine's font (glyph query through the glyph service, grey blend
// into a 24-bit surface) against FreeType's own FT_Load_Char with rendering of the same character
// at the same size from the same face, in one run. Prints the time and the ratio at the end.

#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <memory>

#include "backend/fonts/freetype_glyphs.h"
#include "backend/hub.h"
#include "bench/bench_runner.h"
#include "graphics/font.h"
#include "graphics/surface.h"

namespace {

// 漢 in Shift-JIS, drawn from VL Gothic (the Japanese fallback face) in the default 24-pixel
// font; that font's cell of 24 pixels is VL Gothic's em of 19 (1270 units a cell, 1000 an em).
constexpr std::uint32_t kKanjiCode = 0x8ABF;
constexpr FT_ULong kKanjiCodePoint = 0x6F22;
constexpr const char* kVlGothic = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf";
constexpr FT_UInt kVlGothicPixels = 19;

void BM_FontDrawChar(benchmark::State& state) {
    kv::Surface surface;
    if (!surface.Create(800, 600, 24)) {
        state.SkipWithError("no surface");
        return;
    }
    surface.FillRect24(0, 0, 800, 600, 255, 255, 255);
    kv::Font font;
    if (!font.DrawChar(surface, 100, 100, kKanjiCode)) {
        state.SkipWithError("no glyph");
        return;
    }
    std::int32_t x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(font.DrawChar(surface, 24 + x, 100, kKanjiCode));
        x = (x + 24) % 720;
    }
}

void BM_FreetypeLoadChar(benchmark::State& state) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, kVlGothic, 0, &face) != 0 ||
        FT_Set_Pixel_Sizes(face, 0, kVlGothicPixels) != 0) {
        state.SkipWithError("no face");
    } else {
        for (auto _ : state) {
            benchmark::DoNotOptimize(FT_Load_Char(face, kKanjiCodePoint, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP));
            benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
        }
    }
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
}

// Five repetitions each: the ratio uses the medians, which a busy machine disturbs least.
BENCHMARK(BM_FontDrawChar)->Repetitions(5)->DisplayAggregatesOnly()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreetypeLoadChar)->Repetitions(5)->DisplayAggregatesOnly()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    backend::Services services;
    services.glyphs = std::make_unique<backend::FreetypeGlyphs>(backend::CodePage::ShiftJis);
    backend::Install(std::make_unique<backend::Hub>(std::move(services)));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    kvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double micros = 0, ratio = 0;
    if (reporter.Time("BM_FontDrawChar", micros) && reporter.Ratio("BM_FontDrawChar", "BM_FreetypeLoadChar", ratio))
        std::printf("one 24-pixel character drawn: %.2f us, %.2fx the speed of FT_Load_Char with rendering\n", micros,
                    ratio);
    benchmark::Shutdown();
    backend::Uninstall();
    return 0;
}
