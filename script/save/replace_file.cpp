#include "script/save/replace_file.h"

#include <string>

#include "backend/file_service.h"

namespace kv {

ReplaceResult ReplaceFileWhole(backend::FileService& files, std::string_view folder, std::string_view path,
                               std::span<const std::uint8_t> bytes) {
    const std::string temp = std::string(path) + ".tmp";
    auto out = files.OpenFile(temp, backend::FileMode::Write);
    if (!out && files.MakeDirectory(folder)) out = files.OpenFile(temp, backend::FileMode::Write);
    if (!out) return ReplaceResult::NotOpened;
    const bool written = out->Write(bytes.data(), bytes.size()) == bytes.size() && out->Flush();
    out.reset();
    if (written && files.RenameFile(temp, path)) return ReplaceResult::Replaced;
    files.RemoveFile(temp);
    return ReplaceResult::NotWritten;
}

}  // namespace kv
