#pragma once
// Script and variable images for tests, written as assembler source and declarations
// (syntax in tools/README.md). A source that does not assemble fails the test with its
// diagnostics and gives no bytes.

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/asm/assembler.h"
#include "tools/asm/variable_image_builder.h"

namespace kvtest {

inline std::vector<std::uint8_t> AssembledScript(std::string_view source) {
    const kvasm::AssembleResult result = kvasm::Assemble(source);
    EXPECT_TRUE(result.ok()) << kvasm::FormatDiagnostics(result.diagnostics) << "in:\n" << source;
    return result.bytes;
}

inline std::vector<std::uint8_t> AssembledVariables(std::string_view declarations) {
    const kvasm::AssembleResult result = kvasm::BuildVariableImage(declarations);
    EXPECT_TRUE(result.ok()) << kvasm::FormatDiagnostics(result.diagnostics) << "in:\n" << declarations;
    return result.bytes;
}

}  // namespace kvtest
