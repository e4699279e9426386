// The name-entry dialog and the exit question drawn in a window over a picture. Built once for
// each code page; tests/dialogs/check_dialog_scene.sh drives it.
//
// dialog-scene-<variant>: a real window. Prints the screen position of its client area, runs
// the name-entry dialog (defaults "Mori" / "Ai"), prints the confirmed names, then asks the exit
// question and prints the answer ("yes" or "no"), and ends.
// dialog-scene-<variant> --headless <folder>: draws the same dialog with a typed name and the
// exit question on the headless backend's glyphs (no fonts needed) into name.png and exit.png.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backend/code_page.h"
#include "backend/dialogs/dialog_session.h"
#include "backend/event_queue.h"
#include "backend/headless/headless_hub.h"
#include "backend/hub.h"
#include "backend/key_codes.h"
#include "backend/sdl/sdl_hub.h"
#include "backend/window_service.h"
#include "base/build_variant.h"
#include "base/message_box.h"
#include "graphics/surface.h"
#include "script/screens/name_entry_dialog.h"

namespace {

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;

// A picture for the dialog to stand on: stripes of colour, so that a box drawn in the wrong
// place shows.
std::vector<std::uint8_t> Background() {
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (std::int32_t y = 0; y < kHeight; ++y) {
        for (std::int32_t x = 0; x < kWidth; ++x) {
            std::uint8_t* pixel = bgr.data() + (static_cast<std::size_t>(y) * kWidth + x) * 3;
            pixel[0] = static_cast<std::uint8_t>(96 + (x / 40 % 2) * 64);
            pixel[1] = static_cast<std::uint8_t>(y * 200 / kHeight);
            pixel[2] = static_cast<std::uint8_t>(40 + x * 160 / kWidth);
        }
    }
    return bgr;
}

bool SavePicture(const std::vector<std::uint8_t>& bgr, const std::string& path) {
    kv::Surface surface;
    if (!surface.Create(kWidth, kHeight, 24)) return false;
    for (std::int32_t y = 0; y < kHeight; ++y)
        std::memcpy(surface.PixelAt(0, y), bgr.data() + static_cast<std::size_t>(y) * kWidth * 3, kWidth * 3u);
    return surface.SavePng(path.c_str());
}

class PrintingProcedure final : public backend::DialogProcedure {
public:
    void OnInit(backend::OpenDialog&) override {}
    void OnCommand(backend::OpenDialog&, std::int32_t) override {}
};

int DrawHeadless(const std::string& folder) {
    const backend::CodePage page = kv::ActiveBuildVariant().codePage;
    backend::HeadlessOptions options;
    options.gameFolder = folder;
    options.codePage = page;
    auto hub = std::make_unique<backend::HeadlessHub>(options);
    backend::HeadlessGlyphs& glyphs = hub->Glyphs();
    backend::Install(std::move(hub));
    std::strcpy(kv::NameEntryState().defaultFamily, "Mori");
    std::strcpy(kv::NameEntryState().defaultGiven, "Ai");
    backend::DialogSession dialog(1, backend::Rect{0, 0, kWidth, kHeight}, &glyphs, page);
    PrintingProcedure procedure;
    dialog.OpenTemplate(kv::NameEntryTemplate(), procedure);
    dialog.SetFieldText(kv::kFamilyNameField, "Mori");
    dialog.SetFieldText(kv::kGivenNameField, "Ai");
    for (int i = 0; i < 2; ++i) dialog.Key(backend::key::Tab, false);
    dialog.TypeText("Kiri");
    dialog.Key(backend::key::Tab, false);
    dialog.TypeText("Sae");
    std::vector<std::uint8_t> name = Background();
    dialog.Paint(name, kWidth, kHeight);

    backend::DialogSession box(1, backend::Rect{0, 0, kWidth, kHeight}, &glyphs, page);
    box.OpenMessageBox(kv::ActiveBuildVariant().exitQuestion, kv::ActiveBuildVariant().exitTitle,
                       backend::MessageBoxButtons::YesNo);
    std::vector<std::uint8_t> exit = Background();
    box.Paint(exit, kWidth, kHeight);
    const bool saved = SavePicture(name, folder + "/name.png") && SavePicture(exit, folder + "/exit.png");
    backend::Uninstall();
    return saved ? 0 : 1;
}

std::int32_t ShowDefault(backend::WindowId window, const backend::WindowMessage& message) {
    return backend::Get().Windows().DefaultWindowProc(window, message);
}

int RunInWindow() {
    const kv::BuildVariant& variant = kv::ActiveBuildVariant();
    backend::Install(backend::CreateNativeHub(variant.codePage));
    backend::WindowService& windows = backend::Get().Windows();
    if (!windows.RegisterWindowClass("KVDIALOGS", &ShowDefault, {})) return 1;
    backend::Rect outer = windows.OuterRectForClient(backend::WindowStyle::Framed, kWidth, kHeight);
    outer.x = 20;
    outer.y = 20;
    const backend::WindowId window = windows.CreateWindow("KVDIALOGS", "dialogs", backend::WindowStyle::Framed, outer);
    if (window == 0) return 1;
    windows.ShowWindow(window);
    const std::vector<std::uint8_t> background = Background();
    windows.Present(window, backend::PixelView{background.data(), kWidth, kHeight, kWidth * 3, false},
                    backend::Rect{0, 0, kWidth, kHeight});
    const backend::Rect origin = windows.ClientOrigin(window);
    std::printf("%d %d %d %d\n", origin.x, origin.y, kWidth, kHeight);
    std::fflush(stdout);

    std::strcpy(kv::NameEntryState().defaultFamily, "Mori");
    std::strcpy(kv::NameEntryState().defaultGiven, "Ai");
    if (!kv::ShowNameEntryDialog(window)) return 1;
    std::printf("names: %s %s\n", backend::ToUtf8Lossy(variant.codePage, kv::NameEntryState().familyResult).c_str(),
                backend::ToUtf8Lossy(variant.codePage, kv::NameEntryState().givenResult).c_str());
    std::fflush(stdout);
    const bool yes = kv::MessageBoxYesNo(window, variant.exitQuestion, variant.exitTitle);
    std::printf("exit: %s\n", yes ? "yes" : "no");
    std::fflush(stdout);
    windows.DestroyWindow(window);
    backend::Uninstall();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--headless") == 0) return DrawHeadless(argv[2]);
    return RunInWindow();
}
