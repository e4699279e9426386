#include "script/save/common_data.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/message_box.h"
#include "platform/platform.h"
#include "platform/runtime_random.h"
#include "base/byte_order.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

bool ReadExactly(platform::FileHandle& file, std::vector<std::uint8_t>& bytes, std::size_t size) {
    return platform::ReadExactly(file, static_cast<std::int64_t>(size), bytes);
}

// Creates the file for writing; when that fails, the save folder (one level) and once more.
std::unique_ptr<platform::FileHandle> CreateInSaveFolder(const String& folder, const String& path) {
    platform::Platform& os = platform::Get();
    auto file = os.OpenFile(path.View(), platform::FileMode::Write);
    if (!file && os.MakeDirectory(folder.View())) {
        file = os.OpenFile(path.View(), platform::FileMode::Write);
    }
    return file;
}

}  // namespace

VersionField MakeVersionField(const String& version) {
    VersionField field{};
    const std::string_view text = version.IsEmpty() ? std::string_view("DEFAULTVERSION") : version.View();
    std::memcpy(field.data(), text.data(), std::min(text.size(), kVersionFieldSize - 1));
    return field;
}

bool VmState::SaveCommonData(const String& version) {
    const std::int32_t intCount = VariableCount(VarBank::CInt);
    const std::int32_t flagCount = VariableCount(VarBank::CByte);

    std::vector<std::uint8_t> file;
    const VersionField field = MakeVersionField(version);
    file.insert(file.end(), field.begin(), field.end());
    // Every integer mask is drawn before any flag mask.
    std::vector<std::uint32_t> masks;
    for (std::int32_t i = 0; i < intCount; ++i) masks.push_back(static_cast<std::uint32_t>(platform::NextRandom()));
    for (std::uint32_t mask : masks) AppendLe32(file, mask);
    for (std::int32_t i = 0; i < intCount; ++i) {
        AppendLe32(file, static_cast<std::uint32_t>(*CInt(static_cast<std::uint32_t>(i))) ^ masks[static_cast<std::size_t>(i)]);
    }
    std::vector<std::uint8_t> flagMasks;
    for (std::int32_t i = 0; i < flagCount; ++i) flagMasks.push_back(static_cast<std::uint8_t>(platform::NextRandom() % 256));
    file.insert(file.end(), flagMasks.begin(), flagMasks.end());
    for (std::int32_t i = 0; i < flagCount; ++i) {
        const std::uint8_t flag = *CByte(static_cast<std::uint32_t>(i)) != 0 ? 1 : 0;
        file.push_back(static_cast<std::uint8_t>(flag ^ flagMasks[static_cast<std::size_t>(i)]));
    }

    // The player's data is replaced only by a complete, flushed file: a crash or a full disk
    // half-way leaves the old one as it was.
    platform::Platform& os = platform::Get();
    const String folder = GetSaveFolder();
    const String path = folder.ConcatChars(kCommonDataFileName);
    const String temp = folder.ConcatChars(kCommonDataTempFileName);
    auto out = CreateInSaveFolder(folder, temp);
    if (!out) return false;
    const bool written = out->Write(file.data(), file.size()) == file.size() && out->Flush();
    out.reset();
    if (!written || !os.RenameFile(temp.View(), path.View())) {
        os.RemoveFile(temp.View());
        return false;
    }
    return true;
}

bool VmState::LoadCommonData(const String& version) {
    platform::Platform& os = platform::Get();
    const String path = GetSaveFolder().ConcatChars(kCommonDataFileName);
    if (!os.IsRegularFile(path.View())) {
        // No file is the first run. Something else under that name is not: the exit save
        // would otherwise replace it with defaults.
        return !os.IsDirectory(path.View());
    }
    auto in = os.OpenFile(path.View(), platform::FileMode::Read);
    if (!in) return false;

    std::vector<std::uint8_t> field;
    if (!ReadExactly(*in, field, kVersionFieldSize)) return false;
    const VersionField expected = MakeVersionField(version);
    if (!std::equal(expected.begin(), expected.end(), field.begin())) {
        in.reset();
        MessageBoxOk(0, "This game loaded an irregular save data. This game is terminated.", "error");
        return false;
    }

    // Everything is read before anything is stored: a file cut short changes nothing.
    const auto intCount = static_cast<std::size_t>(std::max(VariableCount(VarBank::CInt), 0));
    const auto flagCount = static_cast<std::size_t>(std::max(VariableCount(VarBank::CByte), 0));
    std::vector<std::uint8_t> intMasks, ints, flagMasks, flags;
    if (!ReadExactly(*in, intMasks, 4 * intCount) || !ReadExactly(*in, ints, 4 * intCount) ||
        !ReadExactly(*in, flagMasks, flagCount) || !ReadExactly(*in, flags, flagCount)) {
        return false;
    }
    for (std::size_t i = 0; i < intCount; ++i) {
        *CInt(static_cast<std::uint32_t>(i)) = static_cast<std::int32_t>(ReadLe32(&ints[4 * i]) ^ ReadLe32(&intMasks[4 * i]));
    }
    for (std::size_t i = 0; i < flagCount; ++i) {
        *CByte(static_cast<std::uint32_t>(i)) = (flags[i] ^ flagMasks[i]) == 1 ? 1 : 0;
    }
    return true;
}

}  // namespace kv
