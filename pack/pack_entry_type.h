#pragma once
// The kind a packing tool gives a file, from the extension in its name.

#include <cstdint>

#include "base/string.h"

namespace kv {

// 1 for a name holding ".SNX", 2 ".BMP", 3 ".PNG", 4 ".WAV", 5 ".OGG" (tested in this order,
// case-sensitive, anywhere in the name); 0 for none of them.
std::uint32_t GetPackEntryType(const String& fileName);

}  // namespace kv
