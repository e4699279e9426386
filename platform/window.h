#pragma once
// Binds an object to a platform window and turns the window's messages into virtual calls. The
// base handlers pass the message on to the backend's default handling; destroying any window
// ends the message loop.

#include <cstdint>
#include <string_view>

#include "backend/window_message.h"
#include "backend/window_service.h"

namespace kv {

class Window {
public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // iconName: the built-in picture the class's windows show as their icon; empty for none.
    static bool RegisterClass(std::string_view className, std::string_view iconName = {});

    // Creates the window (hidden) with the given outer rectangle and binds this object to it.
    virtual bool Create(std::string_view className, std::string_view caption, backend::WindowStyle style,
                        std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

    std::int32_t Reset();
    void DestroyHandle();
    std::int32_t DefaultHandler();
    bool SetPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    void Destroy();
    // Shows a text in the window's title bar; the caption the window was made with stays as it is.
    void ShowCaption(std::string_view text);

    backend::WindowId Handle() const { return window_; }
    std::int32_t X() const { return x_; }
    std::int32_t Y() const { return y_; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    const char* Caption() const { return caption_; }
    // Stores a position and size without moving the window (the window-mode switch keeps them).
    void StoreGeometry(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    void StoreSize(std::int32_t width, std::int32_t height);

    virtual std::int32_t OnDestroy();
    virtual std::int32_t OnClose();
    virtual std::int32_t OnActivateApp(bool active);
    virtual std::int32_t OnMove(std::int32_t x, std::int32_t y);
    virtual std::int32_t OnPaint();
    virtual std::int32_t OnMouseMove(std::int32_t x, std::int32_t y);

protected:
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
    std::int32_t width_ = 800;
    std::int32_t height_ = 600;
    char caption_[256] = {};
    backend::WindowId window_ = 0;
    backend::WindowMessage message_{};

private:
    static std::int32_t SharedWindowProc(backend::WindowId window, const backend::WindowMessage& message);
};

}  // namespace kv
