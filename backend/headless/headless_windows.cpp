#include "backend/headless/headless_windows.h"

#include <algorithm>

namespace backend {

HeadlessWindows::HeadlessWindows(EventQueue& events, HeadlessDisplay display, BuiltInPictures pictures)
    : WindowTable(events, pictures), display_(display) {}

WindowId HeadlessWindows::FirstWindow() { return Windows().empty() ? 0 : Windows().begin()->first; }

bool HeadlessWindows::OnWindowCreated(WindowId, WindowRecord&) { return !display_.failWindowCreation; }

std::int32_t HeadlessWindows::DispatchMessage(const WindowMessage& message) {
    dispatched_.push_back(message);
    return WindowTable::DispatchMessage(message);
}

void HeadlessWindows::ShowWindow(WindowId window) {
    WindowRecord* record = FindWindow(window);
    if (!record || record->visible) return;
    record->visible = true;
    // With no display there is no focus to wait for: a shown window is the active one.
    PostActivation(window, true);
}

void HeadlessWindows::SetForegroundWindow(WindowId) {}

Rect HeadlessWindows::DesktopRect() { return Rect{0, 0, display_.desktopWidth, display_.desktopHeight}; }

std::int32_t HeadlessWindows::DesktopBitsPerPixel() { return display_.desktopBitsPerPixel; }

PresentedFrame HeadlessWindows::Capture(WindowId window, const PixelView& pixels, Rect area) {
    PresentedFrame frame;
    frame.window = window;
    frame.width = pixels.width;
    frame.height = pixels.height;
    const std::int32_t left = std::max(area.x, 0), top = std::max(area.y, 0);
    const std::int32_t right = std::min(area.x + area.width, pixels.width);
    const std::int32_t bottom = std::min(area.y + area.height, pixels.height);
    frame.area = Rect{left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
    const std::size_t rowBytes = static_cast<std::size_t>(pixels.width) * 3u;
    frame.bgr.resize(rowBytes * static_cast<std::size_t>(pixels.height));
    for (std::int32_t y = 0; y < pixels.height; ++y) {
        const std::int32_t memoryRow = pixels.bottomUp ? pixels.height - 1 - y : y;
        const std::uint8_t* source = pixels.bits + static_cast<std::ptrdiff_t>(memoryRow) * pixels.stride;
        std::copy(source, source + rowBytes, frame.bgr.begin() + static_cast<std::ptrdiff_t>(rowBytes) * y);
    }
    return frame;
}

void HeadlessWindows::Present(WindowId window, const PixelView& pixels, Rect area) {
    if (!FindWindow(window) || !pixels.bits || pixels.width <= 0 || pixels.height <= 0) return;
    RememberPresented(window, pixels, area);
    frames_.push_back(Capture(window, pixels, area));
}

void HeadlessWindows::ShowOverlay(WindowId window, const PixelView& pixels) {
    if (!FindWindow(window) || !pixels.bits || pixels.width <= 0 || pixels.height <= 0) return;
    overlays_.push_back(Capture(window, pixels, Rect{0, 0, pixels.width, pixels.height}));
    if (!OverlayShown(window)) overlaid_.push_back(window);
}

void HeadlessWindows::HideOverlay(WindowId window) {
    auto it = std::find(overlaid_.begin(), overlaid_.end(), window);
    if (it == overlaid_.end()) return;
    overlaid_.erase(it);
    if (FindWindow(window)) Events().PostMessage(WindowMessage{window, MessageKind::Paint, 0, 0, 0});
}

bool HeadlessWindows::OverlayShown(WindowId window) const {
    return std::find(overlaid_.begin(), overlaid_.end(), window) != overlaid_.end();
}

void HeadlessWindows::OnWindowDestroyed(WindowId id, WindowRecord&) {
    overlaid_.erase(std::remove(overlaid_.begin(), overlaid_.end(), id), overlaid_.end());
}

void HeadlessWindows::OnWindowChanged(WindowId, WindowRecord& record, WindowChange change) {
    if (change != WindowChange::Style || record.style != WindowStyle::FullScreen) return;
    if (display_.refusedFullScreens <= 0) return;
    --display_.refusedFullScreens;
    record.style = WindowStyle::Framed;
}

}  // namespace backend
