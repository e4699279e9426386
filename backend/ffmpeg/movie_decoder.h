#pragma once
// One movie file demuxed and decoded with FFmpeg, packet by packet, without threads or timing:
// the playback (backend/ffmpeg/ffmpeg_movie.h) and the fuzz target drive it. Pictures come out
// as 24-bit BGR scaled to a size given at opening, sound as 16-bit stereo at kMovieSoundRate.
// The file is read through the file service's handle only: a movie cannot make FFmpeg open
// other files or addresses.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "backend/file_service.h"

namespace backend {

inline constexpr std::uint32_t kMovieSoundRate = 44100;
// Pictures larger than this either way are not decoded (no game movie comes near it).
inline constexpr std::int32_t kMaxMoviePictureSide = 4096;

struct MovieDecoderOptions {
    std::int32_t pictureWidth = 0;  // every picture is scaled to this size
    std::int32_t pictureHeight = 0;
    bool decodeSound = false;
    int threads = 1;  // threads of the picture decoder
};

// FFmpeg's own messages (damaged files make it talk) off, or back at its default level.
void SilenceDecoderMessages(bool silent);

class MovieDecoder {
public:
    // Null when the file is no movie FFmpeg can read, or holds no picture stream it can decode
    // (a file with sound only is refused), or the picture size is not 1..kMaxMoviePictureSide.
    static std::unique_ptr<MovieDecoder> Open(std::unique_ptr<FileHandle> file, const MovieDecoderOptions& options);
    ~MovieDecoder();
    MovieDecoder(const MovieDecoder&) = delete;
    MovieDecoder& operator=(const MovieDecoder&) = delete;

    enum class ReadResult : std::uint8_t {
        Read,    // a packet was read and decoded (or passed over)
        End,     // the file has ended and the decoders are drained; what is pending is the rest
        Failed,  // the file cannot be read on, or a stream keeps failing to decode
    };
    ReadResult ReadPacket();

    bool HasSound() const;

    // Decoded pictures not yet taken, oldest first.
    std::size_t PendingPictures() const;
    // Seconds from the movie's start at which the oldest pending picture is due (0 when none).
    double NextPictureTime() const;
    // Converts the oldest pending picture into out (pictureWidth * 3 bytes a row, top row
    // first) and drops it. False when there is none, or it cannot be converted (dropped too).
    bool TakePicture(std::vector<std::uint8_t>& out);

    // Decoded sound not yet taken: interleaved left/right frames.
    std::size_t PendingSoundFrames() const;
    const std::int16_t* SoundFrames() const;
    void DropSound(std::size_t frames);
    // Seconds from the movie's start at which the first sound frame plays (0 before any).
    double SoundStartTime() const;

private:
    struct State;
    explicit MovieDecoder(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace backend
