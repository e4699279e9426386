#pragma once
// The one door between the engine and the operating system. Engine code calls only this
// interface; the SDL backend (platform/sdl) serves the programs and the headless backend
// (platform/headless) serves the tests. Texts cross it in the build's code page; paths are
// the engine's own '\'-separated code-page paths and are resolved by the backend.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using WindowId = std::uint32_t;  // 0 names no window

enum class MessageKind : std::uint32_t {
    Destroy,      // sent while the window is being destroyed
    Close,        // the player asked to close the window
    ActivateApp,  // value: 1 activated, 0 deactivated
    Move,         // x, y: new client origin on the screen
    Paint,        // the window's contents must be shown again
    MouseMove,    // x, y: pointer in client coordinates (800x600 space)
    Quit,         // posted by PostQuitMessage; window 0
};

struct WindowMessage {
    WindowId window = 0;
    MessageKind kind = MessageKind::Paint;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t value = 0;
};

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

enum class MessageBoxButtons : std::uint8_t { Ok, YesNo };
enum class MessageBoxAnswer : std::uint8_t { Ok, Yes, No };

struct LocalTime {
    int year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

enum class FileMode : std::uint8_t {
    Read,       // existing file, reading
    Write,      // create or truncate, writing
    ReadWrite,  // existing file, reading and writing
};

class FileHandle {
public:
    virtual ~FileHandle() = default;
    // Returns the number of bytes read or written; fewer than asked means end of file or error.
    virtual std::size_t Read(void* buffer, std::size_t bytes) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t bytes) = 0;
    virtual bool Seek(std::int64_t offset) = 0;  // from the start
    virtual std::int64_t Tell() = 0;
    virtual std::int64_t Size() = 0;
    virtual bool Flush() = 0;  // pushes written data to the disk
};

class Platform {
public:
    virtual ~Platform() = default;

    // ---- process ----
    // The program's own folder in the build's code page, '\'-separated, with a trailing '\'.
    virtual std::string ModuleFolder() = 0;
    // The program's file name without a trailing ".exe".
    virtual std::string ModuleBaseName() = 0;
    // Single-instance guard: false when another running program holds the lock.
    virtual bool AcquireInstanceLock(std::string_view name) = 0;
    virtual void ReleaseInstanceLock() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Milliseconds since an arbitrary start; wraps at 2^32.
    virtual std::uint32_t TickCount() = 0;
    virtual std::int64_t PerformanceCounter() = 0;
    virtual std::int64_t PerformanceFrequency() = 0;  // 0 when there is no such counter
    virtual std::int64_t SecondsSinceEpoch() = 0;
    virtual LocalTime Now() = 0;

    // ---- files (engine paths: code page, '\'-separated, matched without regard to case) ----
    virtual std::unique_ptr<FileHandle> OpenFile(std::string_view path, FileMode mode) = 0;
    virtual bool IsRegularFile(std::string_view path) = 0;
    virtual bool IsDirectory(std::string_view path) = 0;
    virtual bool MakeDirectory(std::string_view path) = 0;
    // Replaces the target when it exists.
    virtual bool RenameFile(std::string_view from, std::string_view to) = 0;
    virtual bool RemoveFile(std::string_view path) = 0;
    // The real path an engine path stands for ("" when it cannot be converted).
    virtual std::string NativePath(std::string_view path) = 0;

    // ---- windows ----
    virtual bool RegisterWindowClass(std::string_view className, WindowProc proc) = 0;
    // Creates a hidden window; 0 on failure. Width and height are the outer size.
    virtual WindowId CreateWindow(std::string_view className, std::string_view caption,
                                  WindowStyle style, Rect outer) = 0;
    // Sends Destroy to the window procedure, then forgets the window.
    virtual bool DestroyWindow(WindowId window) = 0;
    virtual bool IsWindow(WindowId window) = 0;
    virtual void SetWindowUserData(WindowId window, void* data) = 0;
    virtual void* GetWindowUserData(WindowId window) = 0;
    virtual void ShowWindow(WindowId window) = 0;
    virtual void SetForegroundWindow(WindowId window) = 0;
    virtual void SetWindowStyle(WindowId window, WindowStyle style) = 0;
    virtual bool SetWindowPosition(WindowId window, ZOrder order, Rect outer) = 0;
    virtual void SetWindowCaption(WindowId window, std::string_view caption) = 0;
    virtual std::string GetWindowCaption(WindowId window) = 0;
    virtual Rect GetClientRect(WindowId window) = 0;  // x and y are 0
    // Screen position of the client area's top-left corner.
    virtual Rect ClientOrigin(WindowId window) = 0;
    // Outer size of a window whose client area is clientWidth x clientHeight.
    virtual Rect OuterRectForClient(WindowStyle style, std::int32_t clientWidth,
                                    std::int32_t clientHeight) = 0;
    virtual Rect DesktopRect() = 0;
    virtual std::int32_t DesktopBitsPerPixel() = 0;
    // Shows pixels in the client area; area is in the pixels' coordinates (the window's
    // client space). Never waits for the display's refresh.
    virtual void Present(WindowId window, const PixelView& pixels, Rect area) = 0;

    // ---- message queue ----
    // Moves pending operating-system events into the queue, then takes the oldest message.
    virtual bool PeekMessage(WindowMessage& message) = 0;
    virtual void PostMessage(const WindowMessage& message) = 0;
    // Calls the window procedure of the message's window; a Quit message goes nowhere.
    virtual std::int32_t DispatchMessage(const WindowMessage& message) = 0;
    virtual void PostQuitMessage() = 0;
    // What a window procedure does with a message it does not handle itself.
    virtual std::int32_t DefaultWindowProc(WindowId window, const WindowMessage& message) = 0;

    // ---- keyboard and mouse ----
    // Key states are indexed by the engine's key codes (Return 0x1C, Esc 0x01, Space 0x39,
    // Left Ctrl 0x1D, ...; see platform/key_codes.h), bit 7 set while down. The state changes
    // only when events are pumped, so two reads between two pumps are equal. Reads fail while
    // the window is not the one in front.
    virtual bool HasInputFocus(WindowId window) = 0;
    virtual bool ReadKeyboard(WindowId window, std::uint8_t keys[256]) = 0;
    virtual bool ReadMouse(WindowId window, MouseSnapshot& mouse) = 0;

    // ---- message boxes (texts in the build's code page) ----
    virtual MessageBoxAnswer ShowMessageBox(WindowId owner, std::string_view text,
                                            std::string_view caption,
                                            MessageBoxButtons buttons) = 0;
};

// The backend in use. Install it before anything else runs; Get() is valid until Uninstall().
void Install(std::unique_ptr<Platform> backend);
void Uninstall();
Platform& Get();
bool IsInstalled();

// The backend of the real programs (defined by the SDL backend, which only they link).
std::unique_ptr<Platform> CreateNativeBackend();

}  // namespace platform

namespace platform {

// Reads exactly size bytes from the file's position into out; false when the file ends or fails
// first, or the size is negative.
bool ReadExactly(FileHandle& file, std::int64_t size, std::vector<std::uint8_t>& out);

}  // namespace platform
