#include "backend/sdl/sdl_windows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace backend {

SdlWindows::SdlWindows(EventQueue& events, CodePage page, BuiltInPictures pictures)
    : WindowTable(events, pictures), page_(page) {}

SdlWindows::~SdlWindows() {
    // Without its display SDL cannot take anything down; the process is about to end anyway.
    if (ForgetLostDisplay()) return;
    for (auto& entry : natives_) DestroyNative(entry.second);
    natives_.clear();
    if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // The hub destroys the SDL services that may start other subsystems (sound, movies) before
    // the windows: SDL itself ends here.
    SDL_Quit();
}

SdlWindows::NativeWindow* SdlWindows::FindNative(WindowId window) {
    if (ForgetLostDisplay()) return nullptr;
    auto it = natives_.find(window);
    return it != natives_.end() ? &it->second : nullptr;
}

bool SdlWindows::ForgetLostDisplay() {
    if (!DisplayLost()) return false;
    // The windows, renderers and textures are left as they are: destroying them would talk to a
    // server that is not there.
    natives_.clear();
    videoReady_ = false;
    videoFailed_ = true;
    return true;
}

bool SdlWindows::EnsureVideo() {
    if (ForgetLostDisplay()) return false;
    if (videoReady_) return true;
    if (videoFailed_) return false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "kvrebody: no display: %s\n", SDL_GetError());
        videoFailed_ = true;
        return false;
    }
    videoReady_ = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    focusFollowsShow_ = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    return true;
}

bool SdlWindows::OnWindowCreated(WindowId id, WindowRecord& record) {
    if (!EnsureVideo()) return false;
    const Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
    int clientWidth = record.outer.width - frame.width;
    int clientHeight = record.outer.height - frame.height;
    if (record.style == WindowStyle::FullScreen || clientWidth <= 0 || clientHeight <= 0) {
        clientWidth = record.outer.width;
        clientHeight = record.outer.height;
    }
    NativeWindow native;
    const std::string title = ToUtf8Lossy(page_, record.caption);
    native.window = SDL_CreateWindow(title.c_str(), record.outer.x - frame.x, record.outer.y - frame.y, clientWidth,
                                     clientHeight, SDL_WINDOW_HIDDEN);
    if (!native.window) return false;
    WatchDisplayOf(native.window);
    if (const WindowClass* windowClass = ClassOf(id); windowClass && windowClass->icon)
        SetIcon(native.window, *windowClass->icon);
    // No vsync: presenting must never hold the frame loop back.
    native.renderer = SDL_CreateRenderer(native.window, -1, 0);
    if (!native.renderer) native.renderer = SDL_CreateRenderer(native.window, -1, SDL_RENDERER_SOFTWARE);
    if (native.renderer) {
        SDL_RenderSetLogicalSize(native.renderer, clientWidth, clientHeight);
        native.texture = SDL_CreateTexture(native.renderer, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                                           clientWidth, clientHeight);
    }
    if (!native.renderer || !native.texture) {
        if (native.renderer) SDL_DestroyRenderer(native.renderer);
        SDL_DestroyWindow(native.window);
        return false;
    }
    native.textureWidth = clientWidth;
    native.textureHeight = clientHeight;
    void* bits = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(native.texture, nullptr, &bits, &pitch) == 0) {
        std::memset(bits, 0, static_cast<std::size_t>(pitch) * static_cast<std::size_t>(clientHeight));
        SDL_UnlockTexture(native.texture);
    }
    natives_[id] = native;
    if (record.style == WindowStyle::FullScreen) OnWindowChanged(id, record, WindowChange::Style);
    return true;
}

void SdlWindows::SetIcon(SDL_Window* window, const BuiltInPicture& icon) {
    // SDL copies the pixels: the surface only lends it the built-in ones.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(icon.rgba), icon.width,
                                                              icon.height, 32, icon.width * 4,
                                                              SDL_PIXELFORMAT_RGBA32);
    if (!surface) return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

void SdlWindows::DestroyNative(NativeWindow& native) {
    if (native.overlay) SDL_DestroyTexture(native.overlay);
    if (native.texture) SDL_DestroyTexture(native.texture);
    if (native.renderer) SDL_DestroyRenderer(native.renderer);
    if (native.window) SDL_DestroyWindow(native.window);
    native = NativeWindow{};
}

void SdlWindows::OnWindowDestroyed(WindowId id, WindowRecord&) {
    NativeWindow* native = FindNative(id);
    if (!native) return;
    DestroyNative(*native);
    natives_.erase(id);
}

void SdlWindows::OnWindowChanged(WindowId id, WindowRecord& record, WindowChange change) {
    NativeWindow* found = FindNative(id);
    if (!found) return;
    NativeWindow& native = *found;
    switch (change) {
        case WindowChange::Caption: {
            const std::string title = ToUtf8Lossy(page_, record.caption);
            SDL_SetWindowTitle(native.window, title.c_str());
            break;
        }
        case WindowChange::Style: {
            const bool wantFull = record.style == WindowStyle::FullScreen;
            if (wantFull == native.fullScreen) break;
            if (SDL_SetWindowFullscreen(native.window, wantFull ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0)
                native.fullScreen = wantFull;
            else
                record.style = native.fullScreen ? WindowStyle::FullScreen : WindowStyle::Framed;
            ShowTexture(native);
            break;
        }
        case WindowChange::Position:
            if (!native.fullScreen) {
                const Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
                SDL_SetWindowPosition(native.window, record.outer.x - frame.x, record.outer.y - frame.y);
            }
            break;
    }
}

void SdlWindows::NoteMoved(WindowId window, int clientX, int clientY) {
    if (FindWindow(window)) Events().PostMessage(WindowMessage{window, MessageKind::Move, clientX, clientY, 0});
    WindowRecord* record = FindWindow(window);
    if (!record || record->style != WindowStyle::Framed) return;
    const Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
    record->outer.x = clientX + frame.x;
    record->outer.y = clientY + frame.y;
}

void SdlWindows::ShowWindow(WindowId window) {
    WindowRecord* record = FindWindow(window);
    NativeWindow* native = FindNative(window);
    if (!record || !native) return;
    const bool firstShow = !record->visible;
    record->visible = true;
    SDL_ShowWindow(native->window);
    ShowTexture(*native);
    if (firstShow && focusFollowsShow_) PostActivation(window, true);
}

void SdlWindows::SetForegroundWindow(WindowId window) {
    if (NativeWindow* native = FindNative(window)) SDL_RaiseWindow(native->window);
}

Rect SdlWindows::DesktopRect() {
    SDL_DisplayMode mode;
    if (EnsureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) return Rect{0, 0, mode.w, mode.h};
    return Rect{0, 0, 800, 600};
}

std::int32_t SdlWindows::DesktopBitsPerPixel() {
    SDL_DisplayMode mode;
    if (EnsureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        const int bits = SDL_BITSPERPIXEL(mode.format);
        return bits > 0 ? bits : 32;
    }
    return 0;
}

void SdlWindows::ShowTexture(NativeWindow& native) {
    SDL_SetRenderDrawColor(native.renderer, 0, 0, 0, 255);
    SDL_RenderClear(native.renderer);
    SDL_RenderCopy(native.renderer, native.texture, nullptr, nullptr);
    if (native.overlayShown) SDL_RenderCopy(native.renderer, native.overlay, nullptr, nullptr);
    SDL_RenderPresent(native.renderer);
}

void SdlWindows::Present(WindowId window, const PixelView& pixels, Rect area) {
    NativeWindow* found = FindNative(window);
    if (!found || !pixels.bits) return;
    NativeWindow& native = *found;
    RememberPresented(window, pixels, area);
    const int right = std::min({area.x + area.width, pixels.width, native.textureWidth});
    const int bottom = std::min({area.y + area.height, pixels.height, native.textureHeight});
    const int left = std::max(area.x, 0);
    const int top = std::max(area.y, 0);
    if (right > left && bottom > top) {
        SDL_Rect rect{left, top, right - left, bottom - top};
        void* bits = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(native.texture, &rect, &bits, &pitch) == 0) {
            for (int y = top; y < bottom; ++y) {
                const int memoryRow = pixels.bottomUp ? pixels.height - 1 - y : y;
                const std::uint8_t* source =
                    pixels.bits + static_cast<std::ptrdiff_t>(memoryRow) * pixels.stride + left * 3;
                std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y - top) * pitch, source,
                            static_cast<std::size_t>(right - left) * 3u);
            }
            SDL_UnlockTexture(native.texture);
        }
    }
    ShowTexture(native);
}

void SdlWindows::ShowOverlay(WindowId window, const PixelView& pixels) {
    NativeWindow* found = FindNative(window);
    if (!found || !pixels.bits || pixels.width <= 0 || pixels.height <= 0) return;
    NativeWindow& native = *found;
    if (!native.overlay || native.overlayWidth != pixels.width || native.overlayHeight != pixels.height) {
        if (native.overlay) SDL_DestroyTexture(native.overlay);
        native.overlay = SDL_CreateTexture(native.renderer, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                                           pixels.width, pixels.height);
        native.overlayWidth = native.overlay ? pixels.width : 0;
        native.overlayHeight = native.overlay ? pixels.height : 0;
        if (!native.overlay) {
            native.overlayShown = false;
            return;
        }
    }
    void* bits = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(native.overlay, nullptr, &bits, &pitch) == 0) {
        const std::size_t rowBytes = static_cast<std::size_t>(pixels.width) * 3u;
        for (int y = 0; y < pixels.height; ++y) {
            const int memoryRow = pixels.bottomUp ? pixels.height - 1 - y : y;
            std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pitch,
                        pixels.bits + static_cast<std::ptrdiff_t>(memoryRow) * pixels.stride, rowBytes);
        }
        SDL_UnlockTexture(native.overlay);
    }
    native.overlayShown = true;
    ShowTexture(native);
}

void SdlWindows::HideOverlay(WindowId window) {
    NativeWindow* native = FindNative(window);
    if (!native || !native->overlayShown) return;
    native->overlayShown = false;
    ShowTexture(*native);
    Events().PostMessage(WindowMessage{window, MessageKind::Paint, 0, 0, 0});
}

WindowId SdlWindows::FindId(Uint32 sdlWindowId) const {
    if (DisplayLost()) return 0;
    for (const auto& entry : natives_)
        if (SDL_GetWindowID(entry.second.window) == sdlWindowId) return entry.first;
    return 0;
}

SDL_Window* SdlWindows::NativeWindowOf(WindowId window) const {
    if (DisplayLost()) return nullptr;
    auto it = natives_.find(window);
    return it != natives_.end() ? it->second.window : nullptr;
}

std::int32_t SdlWindows::DefaultWindowProc(WindowId window, const WindowMessage& message) {
    if (message.kind == MessageKind::Paint) {
        if (NativeWindow* native = FindNative(window)) ShowTexture(*native);
        return 0;
    }
    return WindowTable::DefaultWindowProc(window, message);
}

}  // namespace backend
