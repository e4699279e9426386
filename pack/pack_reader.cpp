#include "pack/pack_reader.h"

#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/byte_order.h"

#include <cstring>

namespace kv {

namespace {

std::unique_ptr<backend::FileHandle> OpenForReading(const String& path) {
    if (path.IsEmpty()) return nullptr;
    return backend::Get().Files().OpenFile(path.View(), backend::FileMode::Read);
}

// Whether the entry's bytes all lie in the data file. A damaged record fails only its own
// reads, so that the rest of the pack stays usable.
bool EntryInside(const PackEntry& entry, std::int64_t dataSize) {
    const std::int64_t end = static_cast<std::int64_t>(entry.offset) + static_cast<std::int64_t>(entry.size);
    return entry.offset <= pack_format::kMaxDataSize && entry.size <= pack_format::kMaxDataSize &&
           end <= dataSize;
}

}  // namespace

PackReader::PackReader(const String& base) {
    Open(base);
}

void PackReader::Open(const String& base) {
    String index = base.ConcatChars(".lst");
    if (OpenForReading(base) && OpenForReading(index)) {
        dataPath_ = base;
        indexPath_ = index;
        valid_ = true;
    } else {
        valid_ = false;
    }
}

bool PackReader::LoadIndex() {
    using namespace pack_format;
    // Whatever happens below, the old table is gone: a failed load must not leave entries
    // that point into another file.
    entries_.clear();
    current_ = -1;
    const auto data = OpenForReading(dataPath_);
    dataSize_ = data ? data->Size() : 0;

    auto index = OpenForReading(indexPath_);
    if (!index) return false;
    const std::int64_t indexSize = index->Size();
    std::uint8_t countBytes[kCountSize];
    if (index->Read(countBytes, kCountSize) != kCountSize) return false;
    const std::uint32_t stored = ReadLe32(countBytes);
    const auto count = static_cast<std::int32_t>(stored ^ kIndexKeyWord);
    if (count <= 0) return true;

    // The records must all be in the file: this also bounds the allocation by the file's size.
    const std::int64_t recordBytes = static_cast<std::int64_t>(count) * static_cast<std::int64_t>(kEntrySize);
    if (indexSize < 0 || recordBytes > indexSize - static_cast<std::int64_t>(kCountSize)) return false;
    std::vector<std::uint8_t> records(static_cast<std::size_t>(recordBytes));
    if (index->Read(records.data(), records.size()) != records.size()) return false;
    index.reset();

    std::vector<PackEntry> table;
    table.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        table.push_back(DecodePackEntry(records.data() + static_cast<std::size_t>(i) * kEntrySize));
    }
    entries_ = std::move(table);
    return true;
}

std::int32_t PackReader::Find(const String& name, std::uint32_t kind1, std::uint32_t kind2) const {
    const String upper = name.ToUpper();
    const std::string_view wanted = upper.View();
    // An empty name would match the empty records of a partly filled index.
    if (wanted.empty() || wanted.size() > pack_format::kNameSize) return -1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const PackEntry& entry = entries_[i];
        if (entry.kind != kind1 && entry.kind != kind2) continue;
        if (PackNameLength(entry) == wanted.size() && std::memcmp(entry.name, wanted.data(), wanted.size()) == 0) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

bool PackReader::FindEntry(const String& name, std::uint32_t kind) {
    return FindEntryOfTypes(name, kind, kind);
}

bool PackReader::FindEntryOfTypes(const String& name, std::uint32_t kind1, std::uint32_t kind2) {
    const std::int32_t found = Find(name, kind1, kind2);
    if (found < 0) return false;
    current_ = found;
    return true;
}

const PackEntry* PackReader::EntryAt(std::int32_t index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

const PackEntry* PackReader::CurrentEntry() const {
    return EntryAt(current_);
}

std::int32_t PackReader::GetEntrySize() const {
    const PackEntry* entry = CurrentEntry();
    if (!entry || !EntryInside(*entry, dataSize_)) return -1;
    return static_cast<std::int32_t>(entry->size);
}

bool PackReader::ReadEntry(std::uint8_t* buffer, std::size_t capacity) {
    const PackEntry* entry = CurrentEntry();
    if (!entry || (buffer == nullptr && entry->size != 0) || capacity < entry->size) return false;
    auto data = OpenForReading(dataPath_);
    if (!data || !EntryInside(*entry, data->Size()) || !data->Seek(entry->offset)) return false;
    if (data->Read(buffer, entry->size) != entry->size) return false;
    if (entry->kind == pack_kind::kScript) {
        for (std::uint32_t i = 0; i < entry->size; ++i) buffer[i] ^= pack_format::kScriptKey;
    }
    return true;
}

bool PackReader::OpenData(std::uint8_t mode) {
    openMode_ = mode;
    if (data_) return false;
    data_ = OpenForReading(dataPath_);
    return data_ != nullptr;
}

bool PackReader::SeekEntry() {
    const PackEntry* entry = CurrentEntry();
    return entry && data_ && EntryInside(*entry, data_->Size()) && data_->Seek(entry->offset);
}

void PackReader::CloseData() {
    data_.reset();
}

std::unique_ptr<backend::FileHandle> PackReader::TakeData() {
    return std::move(data_);
}

void PackReader::Release() {
    entries_.clear();
    entries_.shrink_to_fit();
    data_.reset();
    openMode_ = 0;
}

}  // namespace kv
