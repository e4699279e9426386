#include "platform/display_mode.h"

#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "backend/hub.h"
#include "backend/window_service.h"

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
    if (backend::Get().Windows().DesktopBitsPerPixel() < 16) {
        lastResult_ = 0;
        return false;
    }
    width_ = width;
    height_ = height;
    // The desktop keeps its resolution, so the only way to refuse is a desktop too small to
    // show anything sensible.
    backend::Rect desktop = backend::Get().Windows().DesktopRect();
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
    backend::WindowService& windows = backend::Get().Windows();
    const std::int32_t screenWidth = g_gameState.screenWidth;
    const std::int32_t screenHeight = g_gameState.screenHeight;
    windows.SetWindowStyle(window.Handle(), backend::WindowStyle::Framed);
    const backend::Rect outer = windows.OuterRectForClient(backend::WindowStyle::Framed, screenWidth, screenHeight);
    // Back where it stood before full screen (start-up's place, or where the player moved it).
    windows.SetWindowPosition(window.Handle(), backend::ZOrder::NotTopMost,
                              backend::Rect{window.X(), window.Y(), outer.width, outer.height});
    window.StoreGeometry(window.X(), window.Y(), screenWidth, screenHeight);
}

}  // namespace

void SetWindowMode(std::uint8_t fullScreen) {
    if (!g_mainWindow || !g_displayMode) return;
    GameWindow& window = *g_mainWindow;
    backend::WindowService& windows = backend::Get().Windows();
    bool wantFull = fullScreen != 0;
    if (wantFull == g_displayMode->IsFullScreen()) {
        windows.ShowWindow(window.Handle());
        return;
    }
    if (!wantFull) {
        g_displayMode->Leave();
        PlaceAsWindow(window);
        return;
    }
    // Where the window stands now is where it comes back to.
    const backend::Rect placed = windows.GetWindowRect(window.Handle());
    window.StoreGeometry(placed.x, placed.y, window.Width(), window.Height());
    // Refused by the display or by the window system (which then keeps the window framed), the
    // switch leaves a proper window behind and the mode says so, so that a later request tries
    // again.
    if (!g_displayMode->Enter(g_gameState.screenWidth, g_gameState.screenHeight) ||
        !windows.SetWindowStyle(window.Handle(), backend::WindowStyle::FullScreen)) {
        g_displayMode->Leave();
        PlaceAsWindow(window);
        return;
    }
    backend::Rect outer = windows.OuterRectForClient(backend::WindowStyle::FullScreen, g_gameState.screenWidth,
                                                 g_gameState.screenHeight);
    std::int32_t x = (g_gameState.screenWidth - outer.width) / 2;
    std::int32_t y = (g_gameState.screenHeight - outer.height) / 2;
    windows.SetWindowPosition(window.Handle(), backend::ZOrder::TopMost, backend::Rect{x, y, outer.width, outer.height});
    windows.SetWindowPosition(window.Handle(), backend::ZOrder::Top, backend::Rect{x, y, outer.width, outer.height});
    window.StoreSize(g_gameState.screenWidth, g_gameState.screenHeight);
}

}  // namespace kv
