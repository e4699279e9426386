#pragma once
// Windows without a display: records only, a desktop of the configured size, every presented
// frame captured, every dispatched message logged.

#include <cstdint>
#include <vector>

#include "backend/window_table.h"

namespace backend {

struct PresentedFrame {
    WindowId window = 0;
    Rect area;
    std::int32_t width = 0;  // of the whole picture presented from
    std::int32_t height = 0;
    std::vector<std::uint8_t> bgr;  // the whole picture, top row first, 3 bytes a pixel
};

struct HeadlessDisplay {
    std::int32_t desktopWidth = 1024;
    std::int32_t desktopHeight = 768;
    std::int32_t desktopBitsPerPixel = 32;
    bool failWindowCreation = false;
    // The first this many requests for full screen are refused: the window stays framed.
    std::int32_t refusedFullScreens = 0;
};

class HeadlessWindows final : public WindowTable {
public:
    HeadlessWindows(EventQueue& events, HeadlessDisplay display, BuiltInPictures pictures);

    // ---- what the test sees ----
    const std::vector<PresentedFrame>& Frames() const { return frames_; }
    void ClearFrames() { frames_.clear(); }
    // Every picture shown over a window with ShowOverlay, in order (area: the whole picture).
    const std::vector<PresentedFrame>& Overlays() const { return overlays_; }
    // True while a window shows an overlay picture.
    bool OverlayShown(WindowId window) const;
    // Every message handed to DispatchMessage, in order.
    const std::vector<WindowMessage>& Dispatched() const { return dispatched_; }
    // The oldest window still there, 0 for none.
    WindowId FirstWindow();

    void ShowWindow(WindowId window) override;
    void SetForegroundWindow(WindowId window) override;
    Rect DesktopRect() override;
    std::int32_t DesktopBitsPerPixel() override;
    void Present(WindowId window, const PixelView& pixels, Rect area) override;
    void ShowOverlay(WindowId window, const PixelView& pixels) override;
    void HideOverlay(WindowId window) override;
    std::int32_t DispatchMessage(const WindowMessage& message) override;

protected:
    bool OnWindowCreated(WindowId id, WindowRecord& record) override;
    void OnWindowDestroyed(WindowId id, WindowRecord& record) override;
    void OnWindowChanged(WindowId id, WindowRecord& record, WindowChange change) override;

private:
    // The whole picture, top row first, with the part of it the area names.
    static PresentedFrame Capture(WindowId window, const PixelView& pixels, Rect area);

    HeadlessDisplay display_;
    std::vector<PresentedFrame> frames_;
    std::vector<PresentedFrame> overlays_;
    std::vector<WindowId> overlaid_;
    std::vector<WindowMessage> dispatched_;
};

}  // namespace backend
