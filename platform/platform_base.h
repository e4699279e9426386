#pragma once
// What both backends share: files and path resolution on the real file system, the window
// table with its classes and user data, and the message queue. A backend adds the clock, the
// display, presenting and message boxes, and turns its own events into queued messages.

#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "platform/platform.h"

namespace platform {

class PlatformBase : public Platform {
public:
    PlatformBase();
    ~PlatformBase() override;

    std::unique_ptr<FileHandle> OpenFile(std::string_view path, FileMode mode) override;
    bool IsRegularFile(std::string_view path) override;
    bool IsDirectory(std::string_view path) override;
    bool MakeDirectory(std::string_view path) override;
    bool RenameFile(std::string_view from, std::string_view to) override;
    bool RemoveFile(std::string_view path) override;
    std::string NativePath(std::string_view path) override;

    bool RegisterWindowClass(std::string_view className, WindowProc proc) override;
    WindowId CreateWindow(std::string_view className, std::string_view caption, WindowStyle style,
                          Rect outer) override;
    bool DestroyWindow(WindowId window) override;
    bool IsWindow(WindowId window) override;
    void SetWindowUserData(WindowId window, void* data) override;
    void* GetWindowUserData(WindowId window) override;
    void SetWindowStyle(WindowId window, WindowStyle style) override;
    bool SetWindowPosition(WindowId window, ZOrder order, Rect outer) override;
    void SetWindowCaption(WindowId window, std::string_view caption) override;
    std::string GetWindowCaption(WindowId window) override;
    Rect GetClientRect(WindowId window) override;
    Rect ClientOrigin(WindowId window) override;
    Rect OuterRectForClient(WindowStyle style, std::int32_t clientWidth,
                            std::int32_t clientHeight) override;

    bool HasInputFocus(WindowId window) override;
    bool ReadKeyboard(WindowId window, std::uint8_t keys[256]) override;
    bool ReadMouse(WindowId window, MouseSnapshot& mouse) override;

    bool PeekMessage(WindowMessage& message) override;
    void PostMessage(const WindowMessage& message) override;
    std::int32_t DispatchMessage(const WindowMessage& message) override;
    void PostQuitMessage() override;
    std::int32_t DefaultWindowProc(WindowId window, const WindowMessage& message) override;

    // Ends the program the way the script's quit operation does: every window is destroyed
    // (so the loop sees the quit message) without asking anything. Safe to call from a signal
    // handler: it only sets a flag that the next PeekMessage acts on.
    static void RequestTermination();

protected:
    struct WindowRecord {
        std::string className;
        std::string caption;  // code page
        WindowStyle style = WindowStyle::Framed;
        Rect outer;           // position and outer size as last set
        bool visible = false;
        void* userData = nullptr;
    };

    // Moves the backend's pending events into the queue (PostMessage).
    virtual void PumpSystemEvents() = 0;
    // Hooks for a backend that keeps a real window beside the record.
    virtual bool OnWindowCreated(WindowId, WindowRecord&) { return true; }
    virtual void OnWindowDestroyed(WindowId, WindowRecord&) {}
    enum class WindowChange : std::uint8_t { Caption, Style, Position };
    virtual void OnWindowChanged(WindowId, WindowRecord&, WindowChange) {}

    WindowRecord* FindWindow(WindowId window);
    // What the backend has seen of the keyboard and mouse (updated while pumping events).
    void SetKeyState(std::uint8_t code, bool down) { keys_[code] = down ? 0x80 : 0; }
    void SetButtonState(int button, bool down) {
        if (button >= 0 && button < 4) buttons_[button] = down ? 1 : 0;
    }
    void AddWheel(std::int32_t amount) { wheel_ += amount; }
    void ReleaseAllInput();
    WindowId FocusWindow() const { return focus_; }
    void SetFocusWindow(WindowId window) { focus_ = window; }
    std::map<WindowId, WindowRecord>& Windows() { return windows_; }
    // Size of the frame a framed window adds around its client area.
    static constexpr std::int32_t kFrameBorder = 3;
    static constexpr std::int32_t kCaptionHeight = 26;

private:
    std::map<std::string, WindowProc> classes_;
    std::map<WindowId, WindowRecord> windows_;
    std::deque<WindowMessage> queue_;
    WindowId nextWindow_ = 1;
    WindowId focus_ = 0;
    std::uint8_t keys_[256] = {};
    std::uint8_t buttons_[4] = {};
    std::int32_t wheel_ = 0;
};

}  // namespace platform
