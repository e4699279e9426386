#pragma once
// Names of the engine's system calls (operations), as scripts write them after `sys` and `call`.
// The list is the engine's own (script/ops/operation_names.h); here is how the assembler looks
// names up in it.

#include <cstdint>
#include <string_view>

#include "script/ops/operation_names.h"

namespace kvasm {

// Operations 0..134 are called by scripts; 135..170 are phases that only their operation reaches.
using kv::kFirstPhaseEntry;
using kv::kOperationCount;
// The table name of an operation, or nullptr outside 0..170.
using kv::OperationName;

// True when several numbers share the operation's name (the reserved `OpDummy` slots), so the
// name alone does not tell the number.
bool IsSharedOperationName(uint32_t op);

enum class OperationLookup { kFound, kUnknown, kShared, kPhase };

// Looks a name up among the operations. kFound sets *op; kShared means the name stands for
// several numbers; kPhase means the name is a phase entry, which scripts cannot call.
OperationLookup FindOperation(std::string_view name, uint32_t* op);

}  // namespace kvasm
