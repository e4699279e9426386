#include "backend/headless/headless_hub.h"

#include "backend/ffmpeg/ffmpeg_movie_service.h"
#include "backend/posix/posix_file_service.h"

namespace backend {

namespace {

Services BuildServices(const HeadlessOptions& options) {
    Services services;
    services.files = std::make_unique<PosixFileService>(
        options.codePage, ProgramLocation{options.gameFolder, options.moduleFileName}, options.lockName);
    services.clock = std::make_unique<HeadlessClock>(options.startTick, options.sleepLimit);
    auto events = std::make_unique<HeadlessEvents>();
    auto windows = std::make_unique<HeadlessWindows>(
        *events,
        HeadlessDisplay{options.desktopWidth, options.desktopHeight, options.desktopBitsPerPixel,
                        options.failWindowCreation, options.refusedFullScreens},
        options.builtInPictures);
    events->Attach(*windows);
    auto audio = std::make_unique<HeadlessAudio>();
    audio->SetCapture(options.captureAudio);
    services.audio = std::move(audio);
    if (options.realMovies)
        services.movies =
            std::make_unique<FfmpegMovieService>(*services.files, *events, *windows, services.audio.get());
    else
        services.movies = std::make_unique<HeadlessMovies>(*services.clock, *services.files, *windows);
    services.events = std::move(events);
    services.windows = std::move(windows);
    services.desktop = std::make_unique<HeadlessDesktop>(*services.files, options.codePage);
    services.glyphs = std::make_unique<HeadlessGlyphs>();
    services.dialogs = std::make_unique<HeadlessDialogs>(static_cast<HeadlessWindows&>(*services.windows),
                                                         *services.glyphs, options.codePage);
    return services;
}

}  // namespace

// The services are the headless ones BuildServices made.
HeadlessHub::HeadlessHub(const HeadlessOptions& options)
    : Hub(BuildServices(options)),
      clock_(static_cast<HeadlessClock*>(Installed().clock.get())),
      events_(static_cast<HeadlessEvents*>(Installed().events.get())),
      windows_(static_cast<HeadlessWindows*>(Installed().windows.get())),
      dialogs_(static_cast<HeadlessDialogs*>(Installed().dialogs.get())),
      desktop_(static_cast<HeadlessDesktop*>(Installed().desktop.get())),
      fakeMovies_(options.realMovies ? nullptr : static_cast<HeadlessMovies*>(Installed().movies.get())),
      glyphs_(static_cast<HeadlessGlyphs*>(Installed().glyphs.get())),
      audio_(static_cast<HeadlessAudio*>(Installed().audio.get())) {
    clock_->SetTimeFollower([audio = audio_](std::uint64_t elapsedMicros) { audio->AdvanceTo(elapsedMicros); });
}

// The audio device goes before the clock: the clock stops telling it the time first.
HeadlessHub::~HeadlessHub() { clock_->SetTimeFollower(nullptr); }

}  // namespace backend
