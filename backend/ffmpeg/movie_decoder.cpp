#include "backend/ffmpeg/movie_decoder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace backend {

namespace {

constexpr int kIoBufferBytes = 32 * 1024;
// A few damaged packets are passed over, as every player does; a stream that keeps failing
// ends the movie as failed.
constexpr int kMaxFailedPacketsInARow = 16;
constexpr int kMaxSoundChannels = 16;
constexpr int kMaxSoundRate = 384000;
// Timestamps beyond a day are damage, not a movie.
constexpr double kLatestTime = 86400.0;

int ReadFromHandle(void* opaque, std::uint8_t* buffer, int size) {
    auto* file = static_cast<FileHandle*>(opaque);
    if (size <= 0) return 0;
    const std::size_t read = file->Read(buffer, static_cast<std::size_t>(size));
    return read == 0 ? AVERROR_EOF : static_cast<int>(read);
}

std::int64_t SeekInHandle(void* opaque, std::int64_t offset, int whence) {
    auto* file = static_cast<FileHandle*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return file->Size();
    std::int64_t target = 0;
    switch (whence) {
        case SEEK_SET: target = offset; break;
        case SEEK_CUR: target = file->Tell() + offset; break;
        case SEEK_END: target = file->Size() + offset; break;
        default: return AVERROR(EINVAL);
    }
    if (target < 0 || !file->Seek(target)) return AVERROR(EIO);
    return target;
}

// Play lists and the like name other files or addresses; a movie gets its one file only.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

bool Failing(int result) { return result < 0 && result != AVERROR(EAGAIN) && result != AVERROR_EOF; }

double Seconds(std::int64_t timestamp, AVRational base) {
    if (timestamp == AV_NOPTS_VALUE || base.den == 0) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(timestamp) * av_q2d(base);
}

struct PendingPicture {
    AVFrame* frame = nullptr;
    double time = 0;
};

}  // namespace

struct MovieDecoder::State {
    ~State() {
        for (PendingPicture& picture : pictures) av_frame_free(&picture.frame);
        sws_freeContext(scaler);
        swr_free(&resampler);
        av_channel_layout_uninit(&resamplerLayout);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&video);
        avcodec_free_context(&sound);
        avformat_close_input(&format);
        if (io) av_freep(&io->buffer);
        avio_context_free(&io);
    }

    MovieDecoderOptions options;
    std::unique_ptr<FileHandle> file;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* sound = nullptr;
    int videoIndex = -1;
    int soundIndex = -1;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    double startTime = 0;
    double frameDuration = 0.04;
    bool ended = false;
    int videoFailures = 0;
    int soundFailures = 0;

    std::deque<PendingPicture> pictures;
    double lastPictureTime = -1;
    SwsContext* scaler = nullptr;

    SwrContext* resampler = nullptr;
    AVChannelLayout resamplerLayout{};
    int resamplerRate = 0;
    int resamplerFormat = -1;
    std::vector<std::int16_t> soundSamples;  // interleaved stereo
    std::size_t soundRead = 0;               // samples already taken from the front
    double soundStart = -1;

    AVCodecContext* OpenDecoder(int index, int threads) {
        AVStream* stream = format->streams[index];
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec) return nullptr;
        AVCodecContext* context = avcodec_alloc_context3(codec);
        if (!context) return nullptr;
        context->thread_count = threads;
        if (avcodec_parameters_to_context(context, stream->codecpar) < 0 || avcodec_open2(context, codec, nullptr) < 0) {
            avcodec_free_context(&context);
            return nullptr;
        }
        return context;
    }

    bool PictureSizeFits(int width, int height) const {
        return width > 0 && height > 0 && width <= kMaxMoviePictureSide && height <= kMaxMoviePictureSide;
    }

    // Seconds from the movie's start; a frame without a timestamp follows the one before it.
    double TimeOf(const AVFrame& decoded, AVRational base, double previous, double step) const {
        double time = Seconds(decoded.best_effort_timestamp, base) - startTime;
        if (!std::isfinite(time)) time = previous < 0 ? 0 : previous + step;
        return std::clamp(time, 0.0, kLatestTime);
    }

    void KeepPicture() {
        if (!PictureSizeFits(frame->width, frame->height) || frame->format < 0) return;
        PendingPicture picture;
        picture.time =
            TimeOf(*frame, format->streams[videoIndex]->time_base, lastPictureTime, frameDuration);
        picture.frame = av_frame_alloc();
        if (!picture.frame) return;
        av_frame_move_ref(picture.frame, frame);
        lastPictureTime = picture.time;
        pictures.push_back(picture);
    }

    bool ConfigureResampler() {
        AVChannelLayout layout{};
        if (av_channel_layout_check(&frame->ch_layout) && frame->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) {
            if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0) return false;
        } else {
            av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
        }
        if (resampler && resamplerRate == frame->sample_rate && resamplerFormat == frame->format &&
            av_channel_layout_compare(&layout, &resamplerLayout) == 0) {
            av_channel_layout_uninit(&layout);
            return true;
        }
        swr_free(&resampler);
        av_channel_layout_uninit(&resamplerLayout);
        resamplerLayout = layout;
        resamplerRate = frame->sample_rate;
        resamplerFormat = frame->format;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, static_cast<int>(kMovieSoundRate),
                                &resamplerLayout, static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(resampler) < 0) {
            swr_free(&resampler);
            return false;
        }
        return true;
    }

    void KeepSound() {
        const int channels = frame->ch_layout.nb_channels;
        if (channels < 1 || channels > kMaxSoundChannels || frame->sample_rate < 1 ||
            frame->sample_rate > kMaxSoundRate || frame->nb_samples <= 0 ||
            av_get_bytes_per_sample(static_cast<AVSampleFormat>(frame->format)) <= 0)
            return;
        if (!ConfigureResampler()) return;
        const int room = swr_get_out_samples(resampler, frame->nb_samples);
        if (room <= 0) return;
        const std::size_t before = soundSamples.size();
        soundSamples.resize(before + static_cast<std::size_t>(room) * 2u);
        auto* out = reinterpret_cast<std::uint8_t*>(soundSamples.data() + before);
        const int converted = swr_convert(resampler, &out, room, const_cast<const std::uint8_t**>(frame->extended_data),
                                          frame->nb_samples);
        soundSamples.resize(before + static_cast<std::size_t>(std::max(converted, 0)) * 2u);
        if (converted > 0 && soundStart < 0)
            soundStart = TimeOf(*frame, format->streams[soundIndex]->time_base, -1, 0);
    }

    // Sends one packet (null: the end) to a decoder and keeps every frame it gives back. False
    // when the decoder has failed too often in a row.
    bool Decode(AVCodecContext* decoder, const AVPacket* data, int& failures) {
        const int sent = avcodec_send_packet(decoder, data);
        bool decoded = false;
        for (;;) {
            const int received = avcodec_receive_frame(decoder, frame);
            if (received < 0) {
                if (Failing(received)) ++failures;
                break;
            }
            decoded = true;
            if (decoder == video)
                KeepPicture();
            else
                KeepSound();
            av_frame_unref(frame);
        }
        if (Failing(sent)) ++failures;
        if (decoded) failures = 0;
        return failures < kMaxFailedPacketsInARow;
    }
};

void SilenceDecoderMessages(bool silent) { av_log_set_level(silent ? AV_LOG_QUIET : AV_LOG_INFO); }

MovieDecoder::MovieDecoder(std::unique_ptr<State> state) : state_(std::move(state)) {}
MovieDecoder::~MovieDecoder() = default;

std::unique_ptr<MovieDecoder> MovieDecoder::Open(std::unique_ptr<FileHandle> file,
                                                 const MovieDecoderOptions& options) {
    if (!file || options.pictureWidth <= 0 || options.pictureHeight <= 0 ||
        options.pictureWidth > kMaxMoviePictureSide || options.pictureHeight > kMaxMoviePictureSide)
        return nullptr;
    auto state = std::make_unique<State>();
    State& s = *state;
    s.options = options;
    s.file = std::move(file);

    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferBytes));
    if (!buffer) return nullptr;
    s.io = avio_alloc_context(buffer, kIoBufferBytes, 0, s.file.get(), &ReadFromHandle, nullptr, &SeekInHandle);
    if (!s.io) {
        av_free(buffer);
        return nullptr;
    }
    s.format = avformat_alloc_context();
    if (!s.format) return nullptr;
    s.format->pb = s.io;
    s.format->flags |= AVFMT_FLAG_CUSTOM_IO;
    s.format->io_open = &RefuseNestedOpen;
    // On failure the format context is freed and nulled; the I/O context stays ours.
    if (avformat_open_input(&s.format, "", nullptr, nullptr) < 0) return nullptr;
    if (avformat_find_stream_info(s.format, nullptr) < 0) return nullptr;

    for (unsigned i = 0; i < s.format->nb_streams; ++i) {
        AVStream* stream = s.format->streams[i];
        stream->discard = AVDISCARD_ALL;
        const AVCodecParameters* parameters = stream->codecpar;
        const int index = static_cast<int>(i);
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO && s.videoIndex < 0 &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) &&
            s.PictureSizeFits(parameters->width, parameters->height)) {
            s.video = s.OpenDecoder(index, options.threads);
            if (s.video) s.videoIndex = index;
        } else if (parameters->codec_type == AVMEDIA_TYPE_AUDIO && options.decodeSound && s.soundIndex < 0) {
            s.sound = s.OpenDecoder(index, 1);
            if (s.sound) s.soundIndex = index;
        }
    }
    // Sound alone is no movie.
    if (s.videoIndex < 0) return nullptr;
    s.format->streams[s.videoIndex]->discard = AVDISCARD_DEFAULT;
    if (s.soundIndex >= 0) s.format->streams[s.soundIndex]->discard = AVDISCARD_DEFAULT;

    if (s.format->start_time != AV_NOPTS_VALUE)
        s.startTime = static_cast<double>(s.format->start_time) / AV_TIME_BASE;
    const AVRational rate = av_guess_frame_rate(s.format, s.format->streams[s.videoIndex], nullptr);
    if (rate.num > 0 && rate.den > 0) s.frameDuration = std::clamp(av_q2d(av_inv_q(rate)), 0.001, 1.0);

    s.packet = av_packet_alloc();
    s.frame = av_frame_alloc();
    if (!s.packet || !s.frame) return nullptr;
    return std::unique_ptr<MovieDecoder>(new MovieDecoder(std::move(state)));
}

MovieDecoder::ReadResult MovieDecoder::ReadPacket() {
    State& s = *state_;
    if (s.ended) return ReadResult::End;
    const int read = av_read_frame(s.format, s.packet);
    if (read == AVERROR(EAGAIN)) return ReadResult::Read;
    if (read == AVERROR_EOF) {
        // What the decoders still hold comes out now; a file cut short ends here too.
        s.Decode(s.video, nullptr, s.videoFailures);
        if (s.sound) s.Decode(s.sound, nullptr, s.soundFailures);
        s.ended = true;
        return ReadResult::End;
    }
    if (read < 0) return ReadResult::Failed;
    bool usable = true;
    if (s.packet->stream_index == s.videoIndex)
        usable = s.Decode(s.video, s.packet, s.videoFailures);
    else if (s.packet->stream_index == s.soundIndex)
        usable = s.Decode(s.sound, s.packet, s.soundFailures);
    av_packet_unref(s.packet);
    return usable ? ReadResult::Read : ReadResult::Failed;
}

bool MovieDecoder::HasSound() const { return state_->soundIndex >= 0; }

std::size_t MovieDecoder::PendingPictures() const { return state_->pictures.size(); }

double MovieDecoder::NextPictureTime() const {
    return state_->pictures.empty() ? 0 : state_->pictures.front().time;
}

bool MovieDecoder::TakePicture(std::vector<std::uint8_t>& out) {
    State& s = *state_;
    if (s.pictures.empty()) return false;
    PendingPicture picture = s.pictures.front();
    s.pictures.pop_front();
    AVFrame* source = picture.frame;
    const int width = s.options.pictureWidth;
    const int height = s.options.pictureHeight;
    s.scaler = sws_getCachedContext(s.scaler, source->width, source->height,
                                    static_cast<AVPixelFormat>(source->format), width, height, AV_PIX_FMT_BGR24,
                                    SWS_BILINEAR, nullptr, nullptr, nullptr);
    bool converted = false;
    if (s.scaler) {
        out.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u);
        std::uint8_t* planes[4] = {out.data(), nullptr, nullptr, nullptr};
        int strides[4] = {width * 3, 0, 0, 0};
        converted = sws_scale(s.scaler, source->data, source->linesize, 0, source->height, planes, strides) == height;
    }
    av_frame_free(&picture.frame);
    return converted;
}

std::size_t MovieDecoder::PendingSoundFrames() const {
    return (state_->soundSamples.size() - state_->soundRead) / 2u;
}

const std::int16_t* MovieDecoder::SoundFrames() const { return state_->soundSamples.data() + state_->soundRead; }

void MovieDecoder::DropSound(std::size_t frames) {
    State& s = *state_;
    s.soundRead += std::min(frames, PendingSoundFrames()) * 2u;
    // Taken sound is given back once it is the larger part of the buffer.
    if (s.soundRead > 0 && s.soundRead * 2u >= s.soundSamples.size()) {
        s.soundSamples.erase(s.soundSamples.begin(), s.soundSamples.begin() + static_cast<std::ptrdiff_t>(s.soundRead));
        s.soundRead = 0;
    }
}

double MovieDecoder::SoundStartTime() const { return std::max(state_->soundStart, 0.0); }

}  // namespace backend
