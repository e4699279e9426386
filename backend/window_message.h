#pragma once
// What the event queue carries: a message for one window (or for the loop itself).

#include <cstdint>

namespace backend {

using WindowId = std::uint32_t;  // 0 names no window

// An open set: a service that needs a new kind (text input, input-method composition, audio
// notifications, the end of a movie) adds it here and posts it; windows that do not handle a
// kind pass it to the default window procedure, so no backend has to learn about it.
enum class MessageKind : std::uint32_t {
    Destroy = 1,      // sent while the window is being destroyed
    Close = 2,        // the player asked to close the window
    ActivateApp = 3,  // value: 1 activated, 0 deactivated
    Move = 4,         // x, y: new client origin on the screen
    Paint = 5,        // the window's contents must be shown again
    MouseMove = 6,    // x, y: pointer in client coordinates (800x600 space)
    Quit = 7,         // posted by PostQuitMessage; window 0
    MoviePicture = 8, // value: the movie whose next picture is ready (the movie service shows it)
};

struct WindowMessage {
    WindowId window = 0;
    MessageKind kind = MessageKind::Paint;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t value = 0;
};

}  // namespace backend
