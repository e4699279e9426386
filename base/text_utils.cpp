#include "base/text_utils.h"

#include "base/build_variant.h"
#include "platform/platform.h"

namespace kv {

std::int32_t GetFileSizeByName(std::string_view path) {
    auto file = platform::Get().OpenFile(path, platform::FileMode::Read);
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
    platform::Platform& system = platform::Get();
    return system.IsRegularFile(path) && system.OpenFile(path, platform::FileMode::Read) != nullptr;
}

bool IsDbcsLeadPair(const char* p) {
    const BuildVariant& variant = ActiveBuildVariant();
    auto lead = static_cast<unsigned char>(p[0]);
    if (lead < 0x81 || lead > variant.leadByteLast) {
        return false;
    }
    if (variant.shiftJisLeadGap && lead >= 0xA0 && lead <= 0xDF) {
        return false;
    }
    auto trail = static_cast<unsigned char>(p[1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
}

}  // namespace kv
