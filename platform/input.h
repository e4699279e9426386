#pragma once
// Keyboard and mouse as the engine polls them: two snapshots of each (previous and current), so
// that callers find press and release edges by comparing them. Keys are indexed by the engine's
// key codes (platform/key_codes.h), bit 7 set while down; the mouse gives four buttons and the
// wheel movement, the pointer position comes from the game window. The script makes the one
// Input object (operation 126); until then everything that reads input sees nothing pressed.

#include <cstdint>

#include "backend/window_message.h"
#include "backend/window_service.h"

namespace kv {

// Results of the reads and of acquiring a device, in the values the scripts' engine always used.
inline constexpr std::int32_t kInputOk = 0;
inline constexpr std::int32_t kInputErrOtherAppHasPriority = static_cast<std::int32_t>(0x80070005u);
inline constexpr std::int32_t kInputErrNotAcquired = static_cast<std::int32_t>(0x8007000Cu);
inline constexpr std::int32_t kInputErrNotInitialized = static_cast<std::int32_t>(0x80070015u);
inline constexpr std::int32_t kInputErrInputLost = static_cast<std::int32_t>(0x8007001Eu);

class Input {
public:
    Input();
    // Releases whatever devices were made.
    virtual ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // Makes the keyboard and mouse devices for the window. 0 on success, else the number of the
    // step that failed: 4 the window does not exist, 5 the keyboard cannot be acquired (the window
    // is not in front). Whatever an earlier attempt made is released first.
    int Create(backend::WindowId window);
    // Unacquires and releases the devices that were made; the object stays usable for Create.
    void Release();
    // Forgets the devices and clears both snapshots without releasing anything.
    void Reset();

    // Window activation: devices follow the window in front. Results as the reads give them.
    std::int32_t AcquireKeyboard();
    std::int32_t AcquireMouse();
    void UnacquireKeyboard();
    void UnacquireMouse();

    // Reads the keyboard; keepPrevious first moves the current snapshot into the previous one.
    // A lost or unacquired device is acquired again and read once more. A failed read leaves
    // the current snapshot as it was.
    std::int32_t UpdateKeyboard(bool keepPrevious);
    // Reads the mouse; the current buttons and wheel always become the previous ones. With
    // reacquire a lost device is acquired again and read once more. A failed read keeps the
    // buttons as they were and counts no wheel movement.
    void UpdateMouse(bool reacquire);

    bool KeyDown(std::uint8_t code) const { return (keys_[code] & 0x80) != 0; }
    bool PreviousKeyDown(std::uint8_t code) const { return (previousKeys_[code] & 0x80) != 0; }
    // Down in the previous snapshot and up in the current one.
    bool KeyReleased(std::uint8_t code) const { return PreviousKeyDown(code) && !KeyDown(code); }
    bool KeyPressed(std::uint8_t code) const { return !PreviousKeyDown(code) && KeyDown(code); }
    // Buttons: 0 left, 1 right, 2 middle, 3 fourth; others are never down.
    bool ButtonDown(int button) const { return ValidButton(button) && buttons_[button] != 0; }
    bool PreviousButtonDown(int button) const { return ValidButton(button) && previousButtons_[button] != 0; }
    bool ButtonReleased(int button) const { return PreviousButtonDown(button) && !ButtonDown(button); }
    bool ButtonPressed(int button) const { return !PreviousButtonDown(button) && ButtonDown(button); }
    std::int32_t Wheel() const { return wheel_; }
    std::int32_t PreviousWheel() const { return previousWheel_; }
    const std::uint8_t* Keys() const { return keys_; }
    const std::uint8_t* PreviousKeys() const { return previousKeys_; }

    // Whether either Ctrl key is down now; the snapshots stay as they are.
    bool PeekCtrlHeld();

    bool IsCreated() const { return directInputMade_; }
    bool KeyboardAcquired() const { return keyboardAcquired_; }
    bool MouseAcquired() const { return mouseAcquired_; }
    backend::WindowId Window() const { return window_; }

private:
    static bool ValidButton(int button) { return button >= 0 && button < 4; }
    void ClearState();
    std::int32_t ReadKeyboardInto(std::uint8_t keys[256]);
    std::int32_t ReadMouseInto(backend::MouseSnapshot& mouse);

    // What Create has made; only these are released.
    bool directInputMade_ = false;
    bool keyboardMade_ = false;
    bool mouseMade_ = false;
    bool keyboardAcquired_ = false;
    bool mouseAcquired_ = false;
    backend::WindowId window_ = 0;

    std::uint8_t previousKeys_[256] = {};
    std::uint8_t keys_[256] = {};
    std::int32_t previousWheel_ = 0;
    std::uint8_t previousButtons_[4] = {};
    std::int32_t wheel_ = 0;
    std::uint8_t buttons_[4] = {};
};

// "Read the input", as the per-frame work and the waits do it: the keyboard keeping the previous
// snapshot, then the mouse, re-acquired while the game window is active. Nothing without an
// Input object.
void RefreshInput();

// A decide key (Return, numeric-pad Enter, either Shift) or the left button was released between
// the last two reads. Presses do not count. False without an Input object.
bool IsDecidePressed();
// Either Ctrl key is down in the current snapshot (a level, not an edge). False without an
// Input object.
bool IsCtrlHeld();
// Either Ctrl key is down now, asked of the keyboard without moving the snapshots or taking a
// key tapped since the last read: for a frame whose operation reads the input after this. False
// without an Input object or while the keyboard cannot be read.
bool IsCtrlHeldNow();

}  // namespace kv
