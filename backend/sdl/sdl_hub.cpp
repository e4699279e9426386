#include "backend/sdl/sdl_hub.h"

#include <SDL.h>

#include <csignal>
#include <cstring>

#include "backend/ffmpeg/ffmpeg_movie_service.h"
#include "backend/fonts/freetype_glyphs.h"
#include "backend/posix/posix_file_service.h"
#include "backend/posix/system_clock.h"
#include "backend/posix/xdg_desktop.h"
#include "backend/sdl/sdl_audio.h"
#include "backend/sdl/sdl_dialogs.h"
#include "backend/sdl/sdl_events.h"
#include "backend/sdl/sdl_windows.h"

namespace backend {

namespace {

void OnTerminationSignal(int) { RequestTermination(); }

}  // namespace

std::unique_ptr<Hub> CreateNativeHub(CodePage page, BuiltInPictures pictures) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = &OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // The terminal that started the game was closed.
    ::sigaction(SIGHUP, &action, nullptr);

    Services services;
    services.files = std::make_unique<PosixFileService>(page, RunningProgramLocation());
    services.clock = std::make_unique<SystemClock>();
    auto events = std::make_unique<SdlEvents>();
    auto windows = std::make_unique<SdlWindows>(*events, page, pictures);
    events->Attach(*windows);
    services.desktop = std::make_unique<XdgDesktop>(*services.files, page);
    services.audio = std::make_unique<SdlAudio>();
    services.movies = std::make_unique<FfmpegMovieService>(*services.files, *events, *windows, services.audio.get());
    services.events = std::move(events);
    services.windows = std::move(windows);
    services.glyphs = std::make_unique<FreetypeGlyphs>(page);
    services.dialogs = std::make_unique<SdlDialogs>(static_cast<SdlWindows&>(*services.windows),
                                                    services.glyphs.get(), page);
    return std::make_unique<Hub>(std::move(services));
}

}  // namespace backend
