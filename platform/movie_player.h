#pragma once
// A movie file played over the game window by the movie service: opened (covering the client
// area, standing still), run, stopped, and polled for its end. The movie operation makes one
// at a time (g_movie); shut-down deletes one that is left.

#include <cstdint>
#include <memory>

#include "backend/movie_service.h"
#include "backend/window_message.h"
#include "base/string.h"

namespace kv {

// The longest path the movie service takes, in UTF-16 units with the terminator.
inline constexpr std::size_t kMoviePathUnits = 260;
// How long IsFinished waits for an event.
inline constexpr std::uint32_t kMovieEventWaitMs = 4;

class MoviePlayer {
public:
    MoviePlayer();
    // Closes the movie: it stops and its picture leaves the window.
    virtual ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // Opens the file (an engine path) over the window's client area, not running yet. False
    // when the movie service is not usable, the file does not exist, the path does not convert
    // or fit, or the service cannot play it; an earlier movie is closed first.
    virtual bool Open(const char* file, backend::WindowId owner);
    // Runs an opened movie (again after a stop).
    virtual bool Play();
    // Stops a playing movie where it is.
    virtual bool Stop();
    // Takes one event of the movie, waiting a few milliseconds for it: true when it reports the
    // end, an error or an abort, and always without a movie. Other events are dropped.
    virtual bool IsFinished();

    // Stops and releases the movie; opened becomes false.
    void Close();

    bool IsOpened() const { return opened_ != 0; }
    bool IsPlaying() const { return playing_ != 0; }
    const String& File() const { return file_; }

private:
    std::uint8_t opened_ = 0;
    std::uint8_t playing_ = 0;
    String file_;
    std::unique_ptr<backend::Movie> movie_;
};

// True when the path converts to UTF-16 from the build's code page and fits kMoviePathUnits.
bool MoviePathFits(std::string_view path);

}  // namespace kv
