#pragma once
// The script assembler: readable source (UTF-8) to a compiled script (".SNX" bytes).
// The source syntax is described in tools/README.md.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/asm/code_page.h"
#include "tools/asm/diagnostic.h"

namespace kvasm {

struct Options {
    CodePage codePage = CodePage::ShiftJis;  // literal text is converted to this code page
    std::string fileName = "<source>";     // named in the diagnostics
};

struct AssembleResult {
    std::vector<uint8_t> bytes;  // the whole file; empty when there is any diagnostic
    std::vector<Diagnostic> diagnostics;

    bool ok() const { return diagnostics.empty(); }
};

AssembleResult Assemble(std::string_view source, const Options& options = {});

}  // namespace kvasm
