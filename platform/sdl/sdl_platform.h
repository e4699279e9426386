#pragma once
// The backend the programs run on: SDL2 for the window, presenting, events and message boxes.

#include <SDL.h>

#include <map>
#include <vector>

#include "platform/instance_lock.h"
#include "platform/platform_base.h"

namespace platform {

class SdlPlatform final : public PlatformBase {
public:
    SdlPlatform();
    ~SdlPlatform() override;

    std::string ModuleFolder() override;
    std::string ModuleBaseName() override;
    bool AcquireInstanceLock(std::string_view name) override;
    void ReleaseInstanceLock() override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t TickCount() override;
    std::int64_t PerformanceCounter() override;
    std::int64_t PerformanceFrequency() override;
    std::int64_t SecondsSinceEpoch() override;
    LocalTime Now() override;
    void ShowWindow(WindowId window) override;
    void SetForegroundWindow(WindowId window) override;
    Rect DesktopRect() override;
    std::int32_t DesktopBitsPerPixel() override;
    void Present(WindowId window, const PixelView& pixels, Rect area) override;
    MessageBoxAnswer ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                    MessageBoxButtons buttons) override;
    std::int32_t DefaultWindowProc(WindowId window, const WindowMessage& message) override;

protected:
    void PumpSystemEvents() override;
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
    };

    bool EnsureVideo();
    WindowId FindId(Uint32 sdlWindowId) const;
    void ShowTexture(NativeWindow& native);

    bool videoReady_ = false;
    bool videoFailed_ = false;
    bool focusFollowsShow_ = false;  // drivers without focus events: a shown window is active
    std::map<WindowId, NativeWindow> natives_;
    InstanceLock lock_;
    std::int64_t counterStart_ = 0;
};

}  // namespace platform
