#pragma once
// The save file "SAVE" + slot + ".KVR": an optional PNG thumbnail, then the scrambled blob of a
// data set (script/save/data_set_codec.h). Whether a thumbnail is there is told by the PNG
// signature at the start of the file, on reading as on writing.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/string.h"
#include "script/save/data_set.h"

namespace kv {

// The slot in decimal with a "0" before numbers below 10, as file names and the slot screen
// show it.
std::string SaveNumberText(std::int32_t slot);
// The folder, "SAVE", the slot in decimal with a "0" before numbers below 10, ".KVR".
String SaveFileName(const String& folder, std::int32_t slot);

// The file's bytes: the thumbnail PNG as it is (none when empty), then the snapshot's blob,
// scrambled.
std::vector<std::uint8_t> ComposeSaveFile(std::span<const std::uint8_t> thumbnailPng, const DataSetSnapshot& snapshot);

// Where the blob starts: 0 without the PNG signature, else right after the PNG's IEND chunk.
// Empty when the PNG's chunks run past the end of the file or it has no IEND.
std::optional<std::size_t> BlobOffset(std::span<const std::uint8_t> file);

enum class SaveFileCheck : std::uint8_t {
    Sound,
    Damaged,       // cut short, overlong, or holding values the engine must not take
    OtherVersion,  // whole, but written under another version text
};

// Reads a whole save file's bytes into the snapshot (the version is compared before anything
// else of the blob is trusted).
SaveFileCheck ReadSaveFile(std::span<const std::uint8_t> file, const VersionField& version, DataSetSnapshot& snapshot);

}  // namespace kv
