#include "platform/display_mode.h"

#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/platform.h"

namespace kv {

namespace {
constexpr std::int32_t kModeRefused = -1;
}

DisplayMode::DisplayMode() { Reset(); }

DisplayMode::~DisplayMode() { LeaveAndReset(); }

void DisplayMode::Reset() {
    fullScreen_ = 0;
    width_ = height_ = 0;
    lastResult_ = 0;
}

void DisplayMode::LeaveAndReset() {
    if (fullScreen_) Leave();
    Reset();
}

bool DisplayMode::Enter(std::int32_t width, std::int32_t height) {
    if (fullScreen_) return true;
    if (platform::Get().DesktopBitsPerPixel() < 16) {
        lastResult_ = 0;
        return false;
    }
    width_ = width;
    height_ = height;
    // The desktop keeps its resolution, so the only way to refuse is a desktop too small to
    // show anything sensible.
    platform::Rect desktop = platform::Get().DesktopRect();
    lastResult_ = (desktop.width > 0 && desktop.height > 0) ? 0 : kModeRefused;
    if (lastResult_ != 0) return false;
    fullScreen_ = 1;
    return true;
}

std::int32_t DisplayMode::Leave() {
    fullScreen_ = 0;
    return 0;
}

namespace {

void PlaceAsWindow(GameWindow& window) {
    platform::Platform& os = platform::Get();
    const std::int32_t screenWidth = g_gameState.screenWidth;
    const std::int32_t screenHeight = g_gameState.screenHeight;
    os.SetWindowStyle(window.Handle(), platform::WindowStyle::Framed);
    platform::Rect outer = os.OuterRectForClient(platform::WindowStyle::Framed, screenWidth, screenHeight);
    platform::Rect desktop = os.DesktopRect();
    // Centred by the stored client size, as the window was at start-up.
    std::int32_t x = (desktop.width - window.Width()) / 2;
    std::int32_t y = (desktop.height - window.Height()) / 2;
    os.SetWindowPosition(window.Handle(), platform::ZOrder::NotTopMost, platform::Rect{x, y, outer.width, outer.height});
    window.StoreGeometry(x, y, screenWidth, screenHeight);
}

}  // namespace

void SetWindowMode(std::uint8_t fullScreen) {
    if (!g_mainWindow || !g_displayMode) return;
    GameWindow& window = *g_mainWindow;
    platform::Platform& os = platform::Get();
    bool wantFull = fullScreen != 0;
    if (wantFull == g_displayMode->IsFullScreen()) {
        os.ShowWindow(window.Handle());
        return;
    }
    if (!wantFull) {
        g_displayMode->Leave();
        PlaceAsWindow(window);
        return;
    }
    if (!g_displayMode->Enter(g_gameState.screenWidth, g_gameState.screenHeight)) {
        // A refused switch leaves a proper window behind, so that a later request still works.
        g_displayMode->Leave();
        PlaceAsWindow(window);
        return;
    }
    os.SetWindowStyle(window.Handle(), platform::WindowStyle::FullScreen);
    platform::Rect outer = os.OuterRectForClient(platform::WindowStyle::FullScreen, g_gameState.screenWidth,
                                                 g_gameState.screenHeight);
    std::int32_t x = (g_gameState.screenWidth - outer.width) / 2;
    std::int32_t y = (g_gameState.screenHeight - outer.height) / 2;
    os.SetWindowPosition(window.Handle(), platform::ZOrder::TopMost, platform::Rect{x, y, outer.width, outer.height});
    os.SetWindowPosition(window.Handle(), platform::ZOrder::Top, platform::Rect{x, y, outer.width, outer.height});
    window.StoreSize(g_gameState.screenWidth, g_gameState.screenHeight);
}

}  // namespace kv
