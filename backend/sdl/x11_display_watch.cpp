#include "backend/sdl/x11_display_watch.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <atomic>

#include "backend/event_queue.h"

namespace backend {

namespace {

std::atomic<bool> g_displayLost{false};
Display* g_watchedDisplay = nullptr;

// Runs inside Xlib, possibly more than once: only the first time counts.
void NoteDisplayLost() {
    if (g_displayLost.exchange(true)) return;
    static const char kNote[] = "kvrebody: the display is gone; the game ends\n";
    [[maybe_unused]] const ssize_t written = ::write(2, kNote, sizeof kNote - 1);
    RequestTermination();
}

int OnConnectionBroken(Display*) {
    NoteDisplayLost();
    return 0;
}

// Returning from here, rather than exiting, lets Xlib's caller return: every later request on
// the connection fails at once.
void OnConnectionBrokenExit(Display*, void*) { NoteDisplayLost(); }

}  // namespace

void WatchDisplayOf(SDL_Window* window) {
    if (!window) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    if (!display || display == g_watchedDisplay) return;
    g_watchedDisplay = display;
    XSetIOErrorHandler(&OnConnectionBroken);
    XSetIOErrorExitHandler(display, &OnConnectionBrokenExit, nullptr);
}

bool DisplayLost() { return g_displayLost.load(); }

}  // namespace backend
