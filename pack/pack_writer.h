#pragma once
// Builds a pack archive: the data file is written as files are added, the index when all are
// in. A packing tool runs Create -> AllocEntries(number of files) -> AddFile for each ->
// CloseData -> WriteIndex.

#include <cstdint>
#include <memory>
#include <vector>

#include "base/string.h"
#include "pack/pack_entry.h"
#include "backend/file_service.h"

namespace kv {

// The name a file is stored under: the path after its last '\' (one that is the second byte
// of a double-byte character does not count), less its last four bytes (the extension).
String PackEntryNameFromPath(const String& path);
// True for a name that reads back as written: 1 to 63 bytes (the terminator must fit the
// field) without the index key byte (it would be stored as 0 and cut the name short).
bool IsStorablePackName(const String& name);

class PackWriter {
public:
    PackWriter() = default;
    ~PackWriter() = default;
    PackWriter(const PackWriter&) = delete;
    PackWriter& operator=(const PackWriter&) = delete;

    // Creates (or empties) the data file; false when it cannot be opened for writing.
    bool Create(const char* dataPath);
    // Makes a table of n empty records, the count the index file receives. Called once, before
    // any file is added; false for a negative or unreasonable n (the table is then empty).
    bool AllocEntries(std::int32_t n);
    // Appends the file's bytes (scrambled for kind 1) and records its entry; the number of
    // bytes appended. 0 when nothing was recorded: no data file, a full table, a name that
    // cannot be stored, an unreadable file or a failed write. A failed file leaves no gap: the
    // next one is written at the offset it would have taken.
    std::uint32_t AddFile(const char* path, std::uint32_t kind);
    void CloseData();
    // Writes the data path + ".lst" with every allocated record, scrambled on the way out; the
    // table itself stays plain, so a second call writes the same file.
    bool WriteIndex();
    // Closes the data file, frees the table and forgets the path.
    void Release();

    const String& DataPath() const { return dataPath_; }
    std::uint32_t BytesWritten() const { return bytesWritten_; }
    std::int32_t EntriesRecorded() const { return recorded_; }
    std::int32_t EntriesAllocated() const { return static_cast<std::int32_t>(entries_.size()); }
    // Null outside the table.
    const PackEntry* EntryAt(std::int32_t index) const;

    // No pack comes near this; a larger count is a caller's mistake, not a table to allocate.
    static constexpr std::int32_t kMaxEntries = 1 << 20;

private:
    void AddEntry(std::uint32_t size, const String& name, std::uint32_t kind);
    bool CopyFileBytes(backend::FileHandle& source, std::int64_t size, std::uint32_t kind);

    String dataPath_;
    std::unique_ptr<backend::FileHandle> data_;
    std::uint32_t bytesWritten_ = 0;
    std::vector<PackEntry> entries_;
    std::int32_t recorded_ = 0;
};

}  // namespace kv
