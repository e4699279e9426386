#include "backend/ffmpeg/ffmpeg_movie.h"

#include <algorithm>
#include <system_error>

#include "backend/ffmpeg/ffmpeg_movie_service.h"

namespace backend {

namespace {

// Decoded pictures held ahead of their time.
constexpr std::size_t kPicturesAhead = 4;
constexpr auto kShortestSleep = std::chrono::milliseconds(1);
constexpr auto kLongestSleep = std::chrono::milliseconds(20);

}  // namespace

FfmpegMovie::FfmpegMovie(FfmpegMovieService& service, std::uint32_t id, WindowId window, Rect pictureSize,
                         std::unique_ptr<MovieDecoder> decoder, EventQueue& events, WindowService& windows)
    : service_(service),
      id_(id),
      window_(window),
      pictureSize_(pictureSize),
      events_(events),
      windows_(windows),
      decoder_(std::move(decoder)) {}

FfmpegMovie::~FfmpegMovie() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    // Picture messages still queued find no movie now.
    service_.Forget(id_);
    if (shown_) windows_.HideOverlay(window_);
}

bool FfmpegMovie::Run() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (endEvent_) {
        // A movie at its end ends again.
        PostEvent(*endEvent_);
        return true;
    }
    if (!running_) {
        running_ = true;
        clockBase_ = lastClock_;
        clockBaseWall_ = WallClock::now();
    }
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Play(); });
        } catch (const std::system_error&) {
            running_ = false;
            return false;
        }
    }
    wake_.notify_all();
    return true;
}

bool FfmpegMovie::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) {
        ClockLocked();  // the clock stands where it was stopped
        running_ = false;
    }
    return true;
}

bool FfmpegMovie::TakeEvent(MovieEvent& event, std::uint32_t timeoutMs) {
    if (!windowGone_ && !windows_.IsWindow(window_)) {
        windowGone_ = true;
        PostEvent(MovieEvent::UserAbort);
    }
    std::unique_lock<std::mutex> lock(eventMutex_);
    eventArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !pendingEvents_.empty(); });
    if (pendingEvents_.empty()) return false;
    event = pendingEvents_.front();
    pendingEvents_.pop_front();
    return true;
}

void FfmpegMovie::PostEvent(MovieEvent event) {
    {
        std::lock_guard<std::mutex> lock(eventMutex_);
        pendingEvents_.push_back(event);
    }
    eventArrived_.notify_all();
}

double FfmpegMovie::ClockLocked() {
    const double elapsed = std::chrono::duration<double>(WallClock::now() - clockBaseWall_).count();
    lastClock_ = std::max(clockBase_ + elapsed, lastClock_);
    return lastClock_;
}

void FfmpegMovie::Play() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (quit_) return;
        if (!running_) {
            wake_.wait(lock);
            continue;
        }
        const double now = ClockLocked();
        lock.unlock();
        std::optional<WallClock::duration> sleep = Step(now);
        lock.lock();
        if (!sleep) {
            const MovieEvent end = fileEnded_ && decoder_->PendingPictures() == 0 ? MovieEvent::Complete
                                                                                 : MovieEvent::ErrorAbort;
            endEvent_ = end;
            PostEvent(end);
            return;
        }
        if (*sleep > WallClock::duration::zero()) wake_.wait_for(lock, *sleep);
    }
}

std::optional<FfmpegMovie::WallClock::duration> FfmpegMovie::Step(double now) {
    MovieDecoder& decoder = *decoder_;
    if (decoder.PendingPictures() > 0 && decoder.NextPictureTime() <= now) {
        if (decoder.TakePicture(back_)) PublishPicture();
        return WallClock::duration::zero();
    }
    if (!fileEnded_ && decoder.PendingPictures() < kPicturesAhead) {
        switch (decoder.ReadPacket()) {
            case MovieDecoder::ReadResult::Read: break;
            case MovieDecoder::ReadResult::End: fileEnded_ = true; break;
            case MovieDecoder::ReadResult::Failed: return std::nullopt;
        }
        return WallClock::duration::zero();
    }
    if (fileEnded_ && decoder.PendingPictures() == 0) return std::nullopt;
    const double wait = decoder.PendingPictures() > 0 ? decoder.NextPictureTime() - now : 0.0;
    const auto sleep = std::chrono::duration_cast<WallClock::duration>(std::chrono::duration<double>(wait));
    return std::clamp<WallClock::duration>(sleep, kShortestSleep, kLongestSleep);
}

void FfmpegMovie::PublishPicture() {
    bool post = false;
    {
        std::lock_guard<std::mutex> lock(pictureMutex_);
        front_.swap(back_);
        fresh_ = true;
        post = !messagePending_;
        messagePending_ = true;
    }
    if (post) events_.PostMessage(WindowMessage{window_, MessageKind::MoviePicture, 0, 0, id_});
}

void FfmpegMovie::ShowNewestPicture() {
    std::lock_guard<std::mutex> lock(pictureMutex_);
    messagePending_ = false;
    if (!fresh_) return;
    fresh_ = false;
    windows_.ShowOverlay(window_, PixelView{front_.data(), pictureSize_.width, pictureSize_.height,
                                            pictureSize_.width * 3, false});
    shown_ = true;
}

}  // namespace backend
