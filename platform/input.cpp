#include "platform/input.h"

#include <algorithm>
#include <iterator>

#include "backend/hub.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/key_codes.h"

namespace kv {

Input::Input() = default;

Input::~Input() {
    Release();
    ClearState();
}

void Input::ClearState() {
    std::fill(std::begin(previousKeys_), std::end(previousKeys_), 0);
    std::fill(std::begin(keys_), std::end(keys_), 0);
    std::fill(std::begin(previousButtons_), std::end(previousButtons_), 0);
    std::fill(std::begin(buttons_), std::end(buttons_), 0);
    previousWheel_ = 0;
    wheel_ = 0;
}

int Input::Create(backend::WindowId window) {
    // A failed attempt leaves its devices behind; the next attempt must not pile up more.
    Release();
    backend::WindowService& windows = backend::Get().Windows();

    directInputMade_ = true;                                // 1: the input object
    keyboardMade_ = true;                                   // 2-3: keyboard device and format
    if (window == 0 || !windows.IsWindow(window)) return 4;      // 4: bound to the game window
    window_ = window;
    if (AcquireKeyboard() != kInputOk) return 5;            // 5: only the window in front gets it
    mouseMade_ = true;                                      // 6-10: mouse device, relative axes
    AcquireMouse();                                         // 11: not tested
    return 0;
}

void Input::Release() {
    if (keyboardMade_) UnacquireKeyboard();
    if (mouseMade_) UnacquireMouse();
    keyboardMade_ = false;
    mouseMade_ = false;
    directInputMade_ = false;
    window_ = 0;
}

void Input::Reset() {
    directInputMade_ = keyboardMade_ = mouseMade_ = false;
    keyboardAcquired_ = mouseAcquired_ = false;
    window_ = 0;
    ClearState();
}

std::int32_t Input::AcquireKeyboard() {
    if (!keyboardMade_) return kInputErrNotInitialized;
    if (!backend::Get().Windows().HasInputFocus(window_)) return kInputErrOtherAppHasPriority;
    keyboardAcquired_ = true;
    return kInputOk;
}

std::int32_t Input::AcquireMouse() {
    if (!mouseMade_) return kInputErrNotInitialized;
    if (!backend::Get().Windows().HasInputFocus(window_)) return kInputErrOtherAppHasPriority;
    mouseAcquired_ = true;
    return kInputOk;
}

void Input::UnacquireKeyboard() { keyboardAcquired_ = false; }
void Input::UnacquireMouse() { mouseAcquired_ = false; }

std::int32_t Input::ReadKeyboardInto(std::uint8_t keys[256]) {
    if (!keyboardMade_) return kInputErrNotInitialized;
    if (!keyboardAcquired_) return kInputErrNotAcquired;
    if (!backend::Get().Windows().ReadKeyboard(window_, keys)) {
        keyboardAcquired_ = false;
        return kInputErrInputLost;
    }
    return kInputOk;
}

std::int32_t Input::ReadMouseInto(backend::MouseSnapshot& mouse) {
    if (!mouseMade_) return kInputErrNotInitialized;
    if (!mouseAcquired_) return kInputErrNotAcquired;
    if (!backend::Get().Windows().ReadMouse(window_, mouse)) {
        mouseAcquired_ = false;
        return kInputErrInputLost;
    }
    return kInputOk;
}

std::int32_t Input::UpdateKeyboard(bool keepPrevious) {
    if (keepPrevious) std::copy(std::begin(keys_), std::end(keys_), previousKeys_);
    // Read into a scratch array: a failed read must not leave a half-written snapshot.
    std::uint8_t fresh[256];
    std::int32_t result = ReadKeyboardInto(fresh);
    if (result == kInputErrInputLost || result == kInputErrNotAcquired) {
        std::int32_t acquired = AcquireKeyboard();
        if (acquired != kInputOk) return acquired;
        result = ReadKeyboardInto(fresh);
    }
    if (result == kInputOk) std::copy(std::begin(fresh), std::end(fresh), keys_);
    return result;
}

void Input::UpdateMouse(bool reacquire) {
    backend::MouseSnapshot fresh;
    std::int32_t result = ReadMouseInto(fresh);
    if (reacquire && (result == kInputErrInputLost || result == kInputErrNotAcquired)) {
        if (AcquireMouse() == kInputOk) result = ReadMouseInto(fresh);
    }
    previousWheel_ = wheel_;
    std::copy(std::begin(buttons_), std::end(buttons_), previousButtons_);
    if (result != kInputOk) {
        // No reading: the buttons stand as they were and the wheel did not move.
        wheel_ = 0;
        return;
    }
    wheel_ = fresh.wheel;
    for (int i = 0; i < 4; ++i) buttons_[i] = fresh.buttons[i] != 0 ? 1 : 0;
}

bool Input::PeekCtrlHeld() {
    std::uint8_t now[256];
    if (!keyboardAcquired_ || !backend::Get().Windows().PeekKeyboard(window_, now)) return false;
    return ((now[key::LeftControl] | now[key::RightControl]) & 0x80) != 0;
}

void RefreshInput() {
    if (!g_input) return;
    g_input->UpdateKeyboard(true);
    g_input->UpdateMouse(g_mainWindow != nullptr && g_mainWindow->IsActive());
}

bool IsDecidePressed() {
    if (!g_input) return false;
    const Input& input = *g_input;
    return input.KeyReleased(key::Return) || input.KeyReleased(key::NumpadEnter) ||
           input.KeyReleased(key::LeftShift) || input.KeyReleased(key::RightShift) ||
           input.ButtonReleased(0);
}

bool IsCtrlHeld() {
    if (!g_input) return false;
    return g_input->KeyDown(key::LeftControl) || g_input->KeyDown(key::RightControl);
}

bool IsCtrlHeldNow() { return g_input != nullptr && g_input->PeekCtrlHeld(); }

}  // namespace kv
