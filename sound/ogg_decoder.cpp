#include "sound/ogg_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "backend/hub.h"

namespace kv {

namespace {

// More PCM than this is not a sound of a game but a damaged or hostile file.
constexpr std::int64_t kMaxPcmBytes = 256 * 1024 * 1024;
// ov_read's errors (holes, bad links) are skipped; this many in a row end the decode.
constexpr int kMaxErrorsInARow = 16;

std::size_t FileRead(void* destination, std::size_t size, std::size_t count, void* source) {
    if (source == nullptr || size == 0) return 0;
    auto* file = static_cast<backend::FileHandle*>(source);
    return file->Read(destination, size * count) / size;
}

int FileSeek(void* source, ogg_int64_t offset, int whence) {
    if (source == nullptr) return -1;
    auto* file = static_cast<backend::FileHandle*>(source);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += file->Tell();
    else if (whence == SEEK_END) target += file->Size();
    else if (whence != SEEK_SET) return -1;
    return target >= 0 && file->Seek(target) ? 0 : -1;
}

long FileTell(void* source) {
    return source ? static_cast<long>(static_cast<backend::FileHandle*>(source)->Tell()) : -1;
}

// The decoder's Close closes the file itself.
int FileClose(void*) { return 0; }

int ReadPcm(OggVorbis_File* vf, std::uint8_t* out, std::uint32_t bytes) {
    int bitstream = 0;
    return static_cast<int>(ov_read(vf, reinterpret_cast<char*>(out), static_cast<int>(bytes), 0, 2, 1, &bitstream));
}

}  // namespace

OggDecoder::OggDecoder() { std::memset(&vf_, 0, sizeof vf_); }

OggDecoder::~OggDecoder() { Close(); }

std::size_t OggDecoder::MemRead(void* destination, std::size_t size, std::size_t count, void* source) {
    if (source == nullptr || size == 0) return 0;
    auto* self = static_cast<OggDecoder*>(source);
    const auto imageSize = static_cast<std::int64_t>(self->image_.size());
    if (self->readPos_ >= imageSize) return 0;
    std::size_t bytes = size * count;
    bytes = std::min<std::size_t>(bytes, static_cast<std::size_t>(imageSize - self->readPos_));
    std::memcpy(destination, self->image_.data() + self->readPos_, bytes);
    self->readPos_ += static_cast<std::int64_t>(bytes);
    return bytes / size;
}

int OggDecoder::MemSeek(void* source, ogg_int64_t offset, int whence) {
    if (source == nullptr) return -1;
    auto* self = static_cast<OggDecoder*>(source);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += self->readPos_;
    else if (whence == SEEK_END) target += static_cast<std::int64_t>(self->image_.size());
    else if (whence != SEEK_SET) return -1;
    if (target < 0) return -1;
    self->readPos_ = target;  // beyond the image: the next read reads nothing
    return 0;
}

int OggDecoder::MemClose(void* source) {
    if (source == nullptr) return 0;
    auto* self = static_cast<OggDecoder*>(source);
    std::vector<std::uint8_t>().swap(self->image_);
    return 0;
}

long OggDecoder::MemTell(void* source) {
    return source ? static_cast<long>(static_cast<OggDecoder*>(source)->readPos_) : -1;
}

bool OggDecoder::OpenCallbacks(void* source, const ov_callbacks& callbacks) {
    if (ov_open_callbacks(source, &vf_, nullptr, 0, callbacks) != 0) {
        // vorbisfile has cleared what it took.
        std::memset(&vf_, 0, sizeof vf_);
        return false;
    }
    vfOpen_ = true;
    SetOutputFormat();
    return backend::IsPlayablePcm(format_);
}

void OggDecoder::SetOutputFormat() {
    const vorbis_info* info = ov_info(&vf_, -1);
    const auto channels = static_cast<std::uint16_t>(info ? info->channels : 0);
    format_.channels = channels;
    format_.samplesPerSecond = info && info->rate > 0 ? static_cast<std::uint32_t>(info->rate) : 0;
    format_.bitsPerSample = 16;
    format_.blockAlign = static_cast<std::uint16_t>(channels * 2);
    format_.averageBytesPerSecond = format_.blockAlign * format_.samplesPerSecond;
}

bool OggDecoder::OpenFile(std::string_view path) {
    if (vfOpen_) return false;
    file_ = backend::Get().Files().OpenFile(path, backend::FileMode::Read);
    if (!file_) return false;
    const ov_callbacks callbacks = {FileRead, FileSeek, FileClose, FileTell};
    if (!OpenCallbacks(file_.get(), callbacks)) {
        Close();
        return false;
    }
    fileOpened_ = true;
    return true;
}

bool OggDecoder::OpenMemory(backend::FileHandle& stream, std::int64_t length) {
    std::vector<std::uint8_t> image;
    if (length <= 0 || length > kMaxPcmBytes || !backend::ReadExactly(stream, length, image)) {
        Close();
        return false;
    }
    return OpenImage(std::move(image));
}

bool OggDecoder::OpenImage(std::vector<std::uint8_t> image) {
    Close();
    image_ = std::move(image);
    const ov_callbacks callbacks = {MemRead, MemSeek, MemClose, MemTell};
    if (!OpenCallbacks(this, callbacks)) {
        Close();
        return false;
    }
    // The exact sample count, so that the size is whole frames and no sample is lost.
    const ogg_int64_t samples = ov_pcm_total(&vf_, -1);
    const std::int64_t bytes = samples * format_.blockAlign;
    if (samples < 0 || bytes > kMaxPcmBytes) {
        Close();
        return false;
    }
    totalBytes_ = static_cast<std::uint32_t>(bytes);
    return true;
}

void OggDecoder::Close() {
    if (vfOpen_) ov_clear(&vf_);
    std::memset(&vf_, 0, sizeof vf_);
    vfOpen_ = false;
    file_.reset();
    std::vector<std::uint8_t>().swap(image_);
    readPos_ = 0;
    totalBytes_ = 0;
    format_ = backend::PcmFormat();
    fileOpened_ = loop_ = end_ = yieldedSinceWrap_ = false;
    endPosition_ = 0;
}

bool OggDecoder::DecodeAll(std::uint8_t* buffer, std::uint32_t length) {
    if (!vfOpen_ || format_.blockAlign == 0) return false;
    std::uint32_t done = 0;
    int errors = 0;
    // Less than a frame of room is a full buffer: vorbisfile cannot put anything there.
    while (length - done >= format_.blockAlign) {
        const int n = ReadPcm(&vf_, buffer + done, length - done);
        if (n == 0) break;
        if (n < 0) {
            if (++errors >= kMaxErrorsInARow) break;
            continue;
        }
        errors = 0;
        done += static_cast<std::uint32_t>(n);
    }
    return true;
}

bool OggDecoder::StreamFill(std::uint8_t* buffer, std::uint32_t length) {
    if (!fileOpened_) return false;
    end_ = false;
    endPosition_ = 0;
    std::uint32_t done = 0;
    int errors = 0;
    bool ok = true;
    while (length - done >= format_.blockAlign) {
        const int n = ReadPcm(&vf_, buffer + done, length - done);
        if (n > 0) {
            done += static_cast<std::uint32_t>(n);
            errors = 0;
            yieldedSinceWrap_ = true;
            continue;
        }
        if (n < 0 && ++errors < kMaxErrorsInARow) continue;
        if (n == 0 && !end_) {
            end_ = true;
            endPosition_ = done;
        }
        // The end (or a stream that keeps failing): back to the start, unless that gives
        // nothing new.
        if (n < 0 || !yieldedSinceWrap_ || ov_time_seek(&vf_, 0.0) != 0) {
            ok = false;
            break;
        }
        yieldedSinceWrap_ = false;
    }
    std::memset(buffer + done, 0, length - done);
    return ok;
}

bool OggDecoder::Rewind() {
    if (!vfOpen_) return false;
    yieldedSinceWrap_ = false;
    end_ = false;
    return ov_time_seek(&vf_, 0.0) == 0;
}

}  // namespace kv
