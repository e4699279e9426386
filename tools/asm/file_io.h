#pragma once
// Whole-file reads and writes for the tool programs. A write goes to a temporary file beside the
// target that is renamed over it, so a failed run never leaves half a file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvasm {

bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error);
bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string* error);

}  // namespace kvasm
