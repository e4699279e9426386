#include "platform/headless/headless_platform.h"

#include <algorithm>

#include "platform/path_resolver.h"

namespace platform {

HeadlessPlatform::HeadlessPlatform(HeadlessOptions options) : options_(std::move(options)) {
    virtualMicros_ = static_cast<std::uint64_t>(options_.startTick) * 1000u;
}

HeadlessPlatform::~HeadlessPlatform() = default;

void HeadlessPlatform::AdvanceClock(std::uint32_t milliseconds) {
    virtualMicros_ += static_cast<std::uint64_t>(milliseconds) * 1000u;
}

void HeadlessPlatform::QueueMessageBoxAnswer(MessageBoxAnswer answer) { answers_.push_back(answer); }

void HeadlessPlatform::QueueSystemMessage(const WindowMessage& message) {
    systemMessages_.push_back(message);
}

void HeadlessPlatform::RequestClose() {
    if (!Windows().empty())
        QueueSystemMessage(WindowMessage{Windows().begin()->first, MessageKind::Close, 0, 0, 0});
}

std::string HeadlessPlatform::ModuleFolder() { return EngineFolderFromNative(options_.gameFolder); }

std::string HeadlessPlatform::ModuleBaseName() {
    std::string name = options_.moduleFileName;
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
    return name;
}

bool HeadlessPlatform::AcquireInstanceLock(std::string_view name) {
    std::string full(name);
    if (!options_.lockName.empty()) full += "." + options_.lockName;
    return lock_.Acquire(full);
}

void HeadlessPlatform::ReleaseInstanceLock() { lock_.Release(); }

void HeadlessPlatform::Sleep(std::uint32_t milliseconds) {
    ++sleepCalls_;
    AdvanceClock(milliseconds);
    if (sleepHook_) sleepHook_(*this);
    if (options_.sleepLimit != 0 && sleepCalls_ == options_.sleepLimit) {
        sleepLimitReached_ = true;
        RequestTermination();
    }
}

std::int32_t HeadlessPlatform::DispatchMessage(const WindowMessage& message) {
    dispatched_.push_back(message);
    return PlatformBase::DispatchMessage(message);
}

bool HeadlessPlatform::OnWindowCreated(WindowId, WindowRecord&) { return !options_.failWindowCreation; }

std::uint32_t HeadlessPlatform::TickCount() {
    return static_cast<std::uint32_t>(virtualMicros_ / 1000u);
}

std::int64_t HeadlessPlatform::PerformanceCounter() { return static_cast<std::int64_t>(virtualMicros_); }

std::int64_t HeadlessPlatform::PerformanceFrequency() { return 1000000; }

std::int64_t HeadlessPlatform::SecondsSinceEpoch() {
    // A fixed date (2026-01-01) plus the virtual clock keeps runs reproducible.
    return 1767225600 + static_cast<std::int64_t>(virtualMicros_ / 1000000u);
}

LocalTime HeadlessPlatform::Now() {
    std::uint64_t ms = virtualMicros_ / 1000u;
    LocalTime t{};
    t.year = 2026;
    t.month = 1;
    t.day = 1;
    t.dayOfWeek = 4;
    t.hour = static_cast<int>((ms / 3600000u) % 24u);
    t.minute = static_cast<int>((ms / 60000u) % 60u);
    t.second = static_cast<int>((ms / 1000u) % 60u);
    t.milliseconds = static_cast<int>(ms % 1000u);
    return t;
}

void HeadlessPlatform::ShowWindow(WindowId window) {
    WindowRecord* record = FindWindow(window);
    if (!record || record->visible) return;
    record->visible = true;
    // With no display there is no focus to wait for: a shown window is the active one.
    PostMessage(WindowMessage{window, MessageKind::ActivateApp, 0, 0, 1});
}

void HeadlessPlatform::SetForegroundWindow(WindowId) {}

Rect HeadlessPlatform::DesktopRect() { return Rect{0, 0, options_.desktopWidth, options_.desktopHeight}; }

std::int32_t HeadlessPlatform::DesktopBitsPerPixel() { return options_.desktopBitsPerPixel; }

void HeadlessPlatform::Present(WindowId window, const PixelView& pixels, Rect area) {
    if (!FindWindow(window) || !pixels.bits || pixels.width <= 0 || pixels.height <= 0) return;
    PresentedFrame frame;
    frame.window = window;
    frame.width = pixels.width;
    frame.height = pixels.height;
    std::int32_t left = std::max(area.x, 0), top = std::max(area.y, 0);
    std::int32_t right = std::min(area.x + area.width, pixels.width);
    std::int32_t bottom = std::min(area.y + area.height, pixels.height);
    frame.area = Rect{left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
    std::size_t rowBytes = static_cast<std::size_t>(pixels.width) * 3u;
    frame.bgr.resize(rowBytes * static_cast<std::size_t>(pixels.height));
    for (std::int32_t y = 0; y < pixels.height; ++y) {
        std::int32_t memoryRow = pixels.bottomUp ? pixels.height - 1 - y : y;
        const std::uint8_t* source = pixels.bits + static_cast<std::ptrdiff_t>(memoryRow) * pixels.stride;
        std::copy(source, source + rowBytes, frame.bgr.begin() + static_cast<std::ptrdiff_t>(rowBytes) * y);
    }
    frames_.push_back(std::move(frame));
}

MessageBoxAnswer HeadlessPlatform::ShowMessageBox(WindowId owner, std::string_view text,
                                                  std::string_view caption, MessageBoxButtons buttons) {
    ShownMessageBox box{owner, std::string(text), std::string(caption), buttons, MessageBoxAnswer::Ok};
    if (!answers_.empty()) {
        box.answer = answers_.front();
        answers_.pop_front();
    } else {
        ++unexpectedBoxes_;
        box.answer = buttons == MessageBoxButtons::YesNo ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
    }
    boxes_.push_back(box);
    return box.answer;
}

void HeadlessPlatform::QueueKey(std::uint8_t code, bool down) {
    inputChanges_.push_back({InputChange::Kind::Key, code, down ? 1 : 0});
}

void HeadlessPlatform::QueueMouseButton(int button, bool down) {
    inputChanges_.push_back({InputChange::Kind::Button, button, down ? 1 : 0});
}

void HeadlessPlatform::QueueWheel(std::int32_t amount) {
    inputChanges_.push_back({InputChange::Kind::Wheel, 0, amount});
}

void HeadlessPlatform::PumpSystemEvents() {
    for (const InputChange& change : inputChanges_) {
        switch (change.kind) {
            case InputChange::Kind::Key: SetKeyState(static_cast<std::uint8_t>(change.which), change.value != 0); break;
            case InputChange::Kind::Button: SetButtonState(change.which, change.value != 0); break;
            case InputChange::Kind::Wheel: AddWheel(change.value); break;
        }
    }
    inputChanges_.clear();
    while (!systemMessages_.empty()) {
        PostMessage(systemMessages_.front());
        systemMessages_.pop_front();
    }
}

}  // namespace platform
