#pragma once
// Windows on SDL2: a real window with a renderer and a streaming texture beside each record.
// The video subsystem starts with the first window, so a program that never opens one runs
// without a display.

#include <SDL.h>

#include <map>

#include "backend/code_page.h"
#include "backend/sdl/x11_display_watch.h"
#include "backend/window_table.h"

namespace backend {

class SdlWindows final : public WindowTable {
public:
    SdlWindows(EventQueue& events, CodePage page, BuiltInPictures pictures);
    ~SdlWindows() override;

    void ShowWindow(WindowId window) override;
    void SetForegroundWindow(WindowId window) override;
    Rect DesktopRect() override;
    std::int32_t DesktopBitsPerPixel() override;
    void Present(WindowId window, const PixelView& pixels, Rect area) override;
    void ShowOverlay(WindowId window, const PixelView& pixels) override;
    void HideOverlay(WindowId window) override;
    std::int32_t DefaultWindowProc(WindowId window, const WindowMessage& message) override;

    // ---- for the event pump and the message boxes ----
    // Both follow the display: once it is gone there is no video, and it cannot come back.
    bool VideoReady() const { return videoReady_ && !DisplayLost(); }
    bool VideoFailed() const { return videoFailed_ || DisplayLost(); }
    // Drivers without focus events (offscreen, dummy): a shown window is the active one, and
    // no box can be shown to anybody.
    bool FocusFollowsShow() const { return focusFollowsShow_; }
    WindowId FindId(Uint32 sdlWindowId) const;
    SDL_Window* NativeWindowOf(WindowId window) const;
    // The player moved the window: the record follows, so that the client origin stays true, and
    // the window gets the Move message.
    void NoteMoved(WindowId window, int clientX, int clientY);

protected:
    bool OnWindowCreated(WindowId id, WindowRecord& record) override;
    void OnWindowDestroyed(WindowId id, WindowRecord& record) override;
    void OnWindowChanged(WindowId id, WindowRecord& record, WindowChange change) override;

private:
    struct NativeWindow {
        SDL_Window* window = nullptr;
        SDL_Renderer* renderer = nullptr;
        SDL_Texture* texture = nullptr;
        int textureWidth = 0;
        int textureHeight = 0;
        bool fullScreen = false;
        // The picture over the client area (a movie), drawn stretched above the texture.
        SDL_Texture* overlay = nullptr;
        int overlayWidth = 0;
        int overlayHeight = 0;
        bool overlayShown = false;
    };

    bool EnsureVideo();
    // True once the display is gone; the first call lets go of every native window unreleased.
    bool ForgetLostDisplay();
    // The window's native parts; null when there are none, or the display is gone.
    NativeWindow* FindNative(WindowId window);
    static void SetIcon(SDL_Window* window, const BuiltInPicture& icon);
    void ShowTexture(NativeWindow& native);
    static void DestroyNative(NativeWindow& native);

    CodePage page_;
    bool videoReady_ = false;
    bool videoFailed_ = false;
    bool focusFollowsShow_ = false;
    std::map<WindowId, NativeWindow> natives_;
};

}  // namespace backend
