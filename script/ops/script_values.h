#pragma once
// Operands and answers of the operations: the number or text a handler pops, and the bank-A
// variable it writes its answer into, checked against the bank.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/globals/globals.h"
#include "script/ops/op_state.h"

namespace kv {

// The next operand's value word as a signed number (0 without a script machine).
std::int32_t PopIntOperand();

// Operands resolved by their type, as the operations that take variables as well as numbers
// read them. False for a value of another type. A variable index outside its bank shows
// "Access violation in Scripts" and gives 0 (an integer) or not set (a byte).
// An integer: a number, or the value of an A or C integer variable.
bool ResolveIntOperand(const VmValue& operand, std::int32_t& value);
// A byte: a byte number (set when not 0), or an A byte variable (set when it holds 1).
bool ResolveByteOperand(const VmValue& operand, bool& set);

// A literal, an A string or a B string: what a text operand may be.
bool IsTextOperand(const VmValue& operand);

// The next operand as a text in the handler's buffer; a value that is not a text, or a bad
// string variable, gives the empty text. A text longer than the buffer is cut between two
// characters.
template <std::size_t N>
std::string_view PopTextOperand(char (&buffer)[N]) {
    const VmValue operand = g_vm ? g_vm->Pop() : VmValue{};
    FetchOperandText(operand, buffer);
    return std::string_view(buffer);
}

// A integer [index] := value. An index outside bank A shows "Access violation in Scripts" and
// writes nothing.
void StoreAInt(std::int32_t index, std::int32_t value);
// A byte [index] := value, checked the same way.
void StoreAByte(std::int32_t index, std::uint8_t value);
// A string [index] := the text with its terminator counted in the length, as scripts store
// texts; the empty text leaves the variable empty (no bytes). Checked the same way.
void StoreAText(std::int32_t index, std::string_view text);

}  // namespace kv
