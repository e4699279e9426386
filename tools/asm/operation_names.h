#pragma once
// Names of the engine's system calls (operations), as scripts write them after `sys` and `call`.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kvasm {

// Operations 0..134 are called by scripts; 135..170 are phases that only their operation reaches.
inline constexpr uint32_t kOperationCount = 171;
inline constexpr uint32_t kFirstPhaseOperation = 135;

// The table name of an operation, or nullptr outside 0..170.
const char* OperationName(uint32_t op);

// True when several numbers share the operation's name (the reserved `OpDummy` slots), so the
// name alone does not tell the number.
bool IsSharedOperationName(uint32_t op);

enum class OperationLookup { kFound, kUnknown, kShared, kPhase };

// Looks a name up among the operations. kFound sets *op; kShared means the name stands for
// several numbers; kPhase means the name is a phase entry, which scripts cannot call.
OperationLookup FindOperation(std::string_view name, uint32_t* op);

}  // namespace kvasm
