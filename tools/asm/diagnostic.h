#pragma once
// Errors found in a source file, each tied to its file and line.

#include <string>
#include <vector>

namespace kvasm {

struct Diagnostic {
    std::string file;
    int line = 0;  // 1-based; 0 when the error concerns the whole file
    std::string message;

    // "file:line: error: message"
    std::string ToString() const;
};

// One diagnostic per line, for printing or for a test failure message.
std::string FormatDiagnostics(const std::vector<Diagnostic>& diagnostics);

}  // namespace kvasm
