// The save-file reader: thumbnail detection, the version, the blob's counts, stacks and texts.
// Whatever it accepts must write back to the same blob and read again to the same snapshot.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "script/save/data_set_codec.h"
#include "script/save/save_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    kv::DataSetSnapshot snapshot;
    if (kv::ReadSaveFile(file, kv::MakeVersionField(""), snapshot) != kv::SaveFileCheck::Sound) return 0;
    const std::vector<std::uint8_t> blob = kv::EncodeBlob(snapshot);
    kv::DataSetSnapshot again;
    if (!kv::DecodeBlob(blob, again) || !(again.arrays == snapshot.arrays) || blob.size() != snapshot.header.totalSize) {
        std::abort();
    }
    return 0;
}
