#include "script/save/common_data.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/byte_order.h"
#include "base/message_box.h"
#include "base/runtime_random.h"
#include "script/save/replace_file.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

bool ReadExactly(backend::FileHandle& file, std::vector<std::uint8_t>& bytes, std::size_t size) {
    return backend::ReadExactly(file, static_cast<std::int64_t>(size), bytes);
}

// A file that is there but cannot be read whole stops the game with the file's name: it is
// left as it is for the player (a game update that adds common variables makes every old file
// too short).
bool ReportUnreadable(const String& path) {
    MessageBoxOk(0, ConcatCharsString("This game failed to read ", path).ConcatChars(". This game is terminated.").View(),
                 "error");
    return false;
}

}  // namespace

VersionField MakeVersionField(const String& version) {
    VersionField field{};
    const std::string_view text = version.IsEmpty() ? std::string_view("DEFAULTVERSION") : version.View();
    std::memcpy(field.data(), text.data(), std::min(text.size(), kVersionFieldSize - 1));
    return field;
}

bool SaveCommonData(VmState& vm, const String& version) {
    const std::int32_t intCount = vm.VariableCount(VarBank::CInt);
    const std::int32_t flagCount = vm.VariableCount(VarBank::CByte);

    std::vector<std::uint8_t> file;
    const VersionField field = MakeVersionField(version);
    file.insert(file.end(), field.begin(), field.end());
    // Every integer mask is drawn before any flag mask.
    std::vector<std::uint32_t> masks;
    for (std::int32_t i = 0; i < intCount; ++i) masks.push_back(static_cast<std::uint32_t>(NextRandom()));
    for (std::uint32_t mask : masks) AppendLe32(file, mask);
    for (std::int32_t i = 0; i < intCount; ++i) {
        AppendLe32(file, static_cast<std::uint32_t>(*vm.CInt(static_cast<std::uint32_t>(i))) ^ masks[static_cast<std::size_t>(i)]);
    }
    std::vector<std::uint8_t> flagMasks;
    for (std::int32_t i = 0; i < flagCount; ++i) flagMasks.push_back(static_cast<std::uint8_t>(NextRandom() % 256));
    file.insert(file.end(), flagMasks.begin(), flagMasks.end());
    for (std::int32_t i = 0; i < flagCount; ++i) {
        const std::uint8_t flag = *vm.CByte(static_cast<std::uint32_t>(i)) != 0 ? 1 : 0;
        file.push_back(static_cast<std::uint8_t>(flag ^ flagMasks[static_cast<std::size_t>(i)]));
    }

    const String folder = vm.GetSaveFolder();
    const String path = folder.ConcatChars(kCommonDataFileName);
    return ReplaceFileWhole(backend::Get().Files(), folder.View(), path.View(), file) == ReplaceResult::Replaced;
}

bool LoadCommonData(VmState& vm, const String& version) {
    backend::FileService& files = backend::Get().Files();
    const String path = vm.GetSaveFolder().ConcatChars(kCommonDataFileName);
    if (!files.IsRegularFile(path.View())) {
        // No file is the first run. Something else under that name is not: the exit save
        // would otherwise replace it with defaults.
        return !files.IsDirectory(path.View()) || ReportUnreadable(path);
    }
    auto in = files.OpenFile(path.View(), backend::FileMode::Read);
    if (!in) return ReportUnreadable(path);

    std::vector<std::uint8_t> field;
    if (!ReadExactly(*in, field, kVersionFieldSize)) return ReportUnreadable(path);
    const VersionField expected = MakeVersionField(version);
    if (!std::equal(expected.begin(), expected.end(), field.begin())) {
        in.reset();
        MessageBoxOk(0, "This game loaded an irregular save data. This game is terminated.", "error");
        return false;
    }

    // Everything is read before anything is stored: a file cut short changes nothing.
    const auto intCount = static_cast<std::size_t>(std::max(vm.VariableCount(VarBank::CInt), 0));
    const auto flagCount = static_cast<std::size_t>(std::max(vm.VariableCount(VarBank::CByte), 0));
    std::vector<std::uint8_t> intMasks, ints, flagMasks, flags;
    if (!ReadExactly(*in, intMasks, 4 * intCount) || !ReadExactly(*in, ints, 4 * intCount) ||
        !ReadExactly(*in, flagMasks, flagCount) || !ReadExactly(*in, flags, flagCount)) {
        return ReportUnreadable(path);
    }
    for (std::size_t i = 0; i < intCount; ++i) {
        *vm.CInt(static_cast<std::uint32_t>(i)) = static_cast<std::int32_t>(ReadLe32(&ints[4 * i]) ^ ReadLe32(&intMasks[4 * i]));
    }
    for (std::size_t i = 0; i < flagCount; ++i) {
        *vm.CByte(static_cast<std::uint32_t>(i)) = (flags[i] ^ flagMasks[i]) == 1 ? 1 : 0;
    }
    return true;
}

}  // namespace kv
