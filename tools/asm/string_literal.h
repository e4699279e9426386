#pragma once
// String literals of the sources: UTF-8 text with escapes, turned into the bytes the engine
// reads (text in the game's code page plus control and expansion codes), and back.
//
// Escapes: \n line break (1), \w wait for a click (2), \p page break (3), \0 end (0),
// \a{X} A integer (4 + u32), \s{X} A string (5 + u32), \c{X} C integer (6 + u32),
// \xHH one raw byte, \\ and \". X is an index or a declared variable name.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/asm/code_page.h"
#include "tools/asm/instruction_set.h"

namespace kvasm {

// Finds the index of a declared variable of the given bank; false with a message when the name
// is unknown or belongs to another bank.
using VariableLookup =
    std::function<bool(std::string_view name, Bank bank, uint32_t* index, std::string* error)>;

// Appends the bytes of a literal body (the text between the quotes) to *out. Every problem is
// added to *errors; the result is false when there was any. A null lookup accepts numbers only.
bool EncodeLiteral(std::string_view body, CodePageConverter& converter, const VariableLookup& lookup,
                   std::vector<uint8_t>* out, std::vector<std::string>* errors);

// A literal body (without the quotes) that EncodeLiteral turns back into exactly these bytes.
std::string RenderLiteral(std::span<const uint8_t> bytes, CodePageConverter& converter);

}  // namespace kvasm
