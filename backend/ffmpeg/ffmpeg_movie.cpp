#include "backend/ffmpeg/ffmpeg_movie.h"

#include <algorithm>
#include <system_error>

#include "backend/ffmpeg/ffmpeg_movie_service.h"

namespace backend {

namespace {

// Decoded pictures held ahead of their time; more while the sound runs short (a file may hold
// its sound well after the pictures of the same time), up to a second's worth.
constexpr std::size_t kPicturesAhead = 4;
constexpr std::size_t kMostPicturesAhead = 30;
// Decoded sound held ahead of the stream, and the stream's level below which it runs short.
constexpr std::size_t kSoundAhead = kMovieSoundRate / 4;
constexpr std::size_t kSoundShort = kMovieSoundRate / 5;
constexpr auto kShortestSleep = std::chrono::milliseconds(1);
constexpr auto kLongestSleep = std::chrono::milliseconds(20);
// Sound queued that the mix does not take for this long is given up.
constexpr auto kSoundStall = std::chrono::seconds(1);

}  // namespace

FfmpegMovie::FfmpegMovie(FfmpegMovieService& service, std::uint32_t id, WindowId window, Rect pictureSize,
                         std::unique_ptr<MovieDecoder> decoder, std::unique_ptr<AudioStream> sound,
                         EventQueue& events, WindowService& windows)
    : service_(service),
      id_(id),
      window_(window),
      pictureSize_(pictureSize),
      events_(events),
      windows_(windows),
      decoder_(std::move(decoder)),
      sound_(std::move(sound)) {}

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
        clockBaseWall_ = soundMoved_ = WallClock::now();
        if (sound_) sound_->SetPaused(false);
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
        if (sound_) sound_->SetPaused(true);
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
    const WallClock::time_point now = WallClock::now();
    if (sound_ && !soundLost_) {
        const std::uint64_t played = sound_->PlayedFrames();
        if (played != soundPlayed_) {
            // The mix took more of the sound: the clock is where the sound is.
            soundPlayed_ = played;
            clockBase_ = soundStart_ + static_cast<double>(played) / kMovieSoundRate;
            clockBaseWall_ = soundMoved_ = now;
        } else if (running_ && sound_->QueuedFrames() > 0 && now - soundMoved_ > kSoundStall) {
            // The mix no longer takes the sound: the pictures go on by the wall clock alone.
            soundLost_ = true;
        }
    }
    const double elapsed = std::chrono::duration<double>(now - clockBaseWall_).count();
    // Never backwards: the sound may start behind the pictures' time.
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
        soundStart_ = decoder_->SoundStartTime();
        if (!sleep) {
            endEvent_ = outcome_;
            PostEvent(outcome_);
            return;
        }
        if (*sleep > WallClock::duration::zero()) wake_.wait_for(lock, *sleep);
    }
}

std::optional<FfmpegMovie::WallClock::duration> FfmpegMovie::Step(double now) {
    MovieDecoder& decoder = *decoder_;
    FeedSound();
    if (decoder.PendingPictures() > 0 && decoder.NextPictureTime() <= now) {
        if (decoder.TakePicture(back_)) PublishPicture();
        return WallClock::duration::zero();
    }
    const bool soundShort = sound_ && !soundLost_ && sound_->QueuedFrames() < kSoundShort;
    const std::size_t picturesAhead = soundShort ? kMostPicturesAhead : kPicturesAhead;
    if (!fileEnded_ && decoder.PendingPictures() < picturesAhead && decoder.PendingSoundFrames() < kSoundAhead) {
        switch (decoder.ReadPacket()) {
            case MovieDecoder::ReadResult::Read: break;
            case MovieDecoder::ReadResult::End: fileEnded_ = true; break;
            case MovieDecoder::ReadResult::Failed: outcome_ = MovieEvent::ErrorAbort; return std::nullopt;
        }
        return WallClock::duration::zero();
    }
    if (fileEnded_ && decoder.PendingPictures() == 0 && SoundPlayedOut()) {
        outcome_ = MovieEvent::Complete;
        return std::nullopt;
    }
    // Till the next picture is due, or a while for the mix to take more sound.
    double wait = decoder.PendingPictures() > 0 ? decoder.NextPictureTime() - now : 0.01;
    if (sound_ && !soundLost_) wait = std::min(wait, 0.01);
    const auto sleep = std::chrono::duration_cast<WallClock::duration>(std::chrono::duration<double>(wait));
    return std::clamp<WallClock::duration>(sleep, kShortestSleep, kLongestSleep);
}

void FfmpegMovie::FeedSound() {
    MovieDecoder& decoder = *decoder_;
    const std::size_t pending = decoder.PendingSoundFrames();
    if (pending == 0) return;
    if (!sound_ || soundLost_) {
        decoder.DropSound(pending);
        return;
    }
    // Interleaved 16-bit samples in the machine's order, as the stream takes them.
    decoder.DropSound(sound_->Write(reinterpret_cast<const std::uint8_t*>(decoder.SoundFrames()), pending));
}

bool FfmpegMovie::SoundPlayedOut() {
    return !sound_ || soundLost_ || (decoder_->PendingSoundFrames() == 0 && sound_->QueuedFrames() == 0);
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
