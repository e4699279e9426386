#pragma once
// Movies played over a window: a file is opened for a window, its pictures cover the window's
// client area (over whatever the window presents) while it runs, its sound plays on the audio
// device, and the end of the movie, or a failure, arrives as an event the engine polls.
//
// The service is started before use and shut down after, the engine counting its users. Movies
// are made, run and destroyed on the main thread; each decodes on a thread of its own and hands
// its pictures to the main thread through the window's message queue.

#include <cstdint>
#include <memory>
#include <string_view>

#include "backend/window_message.h"

namespace backend {

enum class MovieEvent : std::uint8_t {
    Complete = 1,    // every picture shown and the sound played out
    ErrorAbort = 2,  // the file could not be read or decoded any further
    UserAbort = 3,   // the window the movie plays in went away
};

class Movie {
public:
    // Stops the movie and takes its picture off the window; nothing of it is shown afterwards,
    // not even a picture already on its way.
    virtual ~Movie() = default;
    // Starts the movie, or goes on where Stop left it.
    virtual bool Run() = 0;
    // Holds the movie where it is (pictures and sound).
    virtual bool Stop() = 0;
    // Takes the oldest event, waiting up to timeoutMs for one to come; false when none came.
    virtual bool TakeEvent(MovieEvent& event, std::uint32_t timeoutMs) = 0;
};

class MovieService {
public:
    virtual ~MovieService() = default;

    // The service must be started before movies are opened (false: it cannot play movies).
    virtual bool Start() = 0;
    virtual void Shutdown() = 0;

    // Opens the movie file (an engine path) to be shown over the window's client area, scaled
    // to it; the movie stands still until Run. Null when the service is not started, the file
    // cannot be read, holds no picture the service can decode, or the window does not exist.
    virtual std::unique_ptr<Movie> Open(std::string_view path, WindowId window) = 0;
};

}  // namespace backend
