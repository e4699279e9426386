#pragma once
// One movie playing: a thread of its own reads and decodes the file, feeds the sound to a stream
// of the audio device, holds each picture until its time on the movie's clock, and hands it to
// the main thread through a MoviePicture message to the window; the main thread shows it over
// the window. The clock is the sound as the mix takes it, run on by the wall clock between the
// mix's steps; without sound (or when the mix stops taking it) the wall clock alone.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "backend/audio_device.h"
#include "backend/event_queue.h"
#include "backend/ffmpeg/movie_decoder.h"
#include "backend/movie_service.h"
#include "backend/window_service.h"

namespace backend {

class FfmpegMovieService;

class FfmpegMovie final : public Movie {
public:
    // sound: the stream the movie's sound plays on (16-bit stereo at kMovieSoundRate); null for
    // a movie without sound or a program without an audio device.
    FfmpegMovie(FfmpegMovieService& service, std::uint32_t id, WindowId window, Rect pictureSize,
                std::unique_ptr<MovieDecoder> decoder, std::unique_ptr<AudioStream> sound, EventQueue& events,
                WindowService& windows);
    ~FfmpegMovie() override;

    bool Run() override;
    bool Stop() override;
    bool TakeEvent(MovieEvent& event, std::uint32_t timeoutMs) override;

    // Main thread, on the movie's MoviePicture message: shows the newest picture, once.
    void ShowNewestPicture();

private:
    using WallClock = std::chrono::steady_clock;

    void Play();  // the thread's body
    // One step of the thread's work at movie time now: how long it may sleep before the next
    // (zero: go on at once), or nothing when the movie is over.
    std::optional<WallClock::duration> Step(double now);
    void FeedSound();
    bool SoundPlayedOut();
    void PublishPicture();
    double ClockLocked();
    void PostEvent(MovieEvent event);

    FfmpegMovieService& service_;
    const std::uint32_t id_;
    const WindowId window_;
    const Rect pictureSize_;
    EventQueue& events_;
    WindowService& windows_;

    // Only the thread touches the decoder once it runs.
    std::unique_ptr<MovieDecoder> decoder_;
    bool fileEnded_ = false;
    MovieEvent outcome_ = MovieEvent::Complete;
    std::unique_ptr<AudioStream> sound_;
    std::atomic<bool> soundLost_{false};  // the mix stopped taking the sound

    // What Run, Stop and the destructor tell the thread, and the clock.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    bool running_ = false;
    bool quit_ = false;
    std::optional<MovieEvent> endEvent_;  // how the thread ended
    double clockBase_ = 0;                // movie time at clockBaseWall_
    WallClock::time_point clockBaseWall_{};
    double lastClock_ = 0;
    double soundStart_ = 0;               // movie time of the sound's first frame
    std::uint64_t soundPlayed_ = 0;       // frames the mix had taken at the last look
    WallClock::time_point soundMoved_{};  // when that count last grew

    // Pictures: the thread converts into back_ and swaps it with front_.
    std::mutex pictureMutex_;
    std::vector<std::uint8_t> front_;
    std::vector<std::uint8_t> back_;
    bool fresh_ = false;           // front_ not shown yet
    bool messagePending_ = false;  // a MoviePicture message is on its way
    bool shown_ = false;           // main thread: the window shows our picture
    bool windowGone_ = false;      // main thread: UserAbort posted

    std::mutex eventMutex_;
    std::condition_variable eventArrived_;
    std::deque<MovieEvent> pendingEvents_;
};

}  // namespace backend
