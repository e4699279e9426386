// bench_save times writing and reading the save file of a full scene (800x600 screen stretched
// into a 160x120 thumbnail, ten layers, eight channels, four message windows, 100 history pages
// with two voices each, taken from and put back into the message history) with the thumbnail's
// PNG encode beside it, and prints the figures at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/memory_file.h"
#include "bench/bench_runner.h"
#include "app/globals/globals.h"
#include "graphics/surface.h"
#include "script/save/data_set_parts.h"
#include "script/save/replace_file.h"
#include "script/save/save_file.h"
#include "script/screens/message_history.h"

namespace {

kv::DataSetSnapshot FullScene() {
    kv::DataSetSnapshot s;
    s.header.version = kv::MakeVersionField("");
    s.header.title = "Chapter 12";
    s.set.vm.scriptName = "CHAPTER12";
    s.arrays.aInts.assign(2000, 7);
    s.arrays.aBytes.assign(1000, 1);
    s.arrays.aStrings.assign(200, std::vector<std::uint8_t>(24, 'x'));
    kv::LayerRecord layer;
    layer.name = "BG012";
    s.arrays.pictureWorking.assign(10, layer);
    s.arrays.pictureShown.assign(10, layer);
    s.arrays.channels.assign(8, kv::ChannelRecord{-1, 100, "BGM03", 1, 1});
    kv::WindowRecord window;
    window.pageText = std::string(400, 'p');
    window.faceName = "Tahoma";
    s.arrays.windows.assign(4, window);
    return s;
}

// A full history: 100 pages of 300 bytes, two voices on each.
kv::MessageHistory& FullHistory() {
    static kv::MessageHistory history;
    if (history.PageCount() == 0) {
        for (int page = 0; page < kv::MessageHistory::kMaxPages; ++page) {
            history.AddVoice(60, 0, "VOICE_A" + std::to_string(page), -300, 0);
            history.AddVoice(60, 30, "VOICE_B" + std::to_string(page), -300, 0);
            history.AddHistoryPage(0, std::string(300, 'h'));
        }
        history.backlogWindow = 1;
    }
    return history;
}

// The scene with the history's pages, as a save takes them.
kv::DataSetSnapshot CaptureScene(const kv::DataSetSnapshot& scene) {
    kv::DataSetSnapshot s = scene;
    kv::g_messageHistory = &FullHistory();
    kv::CaptureHistory(s.set, s.arrays);
    return s;
}

kv::Surface& Screen() {
    static kv::Surface screen;
    if (screen.IsEmpty()) {
        screen.Create(800, 600, 24);
        for (std::int32_t y = 0; y < 600; ++y) {
            for (std::int32_t x = 0; x < 800 * 3; ++x) screen.PixelAt(0, y)[x] = static_cast<std::uint8_t>(x * 7 + y * 13);
        }
    }
    return screen;
}

std::vector<std::uint8_t> Thumbnail() {
    kv::Surface thumbnail;
    thumbnail.Create(160, 120, 24);
    thumbnail.StretchFrom(Screen(), 0, 0, 160, 120, 0, 0, 800, 600);
    kv::MemoryFile png;
    thumbnail.SavePng(png);
    return {png.Bytes().begin(), png.Bytes().end()};
}

constexpr char kPath[] = "/tmp/kv-bench-save/SAVE01.KVR";
constexpr char kFolder[] = "/tmp/kv-bench-save/";

void BM_ThumbnailPng(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Thumbnail());
}
BENCHMARK(BM_ThumbnailPng)->Unit(benchmark::kMicrosecond);

void BM_SaveFullScene(benchmark::State& state) {
    const kv::DataSetSnapshot scene = FullScene();
    for (auto _ : state) {
        const std::vector<std::uint8_t> file = kv::ComposeSaveFile(Thumbnail(), CaptureScene(scene));
        if (kv::ReplaceFileWhole(backend::Get().Files(), kFolder, kPath, file) != kv::ReplaceResult::Replaced) {
            state.SkipWithError("the save could not be written");
        }
    }
}
BENCHMARK(BM_SaveFullScene)->Unit(benchmark::kMicrosecond);

void BM_LoadFullScene(benchmark::State& state) {
    const kv::DataSetSnapshot scene = FullScene();
    kv::ReplaceFileWhole(backend::Get().Files(), kFolder, kPath, kv::ComposeSaveFile(Thumbnail(), CaptureScene(scene)));
    kv::MessageHistory loaded;
    kv::g_messageHistory = &loaded;
    for (auto _ : state) {
        std::vector<std::uint8_t> file;
        auto in = backend::Get().Files().OpenFile(kPath, backend::FileMode::Read);
        if (!in || !backend::ReadExactly(*in, in->Size(), file)) state.SkipWithError("the save could not be read");
        kv::DataSetSnapshot snapshot;
        if (kv::ReadSaveFile(file, scene.header.version, snapshot) != kv::SaveFileCheck::Sound) {
            state.SkipWithError("the save did not read back");
        }
        kv::RestoreHistory(snapshot.set, snapshot.arrays);
        if (loaded.PageCount() != kv::MessageHistory::kMaxPages) state.SkipWithError("the history did not come back");
        benchmark::DoNotOptimize(snapshot);
    }
    kv::g_messageHistory = nullptr;
}
BENCHMARK(BM_LoadFullScene)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return kvbench::RunBenchmarks(argc, argv, [](const kvbench::RatioReporter& reporter) {
        double save = 0, load = 0, png = 0;
        if (reporter.Time("BM_SaveFullScene", save) && reporter.Time("BM_LoadFullScene", load) &&
            reporter.Time("BM_ThumbnailPng", png)) {
            std::printf("save of a full scene: %.2f ms (of which the thumbnail PNG %.2f ms), load: %.2f ms\n",
                        save / 1000.0, png / 1000.0, load / 1000.0);
        }
    });
}
