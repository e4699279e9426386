#pragma once
// The disassembler: a compiled script printed in the assembler's syntax, such that assembling
// the text gives the same bytes again.

#include <cstdint>
#include <span>
#include <string>

#include "tools/asm/code_page.h"

namespace kvasm {

struct DisassembleOptions {
    CodePage codePage = CodePage::ShiftJis;  // the code page of the literals
};

struct DisassembleResult {
    bool ok = false;
    std::string text;   // the source, when ok
    std::string error;  // why not, otherwise
};

DisassembleResult Disassemble(std::span<const uint8_t> bytes, const DisassembleOptions& options = {});

}  // namespace kvasm
