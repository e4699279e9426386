#include "backend/ffmpeg/ffmpeg_movie_service.h"

#include "backend/ffmpeg/ffmpeg_movie.h"
#include "backend/ffmpeg/movie_decoder.h"

namespace backend {

namespace {
// The movie's own thread decodes its pictures: the pictures of the movies games ship are small
// work for one.
constexpr int kPictureThreads = 1;
// The stream a movie's sound plays on: 16-bit stereo, half a second queued at most.
constexpr PcmFormat kSoundFormat{2, kMovieSoundRate, 16, 4, kMovieSoundRate * 4};
constexpr std::size_t kSoundQueueFrames = kMovieSoundRate / 2;
}  // namespace

FfmpegMovieService::FfmpegMovieService(FileService& files, EventQueue& events, WindowTable& windows,
                                       AudioDevice* audio)
    : files_(files), events_(events), windows_(windows), audio_(audio) {
    windows_.SetServiceMessageHandler(MessageKind::MoviePicture,
                                      [this](WindowId, const WindowMessage& message) { return ShowPicture(message); });
}

FfmpegMovieService::~FfmpegMovieService() {
    windows_.SetServiceMessageHandler(MessageKind::MoviePicture, {});
    Shutdown();
}

bool FfmpegMovieService::Start() {
    // The game's output is no place for what FFmpeg says about damaged files.
    SilenceDecoderMessages(true);
    started_ = true;
    return true;
}

void FfmpegMovieService::Shutdown() {
    if (!started_) return;
    SilenceDecoderMessages(false);
    started_ = false;
}

std::unique_ptr<Movie> FfmpegMovieService::Open(std::string_view path, WindowId window) {
    if (!started_ || !windows_.IsWindow(window)) return nullptr;
    const Rect client = windows_.GetClientRect(window);
    MovieDecoderOptions options;
    options.pictureWidth = client.width;
    options.pictureHeight = client.height;
    options.threads = kPictureThreads;
    options.decodeSound = audio_ != nullptr;
    std::unique_ptr<MovieDecoder> decoder = MovieDecoder::Open(files_.OpenFile(path, FileMode::Read), options);
    if (!decoder) return nullptr;
    // A stream the device refuses leaves the movie silent, not unplayable.
    std::unique_ptr<AudioStream> sound =
        decoder->HasSound() ? audio_->CreateStream(kSoundFormat, kSoundQueueFrames) : nullptr;
    const std::uint32_t id = nextId_++;
    auto movie = std::make_unique<FfmpegMovie>(*this, id, window, Rect{0, 0, client.width, client.height},
                                               std::move(decoder), std::move(sound), events_, windows_);
    movies_[id] = movie.get();
    return movie;
}

void FfmpegMovieService::Forget(std::uint32_t id) { movies_.erase(id); }

std::int32_t FfmpegMovieService::ShowPicture(const WindowMessage& message) {
    auto it = movies_.find(message.value);
    if (it != movies_.end()) it->second->ShowNewestPicture();
    return 0;
}

}  // namespace backend
