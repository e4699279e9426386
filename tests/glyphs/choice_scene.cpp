// A window that shows an open choice menu as the engine draws it, from the installed fonts: the
// question and three choices in a message window over a panel, the second choice highlighted
// with the choice cursor beside it. tests/glyphs/check_glyph_scene.sh compares a screenshot of it
// with the expected picture. Prints the screen position of the window's client area, then shows
// the picture until it is ended (SIGTERM).

#include <cstdio>

#include "app/globals/globals.h"
#include "backend/hub.h"
#include "backend/sdl/sdl_hub.h"
#include "base/build_variant.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "script/screens/choice_list.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "tests/glyphs/scene_window.h"

namespace {

constexpr std::int32_t kWidth = 440;
constexpr std::int32_t kHeight = 160;
constexpr std::int32_t kCursorSize = 16;

// The cursor's picture (orange) and its mask: black, where the picture shows, in a triangle
// pointing right.
void MakeCursorLayer(kv::LayerSet& layers) {
    layers.AllocBank(1, kv::LayerBank::Picture);
    layers.AllocBank(1, kv::LayerBank::Mask);
    kv::LayerEntry& picture = *layers.GetLayer(0);
    picture.surface->Create(kCursorSize, kCursorSize, 24);
    picture.surface->FillRect24(0, 0, kCursorSize, kCursorSize, 255, 170, 40);
    picture.maskIndex = 0;
    kv::Surface& mask = *layers.GetMaskLayer(0)->surface;
    mask.Create(kCursorSize, kCursorSize, 24);
    mask.FillRect24(0, 0, kCursorSize, kCursorSize, 255, 255, 255);
    for (std::int32_t y = 2; y < kCursorSize - 2; ++y) {
        const std::int32_t reach = y < kCursorSize / 2 ? y - 1 : kCursorSize - 2 - y;
        mask.FillRect24(3, y, reach, 1, 0, 0, 0);
    }
}

}  // namespace

int main() {
    backend::Install(backend::CreateNativeHub(kv::ActiveBuildVariant().codePage));

    kv::Surface screen, background;
    for (kv::Surface* surface : {&screen, &background}) {
        if (!surface->Create(kWidth, kHeight, 24)) return 1;
        surface->FillRect24(0, 0, kWidth, kHeight, 200, 210, 230);
        surface->FillRect24(8, 8, kWidth - 16, kHeight - 16, 30, 34, 70);
    }
    kv::g_screenSurface = &screen;
    kv::g_workSurface1 = &background;
    kv::g_gameScreenLayers = new kv::LayerSet();
    MakeCursorLayer(*kv::g_gameScreenLayers);
    kv::ConstructClickWaitIcons();
    kv::ClickWaitIcon& cursor = *kv::ClickWaitIconAt(kv::kChoiceWaitIcon);
    cursor.layer = 0;
    cursor.width = cursor.height = kCursorSize;
    cursor.frameCount = 1;
    cursor.enabled = true;

    kv::AllocMessageWindows(1);
    kv::MessageWindow& window = *kv::MessageWindowAt(0);
    window.windowRect = {8, 8, kWidth - 16, kHeight - 16};
    window.textRect = {20, 16, 400, 128};
    window.textColour = {255, 240, 200};
    window.shadowColour = {0, 0, 0};
    window.shadowOffsetX = window.shadowOffsetY = 2;
    window.lineSpacing = 4;
    window.BuildSurfaces();
    window.NewPage();

    kv::ChoiceList& list = kv::TheChoiceList();
    list.BindWindow(0);
    list.SetSavedText("Where do you go from here?\x01");
    list.DrawAll();  // the question, which leaves the cursor on the next line
    const char* choices[] = {"Stay in the room", "Walk to the park", "Look at the stars"};
    list.Alloc(3);
    for (std::int32_t i = 0; i < 3; ++i) list.SetItem(i, choices[i]);
    list.DrawAll();
    kv::DrawChoiceCursor(1, -1);
    kv::DrawChoiceItemState(1, true);

    const int shown = glyphscene::ShowUntilClosed(screen, "KVCHOICE", "choice", kWidth, kHeight);
    kv::TheChoiceList().Free();
    kv::FreeMessageWindows();
    kv::DestroyClickWaitIcons();
    delete kv::g_gameScreenLayers;
    kv::g_gameScreenLayers = nullptr;
    kv::g_screenSurface = kv::g_workSurface1 = nullptr;
    backend::Uninstall();
    return shown;
}
