#pragma once
// Builds the variable image ("NECEMEM.SNI") from a declaration file: the counts of the eight
// banks and the initial values of bank B. The syntax is described in tools/README.md.

#include <string_view>

#include "tools/asm/assembler.h"

namespace kvasm {

// Largest count the builder accepts for one bank.
inline constexpr int64_t kMaxBankCount = 1 << 24;

// Result bytes are the whole file; empty when there is any diagnostic.
AssembleResult BuildVariableImage(std::string_view declarations, const Options& options = {});

}  // namespace kvasm
