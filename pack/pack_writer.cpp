#include "pack/pack_writer.h"

#include <algorithm>
#include <cstring>

#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/byte_order.h"
#include "base/text_utils.h"

namespace kv {

String PackEntryNameFromPath(const String& path) {
    const char* text = path.c_str();
    const std::int32_t length = path.GetLength();
    std::int32_t start = 0;
    for (std::int32_t i = 0; i < length;) {
        if (i + 1 < length && IsDbcsLeadPair(text + i)) {
            i += 2;
            continue;
        }
        if (text[i] == '\\') start = i + 1;
        ++i;
    }
    return path.Mid(start + 1, length - start - 4);
}

bool IsStorablePackName(const String& name) {
    const std::string_view bytes = name.View();
    return !bytes.empty() && bytes.size() < pack_format::kNameSize &&
           bytes.find(static_cast<char>(pack_format::kIndexKey)) == std::string_view::npos;
}

bool PackWriter::Create(const char* dataPath) {
    data_.reset();
    dataPath_.Empty();
    if (dataPath == nullptr || *dataPath == '\0') return false;
    // Emptied, not kept: a longer old file would otherwise keep its tail behind the new data.
    data_ = backend::Get().Files().OpenFile(dataPath, backend::FileMode::Write);
    if (!data_) return false;
    dataPath_ = dataPath;
    return true;
}

bool PackWriter::AllocEntries(std::int32_t n) {
    entries_.clear();
    if (n < 0 || n > kMaxEntries) return false;
    entries_.resize(static_cast<std::size_t>(n));
    return true;
}

bool PackWriter::CopyFileBytes(backend::FileHandle& source, std::int64_t size, std::uint32_t kind) {
    // Always at the offset the entry will be recorded with: what a failed file left behind is
    // overwritten by the next one instead of shifting it.
    if (!data_->Seek(bytesWritten_)) return false;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::int64_t>(size, 1 << 20)));
    std::int64_t left = size;
    while (left > 0) {
        const auto piece = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(chunk.size())));
        if (source.Read(chunk.data(), piece) != piece) return false;
        if (kind == pack_kind::kScript) {
            for (std::size_t i = 0; i < piece; ++i) chunk[i] ^= pack_format::kScriptKey;
        }
        if (data_->Write(chunk.data(), piece) != piece) return false;
        left -= static_cast<std::int64_t>(piece);
    }
    return true;
}

std::uint32_t PackWriter::AddFile(const char* path, std::uint32_t kind) {
    if (!data_ || path == nullptr || recorded_ >= EntriesAllocated()) return 0;
    const String name = PackEntryNameFromPath(path);
    if (!IsStorablePackName(name)) return 0;
    auto source = backend::Get().Files().OpenFile(path, backend::FileMode::Read);
    if (!source) return 0;
    const std::int64_t size = source->Size();
    if (size < 0 || size > pack_format::kMaxDataSize - static_cast<std::int64_t>(bytesWritten_)) return 0;
    if (!CopyFileBytes(*source, size, kind)) return 0;
    AddEntry(static_cast<std::uint32_t>(size), name, kind);
    bytesWritten_ += static_cast<std::uint32_t>(size);
    return static_cast<std::uint32_t>(size);
}

void PackWriter::AddEntry(std::uint32_t size, const String& name, std::uint32_t kind) {
    PackEntry& entry = entries_[static_cast<std::size_t>(recorded_)];
    entry = PackEntry{};
    entry.offset = bytesWritten_;
    entry.size = size;
    std::memcpy(entry.name, name.c_str(), static_cast<std::size_t>(name.GetLength()));
    entry.kind = kind;
    ++recorded_;
}

void PackWriter::CloseData() {
    data_.reset();
}

bool PackWriter::WriteIndex() {
    using namespace pack_format;
    if (dataPath_.IsEmpty()) return false;
    const String indexPath = dataPath_.ConcatChars(".lst");
    auto index = backend::Get().Files().OpenFile(indexPath.View(), backend::FileMode::Write);
    if (!index) return false;
    std::uint8_t countBytes[kCountSize];
    WriteLe32(countBytes, static_cast<std::uint32_t>(entries_.size()) ^ kIndexKeyWord);
    if (index->Write(countBytes, kCountSize) != kCountSize) return false;
    std::uint8_t record[kEntrySize];
    for (const PackEntry& entry : entries_) {
        EncodePackEntry(entry, record);
        if (index->Write(record, kEntrySize) != kEntrySize) return false;
    }
    return true;
}

void PackWriter::Release() {
    data_.reset();
    entries_.clear();
    entries_.shrink_to_fit();
    dataPath_.Empty();
    bytesWritten_ = 0;
    recorded_ = 0;
}

const PackEntry* PackWriter::EntryAt(std::int32_t index) const {
    if (index < 0 || index >= EntriesAllocated()) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}

}  // namespace kv
