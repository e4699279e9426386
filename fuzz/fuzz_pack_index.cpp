// Fuzz target for pack archives: the index load and every lookup and read on arbitrary index
// and data files.
//
// Input layout: u16 (little-endian) length L of the index file, then L bytes of index, then the
// data file. Each entry of a loaded index is looked up by its own name and kind and read both
// ways (whole, and through the open data file): an entry inside the data file must read, one
// that reaches past its end must fail either way.

#include <unistd.h>

#include <algorithm>
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
        const std::string name(entry.name, kv::PackNameLength(entry));
        if (!reader.FindEntryOfTypes(name.c_str(), entry.kind, entry.kind)) continue;
        // The first entry of that name and kind, which need not be entry i.
        const kv::PackEntry found = *reader.CurrentEntry();
        const bool inside = static_cast<std::int64_t>(found.offset) + found.size <= dataSize;
        const std::int32_t entrySize = reader.GetEntrySize();
        Check(inside == (entrySize >= 0), "an entry has a size exactly when it lies inside the data file");
        // A buffer of the entry's size; an entry past the end, which has none, is tried with 16
        // bytes, so that the read itself must see that the data file is too short.
        const bool nearby = entrySize >= 0 && entrySize <= dataSize + 4096;
        std::vector<std::uint8_t> whole(nearby ? static_cast<std::size_t>(entrySize) : 16);
        const bool read = reader.ReadEntry(whole.data(), whole.size());
        Check(read == inside || (inside && entrySize == 0), inside ? "an entry inside reads" : "an entry past the end fails");
        if (reader.OpenData(static_cast<std::uint8_t>(i & 1))) {
            const bool positioned = reader.SeekEntry();
            Check(!positioned || inside, "an entry past the end is not positioned at");
            std::uint8_t head[16];
            if (positioned) reader.Data()->Read(head, std::min<std::size_t>(sizeof head, found.size));
            Check(!reader.OpenData(0), "one open data file at a time");
            reader.CloseData();
        }
    }
    return 0;
}
