#pragma once
// Replacing one of the player's files (a save, the common data) so that it is never lost: the
// new bytes go to a temporary file beside it, are flushed, and only then renamed over the old
// file. A crash, a full disk or a failed write at any byte leaves the old file whole.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace backend {
class FileService;
}

namespace kv {

enum class ReplaceResult : std::uint8_t {
    Replaced,
    NotOpened,   // the temporary file could not be made
    NotWritten,  // writing, flushing or renaming it failed
};

// Writes bytes as the file at path (engine form) in folder, creating the folder (one level)
// when it is missing. Unless Replaced, the old file is as it was and no temporary file is left
// behind. When given, bytesWritten tells how many of the bytes the temporary file took: fewer
// than all only when a write failed.
ReplaceResult ReplaceFileWhole(backend::FileService& files, std::string_view folder, std::string_view path,
                               std::span<const std::uint8_t> bytes, std::size_t* bytesWritten = nullptr);

}  // namespace kv
