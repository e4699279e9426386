#include "platform/sdl/sdl_platform.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/code_page.h"
#include "platform/path_resolver.h"

namespace platform {
namespace {

void OnTerminationSignal(int) { PlatformBase::RequestTermination(); }

std::string ExecutablePath() {
    char buffer[4096];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "./kvrebody";
    buffer[n] = '\0';
    return buffer;
}

std::int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::unique_ptr<Platform> CreateNativeBackend() { return std::make_unique<SdlPlatform>(); }

SdlPlatform::SdlPlatform() {
    // Ctrl+C and kill end the game like the script's quit operation, without the exit question.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    counterStart_ = SteadyNanoseconds();
}

SdlPlatform::~SdlPlatform() {
    for (auto& entry : natives_) {
        if (entry.second.texture) SDL_DestroyTexture(entry.second.texture);
        if (entry.second.renderer) SDL_DestroyRenderer(entry.second.renderer);
        if (entry.second.window) SDL_DestroyWindow(entry.second.window);
    }
    natives_.clear();
    if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

bool SdlPlatform::EnsureVideo() {
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

// ---- process ----

std::string SdlPlatform::ModuleFolder() {
    std::string path = ExecutablePath();
    std::size_t slash = path.rfind('/');
    return EngineFolderFromNative(slash == std::string::npos ? "." : path.substr(0, slash + 1));
}

std::string SdlPlatform::ModuleBaseName() {
    std::string path = ExecutablePath();
    std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
    std::string converted;
    return Utf8ToCodePage(name, converted) ? converted : name;
}

bool SdlPlatform::AcquireInstanceLock(std::string_view name) { return lock_.Acquire(name); }

void SdlPlatform::ReleaseInstanceLock() { lock_.Release(); }

void SdlPlatform::Sleep(std::uint32_t milliseconds) { SDL_Delay(milliseconds); }

std::uint32_t SdlPlatform::TickCount() {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(SteadyNanoseconds() / 1000000));
}

std::int64_t SdlPlatform::PerformanceCounter() { return SteadyNanoseconds() - counterStart_; }

std::int64_t SdlPlatform::PerformanceFrequency() { return 1000000000; }

std::int64_t SdlPlatform::SecondsSinceEpoch() { return static_cast<std::int64_t>(std::time(nullptr)); }

LocalTime SdlPlatform::Now() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_wday, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec,  static_cast<int>(ms)};
}

// ---- windows ----

bool SdlPlatform::OnWindowCreated(WindowId id, WindowRecord& record) {
    if (!EnsureVideo()) return false;
    Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
    int clientWidth = record.outer.width - frame.width;
    int clientHeight = record.outer.height - frame.height;
    if (record.style == WindowStyle::FullScreen || clientWidth <= 0 || clientHeight <= 0) {
        clientWidth = record.outer.width;
        clientHeight = record.outer.height;
    }
    NativeWindow native;
    std::string title = CodePageToUtf8Lossy(record.caption);
    native.window = SDL_CreateWindow(title.c_str(), record.outer.x - frame.x, record.outer.y - frame.y,
                                     clientWidth, clientHeight, SDL_WINDOW_HIDDEN);
    if (!native.window) return false;
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
    if (record.style == WindowStyle::FullScreen) OnWindowChanged(id, record);
    return true;
}

void SdlPlatform::OnWindowDestroyed(WindowId id, WindowRecord&) {
    auto it = natives_.find(id);
    if (it == natives_.end()) return;
    if (it->second.texture) SDL_DestroyTexture(it->second.texture);
    if (it->second.renderer) SDL_DestroyRenderer(it->second.renderer);
    if (it->second.window) SDL_DestroyWindow(it->second.window);
    natives_.erase(it);
}

void SdlPlatform::OnWindowChanged(WindowId id, WindowRecord& record) {
    auto it = natives_.find(id);
    if (it == natives_.end()) return;
    NativeWindow& native = it->second;
    std::string title = CodePageToUtf8Lossy(record.caption);
    SDL_SetWindowTitle(native.window, title.c_str());
    bool wantFull = record.style == WindowStyle::FullScreen;
    if (wantFull != native.fullScreen) {
        if (SDL_SetWindowFullscreen(native.window, wantFull ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0)
            native.fullScreen = wantFull;
        else
            record.style = native.fullScreen ? WindowStyle::FullScreen : WindowStyle::Framed;
    }
    if (!native.fullScreen) {
        Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
        SDL_SetWindowPosition(native.window, record.outer.x - frame.x, record.outer.y - frame.y);
    }
    ShowTexture(native);
}

void SdlPlatform::ShowWindow(WindowId window) {
    WindowRecord* record = FindWindow(window);
    auto it = natives_.find(window);
    if (!record || it == natives_.end()) return;
    bool firstShow = !record->visible;
    record->visible = true;
    SDL_ShowWindow(it->second.window);
    ShowTexture(it->second);
    if (firstShow && focusFollowsShow_) PostMessage(WindowMessage{window, MessageKind::ActivateApp, 0, 0, 1});
}

void SdlPlatform::SetForegroundWindow(WindowId window) {
    auto it = natives_.find(window);
    if (it != natives_.end()) SDL_RaiseWindow(it->second.window);
}

Rect SdlPlatform::DesktopRect() {
    SDL_DisplayMode mode;
    if (EnsureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) return Rect{0, 0, mode.w, mode.h};
    return Rect{0, 0, 800, 600};
}

std::int32_t SdlPlatform::DesktopBitsPerPixel() {
    SDL_DisplayMode mode;
    if (EnsureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        int bits = SDL_BITSPERPIXEL(mode.format);
        return bits > 0 ? bits : 32;
    }
    return 0;
}

void SdlPlatform::ShowTexture(NativeWindow& native) {
    SDL_SetRenderDrawColor(native.renderer, 0, 0, 0, 255);
    SDL_RenderClear(native.renderer);
    SDL_RenderCopy(native.renderer, native.texture, nullptr, nullptr);
    SDL_RenderPresent(native.renderer);
}

void SdlPlatform::Present(WindowId window, const PixelView& pixels, Rect area) {
    auto it = natives_.find(window);
    if (it == natives_.end() || !pixels.bits) return;
    NativeWindow& native = it->second;
    int right = std::min({area.x + area.width, pixels.width, native.textureWidth});
    int bottom = std::min({area.y + area.height, pixels.height, native.textureHeight});
    int left = std::max(area.x, 0);
    int top = std::max(area.y, 0);
    if (right > left && bottom > top) {
        SDL_Rect rect{left, top, right - left, bottom - top};
        void* bits = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(native.texture, &rect, &bits, &pitch) == 0) {
            for (int y = top; y < bottom; ++y) {
                int memoryRow = pixels.bottomUp ? pixels.height - 1 - y : y;
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

WindowId SdlPlatform::FindId(Uint32 sdlWindowId) const {
    for (const auto& entry : natives_)
        if (SDL_GetWindowID(entry.second.window) == sdlWindowId) return entry.first;
    return 0;
}

std::int32_t SdlPlatform::DefaultWindowProc(WindowId window, const WindowMessage& message) {
    if (message.kind == MessageKind::Paint) {
        auto it = natives_.find(window);
        if (it != natives_.end()) ShowTexture(it->second);
        return 0;
    }
    return PlatformBase::DefaultWindowProc(window, message);
}

// ---- events ----

void SdlPlatform::PumpSystemEvents() {
    if (!videoReady_) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_WINDOWEVENT: {
                WindowId id = FindId(event.window.windowID);
                if (!id) break;
                switch (event.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: PostMessage(WindowMessage{id, MessageKind::Close, 0, 0, 0}); break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                        PostMessage(WindowMessage{id, MessageKind::ActivateApp, 0, 0, 1});
                        break;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        if (!focusFollowsShow_) PostMessage(WindowMessage{id, MessageKind::ActivateApp, 0, 0, 0});
                        break;
                    case SDL_WINDOWEVENT_MOVED:
                        PostMessage(WindowMessage{id, MessageKind::Move, event.window.data1, event.window.data2, 0});
                        break;
                    case SDL_WINDOWEVENT_EXPOSED:
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                        PostMessage(WindowMessage{id, MessageKind::Paint, 0, 0, 0});
                        break;
                    default: break;
                }
                break;
            }
            case SDL_MOUSEMOTION: {
                WindowId id = FindId(event.motion.windowID);
                if (id) PostMessage(WindowMessage{id, MessageKind::MouseMove, event.motion.x, event.motion.y, 0});
                break;
            }
            default: break;  // the close box arrives as a window event; SDL_QUIT repeats it
        }
    }
}

// ---- message boxes ----

MessageBoxAnswer SdlPlatform::ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                             MessageBoxButtons buttons) {
    std::string utf8Text = CodePageToUtf8Lossy(text);
    std::string utf8Caption = CodePageToUtf8Lossy(caption);
    MessageBoxAnswer closed = buttons == MessageBoxButtons::YesNo ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
    const char* driver = videoReady_ ? SDL_GetCurrentVideoDriver() : nullptr;
    bool canShow = !videoFailed_ && !focusFollowsShow_ &&
                   (videoReady_ || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"));
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) canShow = false;
    if (canShow) {
        SDL_MessageBoxButtonData okButtons[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"}};
        SDL_MessageBoxButtonData yesNoButtons[] = {{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "No"},
                                                   {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"}};
        SDL_MessageBoxData data{};
        data.flags = SDL_MESSAGEBOX_INFORMATION;
        auto it = natives_.find(owner);
        data.window = it != natives_.end() ? it->second.window : nullptr;
        data.title = utf8Caption.c_str();
        data.message = utf8Text.c_str();
        if (buttons == MessageBoxButtons::YesNo) {
            data.numbuttons = 2;
            data.buttons = yesNoButtons;
        } else {
            data.numbuttons = 1;
            data.buttons = okButtons;
        }
        int pressed = -1;
        if (SDL_ShowMessageBox(&data, &pressed) == 0) {
            if (buttons == MessageBoxButtons::Ok) return MessageBoxAnswer::Ok;
            return pressed == 1 ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
        }
    }
    std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
    std::fflush(stderr);
    return closed;
}

}  // namespace platform
