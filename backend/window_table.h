#pragma once
// What both backends' window services share: the classes with their procedures, the table of
// windows with their records and user data, geometry as the engine sees it, dispatching, and
// the keyboard, mouse and focus state that the event pump keeps (under a lock: other threads
// may read it). A backend adds the display, presenting and showing, and feeds the input state
// from its events.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "backend/built_in_picture.h"
#include "backend/event_queue.h"
#include "backend/window_service.h"

namespace backend {

class WindowTable : public WindowService {
public:
    // pictures: the program's built-in pictures, where class icons are found.
    WindowTable(EventQueue& events, BuiltInPictures pictures);
    ~WindowTable() override;

    bool RegisterWindowClass(std::string_view className, WindowProc proc, std::string_view iconName) override;
    WindowId CreateWindow(std::string_view className, std::string_view caption, WindowStyle style,
                          Rect outer) override;
    bool DestroyWindow(WindowId window) override;
    bool IsWindow(WindowId window) override;
    void SetWindowUserData(WindowId window, void* data) override;
    void* GetWindowUserData(WindowId window) override;
    bool SetWindowStyle(WindowId window, WindowStyle style) override;
    bool SetWindowPosition(WindowId window, ZOrder order, Rect outer) override;
    Rect GetWindowRect(WindowId window) override;
    void SetWindowCaption(WindowId window, std::string_view caption) override;
    std::string GetWindowCaption(WindowId window) override;
    Rect GetClientRect(WindowId window) override;
    Rect ClientOrigin(WindowId window) override;
    Rect OuterRectForClient(WindowStyle style, std::int32_t clientWidth, std::int32_t clientHeight) override;
    std::int32_t DispatchMessage(const WindowMessage& message) override;
    std::int32_t DefaultWindowProc(WindowId window, const WindowMessage& message) override;

    bool HasInputFocus(WindowId window) override;
    bool ReadKeyboard(WindowId window, std::uint8_t keys[256]) override;
    bool PeekKeyboard(WindowId window, std::uint8_t keys[256]) override;
    bool ReadMouse(WindowId window, MouseSnapshot& mouse) override;

    // Messages a service posts to a window for itself (a movie's next picture): the default
    // window procedure hands them to the service's handler, on the main thread. An empty handler
    // takes the kind back; messages of a kind without a handler are dropped.
    using ServiceMessageHandler = std::function<std::int32_t(WindowId, const WindowMessage&)>;
    void SetServiceMessageHandler(MessageKind kind, ServiceMessageHandler handler);

    struct WindowClass {
        WindowProc proc = nullptr;
        std::string iconName;                  // as registered
        const BuiltInPicture* icon = nullptr;  // the built-in picture of that name; null for none
    };
    // The class a window was made with; null for no window.
    const WindowClass* ClassOf(WindowId window);

    // For the event pump: a termination request destroys every window (and, when there is
    // none, posts the quit message itself).
    void HonourTerminationRequest();
    // For the event pump: the window became the one in front (or stopped being it); posts the
    // ActivateApp message. The window in front is the one whose keyboard and mouse are read.
    void PostActivation(WindowId window, bool active);
    void SetKeyState(std::uint8_t code, bool down);
    void SetButtonState(int button, bool down);
    void AddWheel(std::int32_t amount);

    // What a window shows now, as last presented (client size, top row first, 3 bytes a pixel;
    // black where nothing was presented): the background the modal boxes are drawn over. Null
    // for no window, or one with an empty client area.
    struct ShownPicture {
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::vector<std::uint8_t> bgr;
    };
    const ShownPicture* LastShown(WindowId window);
    // The window a modal box is drawn in: the owner when it is shown, else the oldest window
    // that is; 0 when no window is shown.
    WindowId HostForBox(WindowId owner);

protected:
    struct WindowRecord {
        std::string className;
        std::string caption;  // code page
        WindowStyle style = WindowStyle::Framed;
        Rect outer;           // position and outer size as last set
        bool visible = false;
        void* userData = nullptr;
        ShownPicture shown;
    };

    // Hooks for a backend that keeps a real window beside the record. A backend whose window
    // system refuses a style puts the record's style back to the one the window kept.
    virtual bool OnWindowCreated(WindowId, WindowRecord&) { return true; }
    virtual void OnWindowDestroyed(WindowId, WindowRecord&) {}
    enum class WindowChange : std::uint8_t { Caption, Style, Position };
    virtual void OnWindowChanged(WindowId, WindowRecord&, WindowChange) {}

    WindowRecord* FindWindow(WindowId window);
    // Each backend's Present keeps the presented area here.
    void RememberPresented(WindowId window, const PixelView& pixels, Rect area);
    std::map<WindowId, WindowRecord>& Windows() { return windows_; }
    EventQueue& Events() { return events_; }
    // Size of the frame a framed window adds around its client area.
    static constexpr std::int32_t kFrameBorder = 3;
    static constexpr std::int32_t kCaptionHeight = 26;

private:
    void ReleaseAllInputLocked();

    EventQueue& events_;
    BuiltInPictures pictures_;
    std::map<std::string, WindowClass> classes_;
    std::map<MessageKind, ServiceMessageHandler> serviceHandlers_;
    std::map<WindowId, WindowRecord> windows_;
    WindowId nextWindow_ = 1;

    std::mutex inputMutex_;
    WindowId focus_ = 0;
    std::uint8_t keys_[256] = {};
    std::uint8_t buttons_[4] = {};
    // A key or button pressed and released between two reads still reads as down once: the
    // engine polls once a frame and sees a click by its release, so a quick tap must not vanish.
    std::uint8_t keysPressedSinceRead_[256] = {};
    std::uint8_t buttonsPressedSinceRead_[4] = {};
    std::int32_t wheel_ = 0;
};

}  // namespace backend
