// Drawing one character: the engine's font (glyph query through the glyph service, grey blend
// into a 24-bit surface) against FreeType's own FT_Load_Char with rendering of the same character
// at the same size from the same face, in one run. Prints the time and the ratio at the end.

#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <memory>
#include <string>

#include "backend/fonts/freetype_glyphs.h"
#include "backend/hub.h"
#include "backend/posix/system_clock.h"
#include "bench/bench_runner.h"
#include "graphics/font.h"
#include "graphics/surface.h"
#include "script/screens/message_window.h"

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

// A full page of a message window shown at once, as instant text shows it: 400 Japanese
// characters at 24 pixels with the shadow on, each drawn into the window's mask and blended,
// with its shadow, onto an 800x600 screen.
void BM_MessagePageFlush(benchmark::State& state) {
    kv::Surface screen;
    if (!screen.Create(800, 600, 24)) {
        state.SkipWithError("no surface");
        return;
    }
    screen.FillRect24(0, 0, 800, 600, 60, 90, 120);
    kv::MessageWindow window;
    window.screen = &screen;
    window.windowRect = {20, 80, 760, 440};
    window.textRect = {20, 80, 760, 440};
    window.BuildSurfaces();
    std::string page;
    for (int i = 0; i < 400; ++i) {
        const int kana = 0x82A0 + (i * 7) % 0x50;  // hiragana, in Shift-JIS
        page.push_back(static_cast<char>(kana >> 8));
        page.push_back(static_cast<char>(kana & 0xFF));
    }
    std::int64_t characters = 0;
    for (auto _ : state) {
        window.NewPage();
        window.PutText(page);
        for (;;) {
            const std::int32_t r = window.Step();
            if (r == kv::message_code::kTextEnd || r == kv::message_code::kPageBreak) break;
            if (r == kv::message_code::kLineBreak) window.NewLine();
        }
        characters += window.charsOnPage;
    }
    if (characters != static_cast<std::int64_t>(state.iterations()) * 400) state.SkipWithError("the page overflowed");
}

// Five repetitions each: the ratio uses the medians, which a busy machine disturbs least.
BENCHMARK(BM_FontDrawChar)->Repetitions(5)->DisplayAggregatesOnly()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreetypeLoadChar)->Repetitions(5)->DisplayAggregatesOnly()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MessagePageFlush)->Repetitions(5)->DisplayAggregatesOnly()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    backend::Services services;
    services.glyphs = std::make_unique<backend::FreetypeGlyphs>(backend::CodePage::ShiftJis);
    services.clock = std::make_unique<backend::SystemClock>();  // the message window's character timer
    backend::Install(std::make_unique<backend::Hub>(std::move(services)));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    kvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double micros = 0, ratio = 0;
    if (reporter.Time("BM_FontDrawChar", micros) && reporter.Ratio("BM_FontDrawChar", "BM_FreetypeLoadChar", ratio))
        std::printf("one 24-pixel character drawn: %.2f us, %.2fx the speed of FT_Load_Char with rendering\n", micros,
                    ratio);
    double millis = 0;
    if (reporter.Time("BM_MessagePageFlush", millis))
        std::printf("a page of 400 Japanese characters shown at once (24 px, shadow): %.2f ms\n", millis);
    benchmark::Shutdown();
    backend::Uninstall();
    return 0;
}
