// Fuzz target for pack archives: the index load and every lookup and read on arbitrary index
// and data files.
//
// Input layout: u16 (little-endian) length L of the index file, then L bytes of index, then the
// data file. Every entry of a loaded index must lie inside the data file; each is then looked
// up by its own name and kind and read both ways (whole, and through the open data file).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pack/pack_reader.h"
#include "fuzz/fuzz_backend.h"
#include "backend/headless/headless_hub.h"

namespace {

using kvfuzz::Folder;

void WriteNative(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
}

void Check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "pack reader: %s\n", what);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string folder = Folder();
    if (size < 2) return 0;
    const std::size_t indexSize = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
    WriteNative(folder + "/P.lst", data + 2, indexSize);
    WriteNative(folder + "/P", data + 2 + indexSize, size - 2 - indexSize);
    const std::int64_t dataSize = static_cast<std::int64_t>(size - 2 - indexSize);

    kv::PackReader reader(kv::String((backend::Get().Files().ModuleFolder() + "P").c_str()));
    Check(reader.IsValid(), "both files exist");
    if (!reader.LoadIndex()) {
        Check(reader.EntryCount() == 0, "a refused index keeps no entries");
        return 0;
    }
    for (std::int32_t i = 0; i < reader.EntryCount(); ++i) {
        const kv::PackEntry entry = *reader.EntryAt(i);
        Check(static_cast<std::int64_t>(entry.offset) + entry.size <= dataSize, "entry inside the data file");
        const std::string name(entry.name, kv::PackNameLength(entry));
        if (!reader.FindEntryOfTypes(name.c_str(), entry.kind, entry.kind)) continue;
        const std::int32_t found = reader.GetEntrySize();
        Check(found >= 0, "a found entry has a size");
        std::vector<std::uint8_t> whole(static_cast<std::size_t>(found));
        Check(reader.ReadEntry(whole.data(), whole.size()) || found == 0, "a checked entry reads");
        if (reader.OpenData(static_cast<std::uint8_t>(i & 1))) {
            std::uint8_t head[16];
            if (reader.SeekEntry()) reader.Data()->Read(head, sizeof head);
            Check(!reader.OpenData(0), "one open data file at a time");
            reader.CloseData();
        }
    }
    return 0;
}
