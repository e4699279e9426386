#include "backend/sdl/sdl_events.h"

#include <SDL.h>

#include "backend/sdl/sdl_key_map.h"
#include "backend/sdl/sdl_windows.h"

namespace backend {

namespace {

int ButtonIndex(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        case SDL_BUTTON_X1: return 3;
        default: return -1;
    }
}

}  // namespace

void SdlEvents::PumpSystemEvents() {
    if (!windows_) return;
    SdlWindows& windows = *windows_;
    windows.HonourTerminationRequest();
    if (!windows.VideoReady()) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_WINDOWEVENT: {
                const WindowId id = windows.FindId(event.window.windowID);
                if (!id) break;
                switch (event.window.event) {
                    case SDL_WINDOWEVENT_CLOSE: PostMessage(WindowMessage{id, MessageKind::Close, 0, 0, 0}); break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED: windows.PostActivation(id, true); break;
                    case SDL_WINDOWEVENT_FOCUS_LOST:
                        if (!windows.FocusFollowsShow()) windows.PostActivation(id, false);
                        break;
                    case SDL_WINDOWEVENT_MOVED:
                        windows.NoteMoved(id, event.window.data1, event.window.data2);
                        break;
                    case SDL_WINDOWEVENT_EXPOSED:
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                        PostMessage(WindowMessage{id, MessageKind::Paint, 0, 0, 0});
                        break;
                    default: break;
                }
                break;
            }
            case SDL_MOUSEMOTION: {
                const WindowId id = windows.FindId(event.motion.windowID);
                if (id) PostMessage(WindowMessage{id, MessageKind::MouseMove, event.motion.x, event.motion.y, 0});
                break;
            }
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                const std::uint8_t code = KeyCodeFor(event.key.keysym.scancode);
                if (code) windows.SetKeyState(code, event.type == SDL_KEYDOWN);
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                windows.SetButtonState(ButtonIndex(event.button.button), event.type == SDL_MOUSEBUTTONDOWN);
                break;
            case SDL_MOUSEWHEEL:
                windows.AddWheel((event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y) *
                                 120);
                break;
            default: break;  // the close box arrives as a window event; SDL_QUIT repeats it
        }
    }
}

}  // namespace backend
