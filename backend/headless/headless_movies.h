#pragma once
// Movies without a decoder: any readable file "plays" for a duration the test sets, on the
// virtual clock, covering its window with one grey picture while it runs. Tests see what was
// opened and can make the start, a run or a movie fail.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "backend/file_service.h"
#include "backend/clock_service.h"
#include "backend/movie_service.h"
#include "backend/window_service.h"

namespace backend {

// The grey of the fake movie's picture.
inline constexpr std::uint8_t kHeadlessMovieGrey = 0x80;

class HeadlessMovies final : public MovieService {
public:
    HeadlessMovies(ClockService& clock, FileService& files, WindowService& windows);

    // ---- what the test controls ----
    // How long the movies opened from now on play (5000 ms unless set).
    void SetDuration(std::uint32_t milliseconds) { duration_ = milliseconds; }
    void FailStart(bool fail) { failStart_ = fail; }
    void FailRun(bool fail) { failRun_ = fail; }
    // An event the newest movie delivers before its own (an error or an abort from outside).
    void QueueEvent(MovieEvent event) { injected_.push_back(event); }
    int Starts() const { return starts_; }
    int Shutdowns() const { return shutdowns_; }
    // The engine paths of the movies opened, in order.
    const std::vector<std::string>& OpenedPaths() const { return opened_; }
    int LiveMovies() const { return live_; }

    bool Start() override;
    void Shutdown() override;
    std::unique_ptr<Movie> Open(std::string_view path, WindowId window) override;

private:
    class FakeMovie;

    ClockService& clock_;
    FileService& files_;
    WindowService& windows_;
    std::uint32_t duration_ = 5000;
    bool failStart_ = false;
    bool failRun_ = false;
    bool started_ = false;
    int starts_ = 0;
    int shutdowns_ = 0;
    int live_ = 0;
    std::vector<std::string> opened_;
    std::deque<MovieEvent> injected_;
};

}  // namespace backend
