#include "backend/window_table.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace backend {

WindowTable::WindowTable(EventQueue& events, BuiltInPictures pictures) : events_(events), pictures_(pictures) {}
WindowTable::~WindowTable() = default;

bool WindowTable::RegisterWindowClass(std::string_view className, WindowProc proc, std::string_view iconName) {
    if (!proc || className.empty()) return false;
    WindowClass windowClass{proc, std::string(iconName), nullptr};
    if (!iconName.empty()) {
        auto named = std::find_if(pictures_.begin(), pictures_.end(),
                                  [&](const BuiltInPicture& picture) { return picture.name == iconName; });
        if (named != pictures_.end()) windowClass.icon = &*named;
    }
    return classes_.emplace(std::string(className), std::move(windowClass)).second;
}

const WindowTable::WindowClass* WindowTable::ClassOf(WindowId window) {
    WindowRecord* record = FindWindow(window);
    if (!record) return nullptr;
    auto it = classes_.find(record->className);
    return it == classes_.end() ? nullptr : &it->second;
}

WindowId WindowTable::CreateWindow(std::string_view className, std::string_view caption, WindowStyle style,
                                   Rect outer) {
    if (classes_.find(std::string(className)) == classes_.end()) return 0;
    const WindowId id = nextWindow_++;
    WindowRecord record;
    record.className = std::string(className);
    record.caption = std::string(caption);
    record.style = style;
    record.outer = outer;
    auto [it, inserted] = windows_.emplace(id, std::move(record));
    if (!OnWindowCreated(id, it->second)) {
        windows_.erase(it);
        return 0;
    }
    return id;
}

bool WindowTable::DestroyWindow(WindowId window) {
    if (!FindWindow(window)) return false;
    DispatchMessage(WindowMessage{window, MessageKind::Destroy, 0, 0, 0});
    // The destroy handler may have destroyed the window itself.
    if (WindowRecord* record = FindWindow(window)) {
        OnWindowDestroyed(window, *record);
        windows_.erase(window);
        std::lock_guard<std::mutex> lock(inputMutex_);
        if (focus_ == window) focus_ = 0;
    }
    return true;
}

namespace {

// A picture of another size than the client area starts again, black.
void FitToClient(WindowTable::ShownPicture& shown, Rect client) {
    const std::int32_t width = std::max(client.width, 0);
    const std::int32_t height = std::max(client.height, 0);
    if (shown.width == width && shown.height == height) return;
    shown.width = width;
    shown.height = height;
    shown.bgr.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u, 0);
}

}  // namespace

void WindowTable::RememberPresented(WindowId window, const PixelView& pixels, Rect area) {
    WindowRecord* record = FindWindow(window);
    if (!record || !pixels.bits) return;
    ShownPicture& shown = record->shown;
    FitToClient(shown, GetClientRect(window));
    const std::int32_t left = std::max(area.x, 0);
    const std::int32_t top = std::max(area.y, 0);
    const std::int32_t right = std::min({area.x + area.width, pixels.width, shown.width});
    const std::int32_t bottom = std::min({area.y + area.height, pixels.height, shown.height});
    if (right <= left || bottom <= top) return;
    for (std::int32_t y = top; y < bottom; ++y) {
        const std::int32_t memoryRow = pixels.bottomUp ? pixels.height - 1 - y : y;
        const std::uint8_t* source = pixels.bits + static_cast<std::ptrdiff_t>(memoryRow) * pixels.stride + left * 3;
        std::copy(source, source + static_cast<std::ptrdiff_t>(right - left) * 3,
                  shown.bgr.begin() + (static_cast<std::ptrdiff_t>(y) * shown.width + left) * 3);
    }
}

const WindowTable::ShownPicture* WindowTable::LastShown(WindowId window) {
    WindowRecord* record = FindWindow(window);
    if (!record) return nullptr;
    const Rect client = GetClientRect(window);
    if (client.width <= 0 || client.height <= 0) return nullptr;
    FitToClient(record->shown, client);
    return &record->shown;
}

WindowId WindowTable::HostForBox(WindowId owner) {
    if (const WindowRecord* record = FindWindow(owner); record && record->visible) return owner;
    for (const auto& [id, record] : windows_)
        if (record.visible) return id;
    return 0;
}

bool WindowTable::IsWindow(WindowId window) { return FindWindow(window) != nullptr; }

WindowTable::WindowRecord* WindowTable::FindWindow(WindowId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

void WindowTable::SetWindowUserData(WindowId window, void* data) {
    if (WindowRecord* record = FindWindow(window)) record->userData = data;
}

void* WindowTable::GetWindowUserData(WindowId window) {
    WindowRecord* record = FindWindow(window);
    return record ? record->userData : nullptr;
}

bool WindowTable::SetWindowStyle(WindowId window, WindowStyle style) {
    WindowRecord* record = FindWindow(window);
    if (!record) return false;
    record->style = style;
    OnWindowChanged(window, *record, WindowChange::Style);
    return record->style == style;
}

bool WindowTable::SetWindowPosition(WindowId window, ZOrder, Rect outer) {
    WindowRecord* record = FindWindow(window);
    if (!record) return false;
    record->outer = outer;
    OnWindowChanged(window, *record, WindowChange::Position);
    return true;
}

Rect WindowTable::GetWindowRect(WindowId window) {
    WindowRecord* record = FindWindow(window);
    return record ? record->outer : Rect{};
}

void WindowTable::SetWindowCaption(WindowId window, std::string_view caption) {
    if (WindowRecord* record = FindWindow(window)) {
        record->caption = std::string(caption);
        OnWindowChanged(window, *record, WindowChange::Caption);
    }
}

std::string WindowTable::GetWindowCaption(WindowId window) {
    WindowRecord* record = FindWindow(window);
    return record ? record->caption : std::string();
}

Rect WindowTable::OuterRectForClient(WindowStyle style, std::int32_t clientWidth, std::int32_t clientHeight) {
    if (style == WindowStyle::FullScreen) return Rect{0, 0, clientWidth, clientHeight};
    return Rect{-kFrameBorder, -(kFrameBorder + kCaptionHeight), clientWidth + 2 * kFrameBorder,
                clientHeight + 2 * kFrameBorder + kCaptionHeight};
}

Rect WindowTable::GetClientRect(WindowId window) {
    WindowRecord* record = FindWindow(window);
    if (!record) return Rect{};
    if (record->style == WindowStyle::FullScreen) {
        const Rect desktop = DesktopRect();
        return Rect{0, 0, desktop.width, desktop.height};
    }
    const Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
    return Rect{0, 0, record->outer.width - frame.width, record->outer.height - frame.height};
}

Rect WindowTable::ClientOrigin(WindowId window) {
    WindowRecord* record = FindWindow(window);
    if (!record) return Rect{};
    if (record->style == WindowStyle::FullScreen) return Rect{};
    const Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
    return Rect{record->outer.x - frame.x, record->outer.y - frame.y, 0, 0};
}

std::int32_t WindowTable::DispatchMessage(const WindowMessage& message) {
    if (message.kind == MessageKind::Quit) return 0;
    WindowRecord* record = FindWindow(message.window);
    if (!record) return 0;
    auto it = classes_.find(record->className);
    if (it == classes_.end()) return 0;
    return it->second.proc(message.window, message);
}

std::int32_t WindowTable::DefaultWindowProc(WindowId window, const WindowMessage& message) {
    if (message.kind == MessageKind::Close) {
        DestroyWindow(window);
        return 0;
    }
    auto handler = serviceHandlers_.find(message.kind);
    if (handler != serviceHandlers_.end()) return handler->second(window, message);
    return 0;
}

void WindowTable::SetServiceMessageHandler(MessageKind kind, ServiceMessageHandler handler) {
    if (handler)
        serviceHandlers_[kind] = std::move(handler);
    else
        serviceHandlers_.erase(kind);
}

// ---- keyboard, mouse and focus ----

bool WindowTable::HasInputFocus(WindowId window) {
    if (window == 0 || !FindWindow(window)) return false;
    std::lock_guard<std::mutex> lock(inputMutex_);
    return window == focus_;
}

bool WindowTable::ReadKeyboard(WindowId window, std::uint8_t keys[256]) {
    if (!HasInputFocus(window)) return false;
    std::lock_guard<std::mutex> lock(inputMutex_);
    for (int i = 0; i < 256; ++i) keys[i] = keys_[i] | keysPressedSinceRead_[i];
    std::fill(std::begin(keysPressedSinceRead_), std::end(keysPressedSinceRead_), 0);
    return true;
}

bool WindowTable::PeekKeyboard(WindowId window, std::uint8_t keys[256]) {
    if (!HasInputFocus(window)) return false;
    std::lock_guard<std::mutex> lock(inputMutex_);
    std::copy(std::begin(keys_), std::end(keys_), keys);
    return true;
}

bool WindowTable::ReadMouse(WindowId window, MouseSnapshot& mouse) {
    if (!HasInputFocus(window)) return false;
    std::lock_guard<std::mutex> lock(inputMutex_);
    for (int i = 0; i < 4; ++i) mouse.buttons[i] = buttons_[i] | buttonsPressedSinceRead_[i];
    std::fill(std::begin(buttonsPressedSinceRead_), std::end(buttonsPressedSinceRead_), 0);
    mouse.wheel = wheel_;
    wheel_ = 0;
    return true;
}

void WindowTable::SetKeyState(std::uint8_t code, bool down) {
    std::lock_guard<std::mutex> lock(inputMutex_);
    keys_[code] = down ? 0x80 : 0;
    if (down) keysPressedSinceRead_[code] = 0x80;
}

void WindowTable::SetButtonState(int button, bool down) {
    if (button < 0 || button >= 4) return;
    std::lock_guard<std::mutex> lock(inputMutex_);
    buttons_[button] = down ? 1 : 0;
    if (down) buttonsPressedSinceRead_[button] = 1;
}

void WindowTable::AddWheel(std::int32_t amount) {
    std::lock_guard<std::mutex> lock(inputMutex_);
    wheel_ += amount;
}

void WindowTable::ReleaseAllInputLocked() {
    std::fill(std::begin(keys_), std::end(keys_), 0);
    std::fill(std::begin(buttons_), std::end(buttons_), 0);
    std::fill(std::begin(keysPressedSinceRead_), std::end(keysPressedSinceRead_), 0);
    std::fill(std::begin(buttonsPressedSinceRead_), std::end(buttonsPressedSinceRead_), 0);
    wheel_ = 0;
}

void WindowTable::PostActivation(WindowId window, bool active) {
    {
        std::lock_guard<std::mutex> lock(inputMutex_);
        if (active) {
            focus_ = window;
        } else if (focus_ == window) {
            // What was held when the player switched away is not held any more.
            focus_ = 0;
            ReleaseAllInputLocked();
        }
    }
    events_.PostMessage(WindowMessage{window, MessageKind::ActivateApp, 0, 0, active ? 1u : 0u});
}

void WindowTable::HonourTerminationRequest() {
    if (!TakeTerminationRequest()) return;
    std::vector<WindowId> ids;
    for (const auto& entry : windows_) ids.push_back(entry.first);
    for (WindowId id : ids) DestroyWindow(id);
    if (ids.empty()) events_.PostQuitMessage();
}

}  // namespace backend
