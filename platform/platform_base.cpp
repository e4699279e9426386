#include "platform/platform_base.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <cstdio>
#include <vector>

#include "platform/path_resolver.h"
#include "platform/posix_file.h"

namespace platform {
namespace {
std::atomic<bool> g_terminationRequested{false};
}

PlatformBase::PlatformBase() = default;
PlatformBase::~PlatformBase() = default;

void PlatformBase::RequestTermination() { g_terminationRequested.store(true); }

// ---- files ----

std::string PlatformBase::NativePath(std::string_view path) { return ResolveEnginePath(path); }

std::unique_ptr<FileHandle> PlatformBase::OpenFile(std::string_view path, FileMode mode) {
    return OpenPosixFile(ResolveEnginePath(path), mode);
}

bool PlatformBase::IsRegularFile(std::string_view path) {
    std::string native = ResolveEnginePath(path);
    struct stat info;
    return !native.empty() && ::stat(native.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PlatformBase::IsDirectory(std::string_view path) {
    std::string native = ResolveEnginePath(path);
    struct stat info;
    return !native.empty() && ::stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PlatformBase::MakeDirectory(std::string_view path) {
    std::string native = ResolveEnginePath(path);
    return !native.empty() && ::mkdir(native.c_str(), 0755) == 0;
}

bool PlatformBase::RenameFile(std::string_view from, std::string_view to) {
    std::string source = ResolveEnginePath(from);
    std::string target = ResolveEnginePath(to);
    return !source.empty() && !target.empty() && std::rename(source.c_str(), target.c_str()) == 0;
}

bool PlatformBase::RemoveFile(std::string_view path) {
    std::string native = ResolveEnginePath(path);
    return !native.empty() && ::unlink(native.c_str()) == 0;
}

// ---- windows ----

bool PlatformBase::RegisterWindowClass(std::string_view className, WindowProc proc) {
    if (!proc || className.empty()) return false;
    return classes_.emplace(std::string(className), proc).second;
}

WindowId PlatformBase::CreateWindow(std::string_view className, std::string_view caption,
                                    WindowStyle style, Rect outer) {
    if (classes_.find(std::string(className)) == classes_.end()) return 0;
    WindowId id = nextWindow_++;
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

bool PlatformBase::DestroyWindow(WindowId window) {
    if (!FindWindow(window)) return false;
    DispatchMessage(WindowMessage{window, MessageKind::Destroy, 0, 0, 0});
    // The destroy handler may have destroyed the window itself.
    if (WindowRecord* record = FindWindow(window)) {
        OnWindowDestroyed(window, *record);
        windows_.erase(window);
        if (focus_ == window) focus_ = 0;
    }
    return true;
}

bool PlatformBase::IsWindow(WindowId window) { return FindWindow(window) != nullptr; }

PlatformBase::WindowRecord* PlatformBase::FindWindow(WindowId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

void PlatformBase::SetWindowUserData(WindowId window, void* data) {
    if (WindowRecord* record = FindWindow(window)) record->userData = data;
}

void* PlatformBase::GetWindowUserData(WindowId window) {
    WindowRecord* record = FindWindow(window);
    return record ? record->userData : nullptr;
}

void PlatformBase::SetWindowStyle(WindowId window, WindowStyle style) {
    if (WindowRecord* record = FindWindow(window)) {
        record->style = style;
        OnWindowChanged(window, *record, WindowChange::Style);
    }
}

bool PlatformBase::SetWindowPosition(WindowId window, ZOrder, Rect outer) {
    WindowRecord* record = FindWindow(window);
    if (!record) return false;
    record->outer = outer;
    OnWindowChanged(window, *record, WindowChange::Position);
    return true;
}

void PlatformBase::SetWindowCaption(WindowId window, std::string_view caption) {
    if (WindowRecord* record = FindWindow(window)) {
        record->caption = std::string(caption);
        OnWindowChanged(window, *record, WindowChange::Caption);
    }
}

std::string PlatformBase::GetWindowCaption(WindowId window) {
    WindowRecord* record = FindWindow(window);
    return record ? record->caption : std::string();
}

Rect PlatformBase::OuterRectForClient(WindowStyle style, std::int32_t clientWidth,
                                      std::int32_t clientHeight) {
    if (style == WindowStyle::FullScreen) return Rect{0, 0, clientWidth, clientHeight};
    return Rect{-kFrameBorder, -(kFrameBorder + kCaptionHeight), clientWidth + 2 * kFrameBorder,
                clientHeight + 2 * kFrameBorder + kCaptionHeight};
}

Rect PlatformBase::GetClientRect(WindowId window) {
    WindowRecord* record = FindWindow(window);
    if (!record) return Rect{};
    if (record->style == WindowStyle::FullScreen) {
        Rect desktop = DesktopRect();
        return Rect{0, 0, desktop.width, desktop.height};
    }
    Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
    return Rect{0, 0, record->outer.width - frame.width, record->outer.height - frame.height};
}

Rect PlatformBase::ClientOrigin(WindowId window) {
    WindowRecord* record = FindWindow(window);
    if (!record) return Rect{};
    if (record->style == WindowStyle::FullScreen) return Rect{};
    Rect frame = OuterRectForClient(WindowStyle::Framed, 0, 0);
    return Rect{record->outer.x - frame.x, record->outer.y - frame.y, 0, 0};
}

// ---- keyboard and mouse ----

bool PlatformBase::HasInputFocus(WindowId window) { return window != 0 && window == focus_ && FindWindow(window); }

bool PlatformBase::ReadKeyboard(WindowId window, std::uint8_t keys[256]) {
    if (!HasInputFocus(window)) return false;
    std::copy(std::begin(keys_), std::end(keys_), keys);
    return true;
}

bool PlatformBase::ReadMouse(WindowId window, MouseSnapshot& mouse) {
    if (!HasInputFocus(window)) return false;
    std::copy(std::begin(buttons_), std::end(buttons_), mouse.buttons);
    mouse.wheel = wheel_;
    wheel_ = 0;
    return true;
}

void PlatformBase::ReleaseAllInput() {
    std::fill(std::begin(keys_), std::end(keys_), 0);
    std::fill(std::begin(buttons_), std::end(buttons_), 0);
    wheel_ = 0;
}

// ---- message queue ----

bool PlatformBase::PeekMessage(WindowMessage& message) {
    if (g_terminationRequested.exchange(false)) {
        std::vector<WindowId> ids;
        for (const auto& entry : windows_) ids.push_back(entry.first);
        for (WindowId id : ids) DestroyWindow(id);
        if (ids.empty()) PostQuitMessage();
    }
    PumpSystemEvents();
    if (queue_.empty()) return false;
    message = queue_.front();
    queue_.pop_front();
    return true;
}

void PlatformBase::PostMessage(const WindowMessage& message) {
    // The window that was last activated is the one whose keyboard and mouse we read.
    if (message.kind == MessageKind::ActivateApp) {
        if (message.value == 1) {
            focus_ = message.window;
        } else if (focus_ == message.window) {
            focus_ = 0;
            ReleaseAllInput();
        }
    }
    queue_.push_back(message);
}

void PlatformBase::PostQuitMessage() { queue_.push_back(WindowMessage{0, MessageKind::Quit, 0, 0, 0}); }

std::int32_t PlatformBase::DispatchMessage(const WindowMessage& message) {
    if (message.kind == MessageKind::Quit) return 0;
    WindowRecord* record = FindWindow(message.window);
    if (!record) return 0;
    auto it = classes_.find(record->className);
    if (it == classes_.end()) return 0;
    return it->second(message.window, message);
}

std::int32_t PlatformBase::DefaultWindowProc(WindowId window, const WindowMessage& message) {
    if (message.kind == MessageKind::Close) DestroyWindow(window);
    return 0;
}

}  // namespace platform
