#pragma once
// The data set's bytes: the blob of a save file (header, fixed block, then the arrays in their
// order), written and read field by field, little-endian, at the stored offsets, and the
// scrambling that the file applies to it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/save/data_set.h"

namespace kv {

// The blob's size for these arrays, as the header's total size counts it.
std::uint64_t BlobSize(const DataSetArrays& arrays);

// The unscrambled blob. The header's total size is written from the blob's real size; every text
// is cut to its field (script/save/data_set_codec.h FitField) and terminated.
std::vector<std::uint8_t> EncodeBlob(const DataSetSnapshot& snapshot);

// Reads an unscrambled blob. False, with the snapshot unspecified, for anything a damaged or
// foreign file can hold that the engine must not take: a blob shorter or longer than its header
// says or than its counts need, a negative count, a stack top, call depth or op-save top outside
// its stack, an operation number outside the operation table, a voice count above the slots, a
// text field without its terminator.
bool DecodeBlob(std::span<const std::uint8_t> blob, DataSetSnapshot& snapshot);

// Byte i ^= i mod 255, i counted from the header's first byte; its own inverse.
void ScrambleBlob(std::span<std::uint8_t> blob);

// The text as a field of fieldSize bytes holds it: cut before the terminator's byte, and never
// between the two bytes of a double-byte character; the text ends at its first zero byte.
std::string FitField(std::string_view text, std::size_t fieldSize);

}  // namespace kv
