// Fuzz target for the Ogg Vorbis memory source: vorbisfile reading an arbitrary image through
// the decoder's memory callbacks, and the whole decode into a buffer of the size it reports.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_backend.h"
#include "sound/ogg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvfuzz::Backend();
    kv::OggDecoder decoder;
    if (!decoder.OpenImage(std::vector<std::uint8_t>(data, data + size))) return 0;
    // Bounded: the fuzzer's images are small, a claimed length is not trusted beyond this.
    const std::uint32_t length = std::min<std::uint32_t>(decoder.TotalBytes(), 1u << 22);
    std::vector<std::uint8_t> pcm(length + 3);
    decoder.DecodeAll(pcm.data(), static_cast<std::uint32_t>(pcm.size()));
    return 0;
}
