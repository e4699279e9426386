#pragma once
// How operation handlers read their operands: string operands with the variable codes of the
// text expanded, and the checked integer reads.

#include <cstddef>
#include <cstdint>

#include "script/vm/snx_error.h"  // ShowAccessViolation: the report for a bad index
#include "script/vm/vm_state.h"

namespace kv {

// Turns a string operand (a literal, an A string or a B string) into an expanded, terminated
// text in out (size bytes); the result is ExpandText's. Another type of value gives false and
// leaves out as it was. A bad variable index or literal offset shows the access violation and
// gives false with the empty text.
bool FetchStringOperand(const VmValue& value, char* out, std::size_t size);

// Expands the codes of source into out: 0x04 and 0x06 followed by a 4-byte index give the A or
// C integer in decimal, 0x05 the A string, itself expanded. False when the result with its
// terminator does not fit in size bytes; out then holds as much as fits, cut between two
// characters, and is terminated all the same (size 0: nothing is written). A bad index shows
// the access violation and inserts nothing; a code cut short by the end of the source is
// dropped; A strings nested too deep insert nothing.
bool ExpandText(const std::uint8_t* source, std::size_t length, char* out, std::size_t size);

}  // namespace kv
