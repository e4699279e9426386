#pragma once
// The movie service on FFmpeg, over any window table (the SDL windows in the programs, the
// headless ones in the tests that play real files). Pictures reach the window through its
// message queue, so they are shown on the main thread, also while the window is inactive.

#include <cstdint>
#include <map>

#include "backend/audio_device.h"
#include "backend/event_queue.h"
#include "backend/file_service.h"
#include "backend/movie_service.h"
#include "backend/window_table.h"

namespace backend {

class FfmpegMovie;

class FfmpegMovieService final : public MovieService {
public:
    // audio: where the movies' sound plays; null plays them silent.
    FfmpegMovieService(FileService& files, EventQueue& events, WindowTable& windows, AudioDevice* audio);
    // Every movie must be gone before the service.
    ~FfmpegMovieService() override;

    bool Start() override;
    void Shutdown() override;
    std::unique_ptr<Movie> Open(std::string_view path, WindowId window) override;

    // For a movie going away: its picture messages find nothing from now on.
    void Forget(std::uint32_t id);

private:
    std::int32_t ShowPicture(const WindowMessage& message);

    FileService& files_;
    EventQueue& events_;
    WindowTable& windows_;
    AudioDevice* audio_;
    bool started_ = false;
    std::map<std::uint32_t, FfmpegMovie*> movies_;  // main thread only
    std::uint32_t nextId_ = 1;
};

}  // namespace backend
