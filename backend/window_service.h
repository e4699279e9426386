#pragma once
// Windows and the keyboard and mouse read through them: window classes with their procedures and
// icons, creation, style, position, caption, the desktop, showing pixels, dispatching queued
// messages, and the input state the event pump keeps. Windows are made and used on the main
// thread; the input state may be read from any thread.

#include <cstdint>
#include <string>
#include <string_view>

#include "backend/window_message.h"

namespace backend {

// Called for every message dispatched to a window of the class; returns the message result.
using WindowProc = std::int32_t (*)(WindowId window, const WindowMessage& message);

enum class WindowStyle : std::uint8_t {
    Framed,      // caption, system menu, minimise box: the normal game window
    FullScreen,  // borderless, covering the desktop; the screen is scaled with black borders
};

enum class ZOrder : std::uint8_t { Keep, Top, TopMost, NotTopMost };

struct Rect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// A view of 24-bit BGR pixels, as the engine's surfaces hold them.
struct PixelView {
    const std::uint8_t* bits = nullptr;  // first byte of the top row in memory order
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;  // bytes from one memory row to the next
    bool bottomUp = false;    // true: the first memory row is the bottom row of the picture
};

// Mouse buttons ([0] left, [1] right, [2] middle, [3] fourth; 1 = down) and the wheel movement
// since the previous read (120 a notch, positive away from the player).
struct MouseSnapshot {
    std::uint8_t buttons[4] = {0, 0, 0, 0};
    std::int32_t wheel = 0;
};

class WindowService {
public:
    virtual ~WindowService() = default;

    // iconName names one of the program's built-in pictures (backend/built_in_picture.h), shown
    // as the icon of the class's windows; a class without one (empty, or no picture of that
    // name) has the desktop's default icon.
    virtual bool RegisterWindowClass(std::string_view className, WindowProc proc, std::string_view iconName) = 0;
    // Creates a hidden window; 0 on failure. Width and height are the outer size.
    virtual WindowId CreateWindow(std::string_view className, std::string_view caption, WindowStyle style,
                                  Rect outer) = 0;
    // Sends Destroy to the window procedure, then forgets the window.
    virtual bool DestroyWindow(WindowId window) = 0;
    virtual bool IsWindow(WindowId window) = 0;
    virtual void SetWindowUserData(WindowId window, void* data) = 0;
    virtual void* GetWindowUserData(WindowId window) = 0;
    virtual void ShowWindow(WindowId window) = 0;
    virtual void SetForegroundWindow(WindowId window) = 0;
    // False when the window system refused the style: the window keeps the one it had.
    virtual bool SetWindowStyle(WindowId window, WindowStyle style) = 0;
    virtual bool SetWindowPosition(WindowId window, ZOrder order, Rect outer) = 0;
    // Position and outer size as the window stands now (the player may have moved it).
    virtual Rect GetWindowRect(WindowId window) = 0;
    virtual void SetWindowCaption(WindowId window, std::string_view caption) = 0;
    virtual std::string GetWindowCaption(WindowId window) = 0;
    virtual Rect GetClientRect(WindowId window) = 0;  // x and y are 0
    // Screen position of the client area's top-left corner.
    virtual Rect ClientOrigin(WindowId window) = 0;
    // Outer size of a window whose client area is clientWidth x clientHeight.
    virtual Rect OuterRectForClient(WindowStyle style, std::int32_t clientWidth, std::int32_t clientHeight) = 0;
    virtual Rect DesktopRect() = 0;
    virtual std::int32_t DesktopBitsPerPixel() = 0;
    // Shows pixels in the client area; area is in the pixels' coordinates (the window's client
    // space). Never waits for the display's refresh.
    virtual void Present(WindowId window, const PixelView& pixels, Rect area) = 0;
    // A picture over the whole client area, stretched to it and shown above everything Present
    // shows (a movie playing in the window). HideOverlay takes it away; the window then gets a
    // Paint message to show its own contents again.
    virtual void ShowOverlay(WindowId window, const PixelView& pixels) = 0;
    virtual void HideOverlay(WindowId window) = 0;

    // Calls the window procedure of the message's window; a Quit message goes nowhere.
    virtual std::int32_t DispatchMessage(const WindowMessage& message) = 0;
    // What a window procedure does with a message it does not handle itself.
    virtual std::int32_t DefaultWindowProc(WindowId window, const WindowMessage& message) = 0;

    // Key states are indexed by the engine's key codes (backend/key_codes.h), bit 7 set while
    // down. The state changes only when events are pumped; a key or button pressed and released
    // since the last read reads as down once. Reads fail while the window is not the one in front.
    virtual bool HasInputFocus(WindowId window) = 0;
    virtual bool ReadKeyboard(WindowId window, std::uint8_t keys[256]) = 0;
    // The keys down now, leaving a tap since the last read for the next ReadKeyboard: for a
    // caller that only looks at what is held.
    virtual bool PeekKeyboard(WindowId window, std::uint8_t keys[256]) = 0;
    virtual bool ReadMouse(WindowId window, MouseSnapshot& mouse) = 0;
};

}  // namespace backend
