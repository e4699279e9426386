#pragma once
// Reads one pack archive: checks that the data file and its index exist, loads and
// descrambles the index, finds entries by name and kind, and either reads a whole entry into
// memory or opens the data file at an entry for a decoder that reads on its own.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/string.h"
#include "pack/pack_entry.h"
#include "backend/file_service.h"

namespace kv {

class PackReader {
public:
    // Open modes of the data file. The handle mode serves the WAV loaders, the stream mode the
    // picture and Ogg decoders; both are a platform file here, the mode is only recorded.
    static constexpr std::uint8_t kStreamMode = 0;
    static constexpr std::uint8_t kHandleMode = 1;

    PackReader() = default;
    // Open(base).
    explicit PackReader(const String& base);
    ~PackReader() = default;
    PackReader(const PackReader&) = delete;
    PackReader& operator=(const PackReader&) = delete;

    // Tests that base and base + ".lst" can both be opened. Only then are the paths taken and
    // the reader valid; otherwise it is not valid and the paths keep their former values.
    void Open(const String& base);
    bool IsValid() const { return valid_; }

    // Reads and descrambles the index. An index whose count does not fit its file or that ends
    // early is refused: false, and the reader keeps an empty table so that every lookup fails.
    // A count of 0 or less is an empty pack. An entry that reaches past the data file is kept:
    // only its own reads fail.
    bool LoadIndex();

    // Makes the first entry of the kind whose stored name equals the upper-cased name the
    // current one. A miss leaves the current entry as it was.
    bool FindEntry(const String& name, std::uint32_t kind);
    // The same for either of two kinds; the first match in index order wins.
    bool FindEntryOfTypes(const String& name, std::uint32_t kind1, std::uint32_t kind2);
    // Size of the current entry; -1 when there is none or it reaches past the data file as the
    // index load found it, so that no caller makes room for bytes that cannot be read.
    std::int32_t GetEntrySize() const;
    // The current entry; null when there is none.
    const PackEntry* CurrentEntry() const;

    // Reads the whole current entry into buffer (capacity bytes, at least the entry's size),
    // unscrambling a kind-1 entry. Opens the data file on its own, whether or not OpenData has.
    // An entry that reaches past the end of the data file fails.
    bool ReadEntry(std::uint8_t* buffer, std::size_t capacity);

    // Opens the data file for a decoder; false when it is already open (one reader serves one
    // open data file at a time) or cannot be opened.
    bool OpenData(std::uint8_t mode);
    // Positions the open data file at the current entry; fails for an entry that reaches past
    // the end of the data file, so that no reader of the entry's size reads beyond it.
    bool SeekEntry();
    void CloseData();
    // The open data file; null when closed.
    backend::FileHandle* Data() const { return data_.get(); }
    // Hands the open data file over (to a sound that streams from it); the reader counts it as
    // closed from then on.
    std::unique_ptr<backend::FileHandle> TakeData();
    std::uint8_t OpenMode() const { return openMode_; }

    // Frees the table and closes the data file; the paths, the valid flag and the current
    // entry stay.
    void Release();

    const String& DataPath() const { return dataPath_; }
    const String& IndexPath() const { return indexPath_; }
    std::int32_t EntryCount() const { return static_cast<std::int32_t>(entries_.size()); }
    // Null outside the table.
    const PackEntry* EntryAt(std::int32_t index) const;

private:
    std::int32_t Find(const String& name, std::uint32_t kind1, std::uint32_t kind2) const;

    String dataPath_;
    String indexPath_;
    bool valid_ = false;
    std::uint8_t openMode_ = 0;
    std::vector<PackEntry> entries_;
    std::int64_t dataSize_ = 0;  // of the data file when the index was loaded
    std::unique_ptr<backend::FileHandle> data_;
    std::int32_t current_ = -1;
};

}  // namespace kv
