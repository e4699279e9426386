// Fuzz target for the RIFF/WAV reader: the header, the data chunk, the plain read and the
// stream read that wraps, on an arbitrary file image (from memory and through a file handle at
// an offset, as a pack gives it).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "fuzz/fuzz_backend.h"
#include "sound/wav_reader.h"

namespace {

void Exercise(kv::WavReader& reader) {
    if (!reader.SeekData()) return;
    std::vector<std::uint8_t> out(4096);
    reader.Read(static_cast<std::uint32_t>(std::min<std::size_t>(reader.DataBytes(), out.size())), out.data());
    for (std::uint32_t count : {1u, 7u, 4096u, 3000u}) {
        if (!reader.StreamRead(count, out.data())) return;
        if (reader.End() && reader.EndPosition() > count) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::WavReader reader;
    if (reader.OpenMemory(data, 0, static_cast<std::int64_t>(size))) Exercise(reader);

    static const std::string path = kvfuzz::Folder() + "fuzz.wav";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const char lead[3] = {'p', 'a', 'k'};
        out.write(lead, 3);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    backend::FileService& files = backend::Get().Files();
    auto file = files.OpenFile(files.ModuleFolder() + "fuzz.wav", backend::FileMode::Read);
    if (file && reader.OpenHandle(*file, 3)) Exercise(reader);
    reader.Close();
    return 0;
}
