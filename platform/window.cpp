#include "platform/window.h"

#include <cstring>

namespace kv {

Window::Window() = default;

Window::~Window() { DestroyHandle(); }

bool Window::RegisterClass(std::string_view className) {
    return platform::Get().RegisterWindowClass(className, &Window::SharedWindowProc);
}

bool Window::Create(std::string_view className, std::string_view caption, platform::WindowStyle style,
                    std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    platform::Platform& os = platform::Get();
    window_ = os.CreateWindow(className, caption, style, platform::Rect{x, y, width, height});
    if (!window_) return false;
    platform::Rect client = os.GetClientRect(window_);
    x_ = x;
    y_ = y;
    width_ = client.width;
    height_ = client.height;
    std::memset(caption_, 0, sizeof caption_);
    std::memcpy(caption_, caption.data(), caption.size() < sizeof caption_ ? caption.size() : sizeof caption_ - 1);
    os.SetWindowUserData(window_, this);
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
    if (window_ && platform::IsInstalled()) platform::Get().DestroyWindow(window_);
    window_ = 0;
}

void Window::Destroy() { DestroyHandle(); }

std::int32_t Window::DefaultHandler() { return platform::Get().DefaultWindowProc(window_, message_); }

bool Window::SetPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    bool ok = platform::Get().SetWindowPosition(window_, platform::ZOrder::Keep,
                                                platform::Rect{x, y, width, height});
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
    platform::Get().PostQuitMessage();
    return 0;
}

std::int32_t Window::OnClose() { return DefaultHandler(); }
std::int32_t Window::OnActivateApp(bool) { return DefaultHandler(); }
std::int32_t Window::OnMove(std::int32_t, std::int32_t) { return DefaultHandler(); }
std::int32_t Window::OnPaint() { return DefaultHandler(); }
std::int32_t Window::OnMouseMove(std::int32_t, std::int32_t) { return DefaultHandler(); }

std::int32_t Window::SharedWindowProc(platform::WindowId window, const platform::WindowMessage& message) {
    platform::Platform& os = platform::Get();
    auto* self = static_cast<Window*>(os.GetWindowUserData(window));
    if (!self) return os.DefaultWindowProc(window, message);
    self->message_ = message;
    switch (message.kind) {
        case platform::MessageKind::Destroy: return self->OnDestroy();
        case platform::MessageKind::Close: return self->OnClose();
        case platform::MessageKind::ActivateApp: return self->OnActivateApp(message.value == 1);
        case platform::MessageKind::Move: return self->OnMove(message.x, message.y);
        case platform::MessageKind::Paint: return self->OnPaint();
        case platform::MessageKind::MouseMove: return self->OnMouseMove(message.x, message.y);
        case platform::MessageKind::Quit: break;
    }
    return os.DefaultWindowProc(window, message);
}

}  // namespace kv
