#pragma once
// Finds the script machine's files by their bare names and loads them into the VM.

#include "base/string.h"

namespace kv {

// Loads "<name>.SNX" as the current code image; true on success.
bool LoadScriptFile(const String& name);
// Loads the variable image "NECEMEM.SNI"; true on success.
bool LoadNecemem();

}  // namespace kv
