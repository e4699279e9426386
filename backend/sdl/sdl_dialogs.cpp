#include "backend/sdl/sdl_dialogs.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "backend/dialogs/box_screen.h"
#include "backend/dialogs/dialog_session.h"
#include "backend/event_queue.h"
#include "backend/sdl/sdl_key_map.h"
#include "backend/sdl/sdl_windows.h"

namespace backend {

namespace {

// While the keyboard is in an edit field, typed text and the input method go to it; the
// candidate window opens beside the caret.
void FollowTextInput(DialogSession& session, bool& textInput) {
    const Rect caret = session.CaretRect();
    const bool wanted = caret.height > 0;
    if (wanted) {
        SDL_Rect rect{caret.x, caret.y, caret.width, caret.height};
        SDL_SetTextInputRect(&rect);
        if (!textInput) SDL_StartTextInput();
    } else if (textInput) {
        SDL_StopTextInput();
    }
    textInput = wanted;
}

}  // namespace

bool SdlDialogs::CanShowBoxes() const {
    if (windows_.VideoFailed() || windows_.FocusFollowsShow()) return false;
    return windows_.VideoReady() || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

WindowId SdlDialogs::DrawingHost(WindowId owner) const {
    if (!windows_.VideoReady() || windows_.FocusFollowsShow()) return 0;
    const WindowId host = windows_.HostForBox(owner);
    return windows_.NativeWindowOf(host) ? host : 0;
}

MessageBoxAnswer SdlDialogs::ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                            MessageBoxButtons buttons) {
    const WindowId host = DrawingHost(owner);
    if (host == 0) return ShowSystemBox(owner, text, caption, buttons);
    BoxScreen screen(windows_, host);
    DialogSession session(host, screen.Client(), glyphs_, page_);
    session.OpenMessageBox(text, caption, buttons);
    const bool answered = RunSession(screen, host, session);
    if (!answered) return buttons == MessageBoxButtons::YesNo ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
    switch (session.Result()) {
        case kBoxYesButton: return MessageBoxAnswer::Yes;
        case kBoxNoButton: return MessageBoxAnswer::No;
        default: return MessageBoxAnswer::Ok;
    }
}

std::int32_t SdlDialogs::RunModalDialog(WindowId owner, const DialogTemplate& dialog, DialogProcedure& procedure) {
    const WindowId host = DrawingHost(owner);
    if (host == 0) return -1;
    BoxScreen screen(windows_, host);
    if (!screen.Valid()) return -1;
    DialogSession session(host, screen.Client(), glyphs_, page_);
    session.OpenTemplate(dialog, procedure);
    return RunSession(screen, host, session) ? session.Result() : -1;
}

bool SdlDialogs::RunSession(BoxScreen& screen, WindowId host, DialogSession& session) {
    if (!screen.Valid()) return false;
    // A movie's picture lies above everything presented: the box must not open beneath it.
    windows_.HideOverlay(host);
    bool textInput = SDL_IsTextInputActive() == SDL_TRUE;
    const bool textInputBefore = textInput;
    FollowTextInput(session, textInput);
    screen.Show(session);
    bool terminated = false;
    while (!session.Ended()) {
        if (TakeTerminationRequest()) {
            terminated = true;
            break;
        }
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, 50)) continue;
        switch (event.type) {
            case SDL_WINDOWEVENT: {
                const WindowId id = windows_.FindId(event.window.windowID);
                switch (event.window.event) {
                    // The window cannot be closed while a box is open.
                    case SDL_WINDOWEVENT_FOCUS_GAINED: windows_.PostActivation(id, true); break;
                    case SDL_WINDOWEVENT_FOCUS_LOST: windows_.PostActivation(id, false); break;
                    case SDL_WINDOWEVENT_MOVED:
                        windows_.NoteMoved(id, event.window.data1, event.window.data2);
                        break;
                    default: break;
                }
                break;
            }
            case SDL_KEYDOWN:
                session.Key(KeyCodeFor(event.key.keysym.scancode), (event.key.keysym.mod & KMOD_SHIFT) != 0);
                break;
            case SDL_KEYUP:
                // Only releases reach the game, so that no key stays down behind the box.
                if (const std::uint8_t code = KeyCodeFor(event.key.keysym.scancode)) windows_.SetKeyState(code, false);
                break;
            case SDL_TEXTINPUT: session.TypeText(event.text.text); break;
            case SDL_TEXTEDITING: session.Compose(event.edit.text); break;
            case SDL_MOUSEBUTTONDOWN:
                if (event.button.button == SDL_BUTTON_LEFT && windows_.FindId(event.button.windowID) == host)
                    session.MouseDown(event.button.x, event.button.y);
                break;
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT) {
                    windows_.SetButtonState(0, false);
                    session.MouseUp(event.button.x, event.button.y);
                }
                break;
            default: break;
        }
        if (!session.Ended()) {
            FollowTextInput(session, textInput);
            screen.Show(session);
        }
    }
    if (textInput != textInputBefore && !DisplayLost()) textInputBefore ? SDL_StartTextInput() : SDL_StopTextInput();
    // The pump after the box ends the program.
    if (terminated) RequestTermination();
    return !terminated;
}

MessageBoxAnswer SdlDialogs::ShowSystemBox(WindowId owner, std::string_view text, std::string_view caption,
                                           MessageBoxButtons buttons) {
    const std::string utf8Text = ToUtf8Lossy(page_, text);
    const std::string utf8Caption = ToUtf8Lossy(page_, caption);
    if (CanShowBoxes()) {
        SDL_MessageBoxButtonData okButtons[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"}};
        SDL_MessageBoxButtonData yesNoButtons[] = {{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "No"},
                                                   {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"}};
        SDL_MessageBoxData data{};
        data.flags = SDL_MESSAGEBOX_INFORMATION;
        data.window = windows_.NativeWindowOf(owner);
        data.title = utf8Caption.c_str();
        data.message = utf8Text.c_str();
        if (buttons == MessageBoxButtons::YesNo) {
            data.numbuttons = 2;
            data.buttons = yesNoButtons;
        } else {
            data.numbuttons = 1;
            data.buttons = okButtons;
        }
        int pressed = -1;
        if (SDL_ShowMessageBox(&data, &pressed) == 0) {
            if (buttons == MessageBoxButtons::Ok) return MessageBoxAnswer::Ok;
            return pressed == 1 ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
        }
    }
    std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
    std::fflush(stderr);
    return buttons == MessageBoxButtons::YesNo ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
}

}  // namespace backend
