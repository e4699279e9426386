#pragma once
// Integer operands and integer answers of the operations: the number a handler pops, and the
// bank-A integer it writes its answer into, checked against the bank.

#include <cstdint>

namespace kv {

// The next operand's value word as a signed number (0 without a script machine).
std::int32_t PopIntOperand();

// A integer [index] := value. An index outside bank A shows "Access violation in Scripts" and
// writes nothing.
void StoreAInt(std::int32_t index, std::int32_t value);

}  // namespace kv
