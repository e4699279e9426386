#pragma once
// Ogg Vorbis to 16-bit little-endian signed PCM through vorbisfile: from a file that stays open
// (streams) or from a memory image of the whole file (whole sounds). The stream fill wraps to
// the start at the end of the stream and says where it did.

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "backend/audio_device.h"
#include "backend/file_service.h"

namespace kv {

class OggDecoder {
public:
    OggDecoder();
    ~OggDecoder();
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    // For streaming: the file stays open until Close.
    bool OpenFile(std::string_view path);
    // For a whole sound: length bytes from the stream's position are read into memory.
    bool OpenMemory(backend::FileHandle& stream, std::int64_t length);
    // The same for an image already read.
    bool OpenImage(std::vector<std::uint8_t> image);
    void Close();

    const backend::PcmFormat& Format() const { return format_; }
    // PCM bytes of the whole sound (memory-opened decoders).
    std::uint32_t TotalBytes() const { return totalBytes_; }

    // Decodes from the start into buffer until it is full or the sound ends.
    bool DecodeAll(std::uint8_t* buffer, std::uint32_t length);
    // Fills buffer, wrapping to the start of the stream as often as needed; a stream that
    // yields nothing, cannot go back to its start or keeps failing fills the rest with silence
    // and gives false. Needs OpenFile.
    bool StreamFill(std::uint8_t* buffer, std::uint32_t length);
    bool End() const { return end_; }
    std::uint32_t EndPosition() const { return endPosition_; }
    // Back to the first sample (a stream started again).
    bool Rewind();

    // Kept for the stream's owner; the decoder does not consult it.
    void SetLoop(bool loop) { loop_ = loop; }
    bool Loop() const { return loop_; }

    // vorbisfile's read callbacks over the memory image (the data source is the decoder).
    static std::size_t MemRead(void* destination, std::size_t size, std::size_t count, void* source);
    static int MemSeek(void* source, ogg_int64_t offset, int whence);
    static int MemClose(void* source);
    static long MemTell(void* source);

private:
    bool OpenCallbacks(void* source, const ov_callbacks& callbacks);
    void SetOutputFormat();

    std::unique_ptr<backend::FileHandle> file_;
    OggVorbis_File vf_;
    bool vfOpen_ = false;
    std::vector<std::uint8_t> image_;
    std::int64_t readPos_ = 0;
    std::uint32_t totalBytes_ = 0;
    backend::PcmFormat format_;
    bool fileOpened_ = false;
    bool loop_ = false;
    bool end_ = false;
    std::uint32_t endPosition_ = 0;
    bool yieldedSinceWrap_ = false;
};

}  // namespace kv
