#pragma once
// How operation handlers read their operands: string operands with the variable codes of the
// text expanded, and the checked integer reads.

#include <cstddef>
#include <cstdint>

#include "script/vm/snx_error.h"  // ShowAccessViolation: the report for a bad index
#include "script/vm/vm_state.h"

namespace kv {

// Turns a string operand (a literal, an A string or a B string) into an expanded, terminated
// text in out (size bytes). False for another type of value or when the text does not fit; out
// then holds a terminated text all the same (empty when nothing could be written).
bool FetchStringOperand(const VmValue& value, char* out, std::size_t size);

// Expands the codes 0x04, 0x05 and 0x06 of source into out; false when the result with its
// terminator does not fit in size bytes (out is still terminated).
bool ExpandText(const std::uint8_t* source, std::size_t length, char* out, std::size_t size);

}  // namespace kv
