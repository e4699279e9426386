#include "backend/sdl/sdl_dialogs.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "backend/sdl/sdl_windows.h"

namespace backend {

bool SdlDialogs::CanShowBoxes() const {
    if (windows_.VideoFailed() || windows_.FocusFollowsShow()) return false;
    return windows_.VideoReady() || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

MessageBoxAnswer SdlDialogs::ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
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
