#include "script/save/replace_file.h"

#include <string>

#include "backend/file_service.h"

namespace kv {

ReplaceResult ReplaceFileWhole(backend::FileService& files, std::string_view folder, std::string_view path,
                               std::span<const std::uint8_t> bytes, std::size_t* bytesWritten) {
    if (bytesWritten) *bytesWritten = 0;
    const std::string temp = std::string(path) + ".tmp";
    auto out = files.OpenFile(temp, backend::FileMode::Write);
    if (!out && files.MakeDirectory(folder)) out = files.OpenFile(temp, backend::FileMode::Write);
    if (!out) return ReplaceResult::NotOpened;
    const std::size_t taken = out->Write(bytes.data(), bytes.size());
    if (bytesWritten) *bytesWritten = taken;
    const bool written = taken == bytes.size() && out->Flush();
    out.reset();
    if (written && files.RenameFile(temp, path)) return ReplaceResult::Replaced;
    files.RemoveFile(temp);
    return ReplaceResult::NotWritten;
}

}  // namespace kv
