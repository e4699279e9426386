#pragma once
// The backend the tests run the real engine on: no display, a virtual clock, scripted messages
// and input, queued message-box answers with a log of every box shown, and captured frames.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/instance_lock.h"
#include "platform/platform_base.h"

namespace platform {

struct ShownMessageBox {
    WindowId owner = 0;
    std::string text;     // as the engine gave it (code page)
    std::string caption;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxAnswer answer = MessageBoxAnswer::Ok;
};

struct PresentedFrame {
    WindowId window = 0;
    Rect area;
    std::int32_t width = 0;   // of the whole picture presented from
    std::int32_t height = 0;
    std::vector<std::uint8_t> bgr;  // the whole picture, top row first, 3 bytes a pixel
};

struct HeadlessOptions {
    std::string gameFolder;          // native path of the folder the program "lies in"
    std::string moduleFileName = "kvrebody";  // the program's file name
    std::string lockName;            // lock file name suffix, so that tests can run in parallel
    std::int32_t desktopWidth = 1024;
    std::int32_t desktopHeight = 768;
    std::int32_t desktopBitsPerPixel = 32;
    std::uint32_t startTick = 0;     // the virtual millisecond clock's first value
    bool failWindowCreation = false;
    // A loop that sleeps this often without ending is stopped as if terminated (a test that
    // forgot to end the game must not hang); 0 disables the guard.
    std::uint64_t sleepLimit = 200000;
};

class HeadlessPlatform final : public PlatformBase {
public:
    explicit HeadlessPlatform(HeadlessOptions options);
    ~HeadlessPlatform() override;

    // ---- what the test controls ----
    void AdvanceClock(std::uint32_t milliseconds);
    // Answers for the next message boxes, in order. A box shown with no answer queued is
    // recorded as unexpected (see UnexpectedMessageBoxes) and answered as a closed box would be.
    void QueueMessageBoxAnswer(MessageBoxAnswer answer);
    const std::vector<ShownMessageBox>& MessageBoxes() const { return boxes_; }
    int UnexpectedMessageBoxes() const { return unexpectedBoxes_; }
    void ClearMessageBoxes() { boxes_.clear(); unexpectedBoxes_ = 0; }
    // Messages that the next PeekMessage pumps "from the operating system".
    void QueueSystemMessage(const WindowMessage& message);
    // Like a click on the close box of the first window.
    void RequestClose();
    // Keyboard and mouse changes, taking effect at the next pump of events, in order.
    void QueueKey(std::uint8_t code, bool down);
    void QueueMouseButton(int button, bool down);
    void QueueWheel(std::int32_t amount);
    const std::vector<PresentedFrame>& Frames() const { return frames_; }
    void ClearFrames() { frames_.clear(); }
    std::uint64_t SleepCalls() const { return sleepCalls_; }
    bool SleepLimitReached() const { return sleepLimitReached_; }
    // Called at every Sleep, after the clock has moved: where a test acts "while the game runs".
    void SetSleepHook(std::function<void(HeadlessPlatform&)> hook) { sleepHook_ = std::move(hook); }
    // Every message handed to DispatchMessage, in order.
    const std::vector<WindowMessage>& Dispatched() const { return dispatched_; }

    // ---- Platform ----
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
    std::int32_t DispatchMessage(const WindowMessage& message) override;

protected:
    void PumpSystemEvents() override;
    bool OnWindowCreated(WindowId id, WindowRecord& record) override;

private:
    HeadlessOptions options_;
    std::uint64_t virtualMicros_ = 0;
    std::deque<MessageBoxAnswer> answers_;
    std::vector<ShownMessageBox> boxes_;
    int unexpectedBoxes_ = 0;
    struct InputChange {
        enum class Kind : std::uint8_t { Key, Button, Wheel } kind;
        std::int32_t which;
        std::int32_t value;
    };
    std::deque<WindowMessage> systemMessages_;
    std::vector<InputChange> inputChanges_;
    std::vector<PresentedFrame> frames_;
    std::uint64_t sleepCalls_ = 0;
    bool sleepLimitReached_ = false;
    std::function<void(HeadlessPlatform&)> sleepHook_;
    std::vector<WindowMessage> dispatched_;
    InstanceLock lock_;
};

}  // namespace platform
