#pragma once
// The operation table: the handler of every system call a script can make (0 to 134) and of
// every phase of the multi-frame operations (135 to 170), in one place. A multi-frame operation's
// entry runs the entry of its current phase (base + phase) each frame.

#include <cstdint>

#include "script/ops/operation_names.h"

namespace kv {

// Returns 1 when finished, 0 to be called again next frame (script/ops/op_state.h).
using OpHandler = std::uint32_t (*)();

// Runs the operation as the current one. Only 0 .. 134 are operations; a phase entry or a
// number past the table (a script or a save file can name any) is a fatal script error: the box
// of an operation outside the table, operation 1 current, result 0.
std::uint32_t CallOperation(std::uint32_t index);

// The phase entries of a multi-frame operation: base .. base + count - 1.
struct PhaseRange {
    std::uint32_t operation;
    std::uint32_t base;
    std::uint32_t count;
};
// Null for an operation that has no phases.
const PhaseRange* FindPhaseRange(std::uint32_t operation);

// The entry of every multi-frame operation: runs the current phase's entry and gives its
// result. A phase the operation does not have is a fatal script error.
std::uint32_t OpRunPhase();
// The entry of an operation this version does not carry: a box naming the operation, then the
// game ends.
std::uint32_t OpNotAvailable();

// For tests: puts another handler in an entry and returns the one it replaces (null, and
// nothing changed, outside the table). The caller puts the old one back.
OpHandler ReplaceOperationHandler(std::uint32_t index, OpHandler handler);

}  // namespace kv
