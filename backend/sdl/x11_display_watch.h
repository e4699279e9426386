#pragma once
// Losing the X server (the session ends, the server dies) must end the game as the quit
// operation does, with the player's common data written. Xlib's own answer is to exit the process
// from inside whatever call noticed, which runs the exit-time destructors under the running sound
// threads and writes nothing. The watch takes that answer away: the connection is marked lost, a
// termination is requested, and the call that noticed returns.

struct SDL_Window;

namespace backend {

// Watches the X connection that the window lives on; nothing for other video drivers.
void WatchDisplayOf(SDL_Window* window);
// True once the display connection is gone: nothing may be asked of it any more.
bool DisplayLost();

}  // namespace backend
