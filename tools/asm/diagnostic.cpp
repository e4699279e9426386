#include "tools/asm/diagnostic.h"

namespace kvasm {

std::string Diagnostic::ToString() const {
    std::string text = file;
    if (line > 0) {
        text += ":" + std::to_string(line);
    }
    return text + ": error: " + message;
}

std::string FormatDiagnostics(const std::vector<Diagnostic>& diagnostics) {
    std::string text;
    for (const Diagnostic& d : diagnostics) {
        text += d.ToString();
        text += '\n';
    }
    return text;
}

}  // namespace kvasm
