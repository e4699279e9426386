#include "backend/headless/headless_windows.h"

#include <algorithm>

namespace backend {

HeadlessWindows::HeadlessWindows(EventQueue& events, HeadlessDisplay display)
    : WindowTable(events), display_(display) {}

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

void HeadlessWindows::Present(WindowId window, const PixelView& pixels, Rect area) {
    if (!FindWindow(window) || !pixels.bits || pixels.width <= 0 || pixels.height <= 0) return;
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
    frames_.push_back(std::move(frame));
}

}  // namespace backend
