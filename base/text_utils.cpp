#include "base/text_utils.h"

#include <algorithm>

#include "base/build_variant.h"
#include "backend/file_service.h"
#include "backend/hub.h"

namespace kv {

std::int32_t GetFileSizeByName(std::string_view path) {
    auto file = backend::Get().Files().OpenFile(path, backend::FileMode::Read);
    if (!file) {
        return -1;
    }
    std::int64_t size = file->Size();
    if (size < 0) {
        return -1;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
}

bool FileExists(std::string_view path) {
    backend::FileService& files = backend::Get().Files();
    return files.IsRegularFile(path) && files.OpenFile(path, backend::FileMode::Read) != nullptr;
}

namespace {

bool IsLiteralTrail(unsigned char trail) { return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC); }

}  // namespace

bool IsShiftJisLeadPair(const char* p) {
    const auto lead = static_cast<unsigned char>(p[0]);
    const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return isLead && IsLiteralTrail(static_cast<unsigned char>(p[1]));
}

bool IsGbkLeadPair(const char* p) {
    const auto lead = static_cast<unsigned char>(p[0]);
    return lead >= 0x81 && lead <= 0xFE && IsLiteralTrail(static_cast<unsigned char>(p[1]));
}

bool IsDbcsLeadPair(const char* p) {
    return ActiveBuildVariant().codePage == backend::CodePage::Gbk ? IsGbkLeadPair(p) : IsShiftJisLeadPair(p);
}

std::string_view CutBetweenCharacters(std::string_view text, std::size_t maxBytes) {
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    if (text.size() <= maxBytes) return text;
    // Each pair test reads at most one byte past its start, which lies inside the text here.
    std::size_t end = 0;
    while (end < maxBytes) {
        const std::size_t width = IsDbcsLeadPair(text.data() + end) ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    return text.substr(0, end);
}

}  // namespace kv
