#include "platform/window.h"

#include <cstring>

#include "backend/window_message.h"
#include "backend/window_service.h"
#include "backend/event_queue.h"
#include "backend/hub.h"

namespace kv {

Window::Window() = default;

Window::~Window() { DestroyHandle(); }

bool Window::RegisterClass(std::string_view className, std::string_view iconName) {
    return backend::Get().Windows().RegisterWindowClass(className, &Window::SharedWindowProc, iconName);
}

bool Window::Create(std::string_view className, std::string_view caption, backend::WindowStyle style,
                    std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    backend::WindowService& windows = backend::Get().Windows();
    window_ = windows.CreateWindow(className, caption, style, backend::Rect{x, y, width, height});
    if (!window_) return false;
    backend::Rect client = windows.GetClientRect(window_);
    x_ = x;
    y_ = y;
    width_ = client.width;
    height_ = client.height;
    std::memset(caption_, 0, sizeof caption_);
    std::memcpy(caption_, caption.data(), caption.size() < sizeof caption_ ? caption.size() : sizeof caption_ - 1);
    windows.SetWindowUserData(window_, this);
    return true;
}

std::int32_t Window::Reset() {
    window_ = 0;
    x_ = y_ = 0;
    width_ = 800;
    height_ = 600;
    std::memset(caption_, 0, sizeof caption_);
    return 0;
}

void Window::DestroyHandle() {
    if (window_ && backend::IsInstalled()) backend::Get().Windows().DestroyWindow(window_);
    window_ = 0;
}

void Window::Destroy() { DestroyHandle(); }

void Window::ShowCaption(std::string_view text) {
    if (window_ && backend::IsInstalled()) backend::Get().Windows().SetWindowCaption(window_, text);
}

std::int32_t Window::DefaultHandler() { return backend::Get().Windows().DefaultWindowProc(window_, message_); }

bool Window::SetPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    bool ok = backend::Get().Windows().SetWindowPosition(window_, backend::ZOrder::Keep,
                                                backend::Rect{x, y, width, height});
    StoreGeometry(x, y, width, height);
    return ok;
}

void Window::StoreGeometry(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    x_ = x;
    y_ = y;
    StoreSize(width, height);
}

void Window::StoreSize(std::int32_t width, std::int32_t height) {
    width_ = width;
    height_ = height;
}

std::int32_t Window::OnDestroy() {
    // The platform forgets the window once this returns; the handle must not be used again.
    window_ = 0;
    backend::Get().Events().PostQuitMessage();
    return 0;
}

std::int32_t Window::OnClose() { return DefaultHandler(); }
std::int32_t Window::OnActivateApp(bool) { return DefaultHandler(); }
std::int32_t Window::OnMove(std::int32_t, std::int32_t) { return DefaultHandler(); }
std::int32_t Window::OnPaint() { return DefaultHandler(); }
std::int32_t Window::OnMouseMove(std::int32_t, std::int32_t) { return DefaultHandler(); }

std::int32_t Window::SharedWindowProc(backend::WindowId window, const backend::WindowMessage& message) {
    backend::WindowService& windows = backend::Get().Windows();
    auto* self = static_cast<Window*>(windows.GetWindowUserData(window));
    if (!self) return windows.DefaultWindowProc(window, message);
    self->message_ = message;
    switch (message.kind) {
        case backend::MessageKind::Destroy: return self->OnDestroy();
        case backend::MessageKind::Close: return self->OnClose();
        case backend::MessageKind::ActivateApp: return self->OnActivateApp(message.value == 1);
        case backend::MessageKind::Move: return self->OnMove(message.x, message.y);
        case backend::MessageKind::Paint: return self->OnPaint();
        case backend::MessageKind::MouseMove: return self->OnMouseMove(message.x, message.y);
        default: break;  // kinds this window has no handler for
    }
    return windows.DefaultWindowProc(window, message);
}

}  // namespace kv
