// Errors of the assembler: each with its file and line, all of them, and no output bytes.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/asm/assembler.h"

namespace {

// (line, a piece of the message) of every diagnostic.
std::vector<std::pair<int, std::string>> Errors(const std::string& source) {
    kvasm::Options options;
    options.fileName = "s.kvs";
    const kvasm::AssembleResult result = kvasm::Assemble(source, options);
    EXPECT_TRUE(result.bytes.empty());
    std::vector<std::pair<int, std::string>> errors;
    for (const kvasm::Diagnostic& d : result.diagnostics) {
        EXPECT_EQ(d.file, "s.kvs");
        errors.emplace_back(d.line, d.message);
    }
    return errors;
}

void ExpectSingleError(const std::string& source, int line, const std::string& piece) {
    SCOPED_TRACE(source);
    const auto errors = Errors(source);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, line);
    EXPECT_NE(errors[0].second.find(piece), std::string::npos) << errors[0].second;
}

TEST(AssemblerDiagnostics, BadStatements) {
    ExpectSingleError("nop\nfrob 1\n", 2, "unknown instruction 'frob'");
    ExpectSingleError("add 1\n", 1, "unexpected number 1");
    ExpectSingleError("cmp around\n", 1, "unknown comparison");
    ExpectSingleError("push\n", 1, "expected a value");
    ExpectSingleError("push abc\n", 1, "expected a number");
    ExpectSingleError("push 4294967296\n", 1, "does not fit 32 bits");
    ExpectSingleError("push -2147483649\n", 1, "does not fit 32 bits");
    ExpectSingleError("push 12ab\n", 1, "bad number");
    ExpectSingleError("push \"open\n", 1, "not closed");
    ExpectSingleError("insn 1, 2\n", 1, "expected ','");
    ExpectSingleError("line\n", 1, "line number");
    ExpectSingleError("nop $\n", 1, "unexpected character '$'");
    ExpectSingleError("42\n", 1, "expected an instruction");
    ExpectSingleError(".frob\n", 1, "unknown directive");
    ExpectSingleError(".lines maybe\n", 1, "'on' or 'off'");
    ExpectSingleError(".data 0g\n", 1, "not a hexadecimal digit");
    ExpectSingleError(".data 012\n", 1, "odd number");
    ExpectSingleError("x: .data 00\n", 1, "must begin its line");
    ExpectSingleError("call OpSetCaption \"a\" \"b\"\n", 1, "between arguments");
    ExpectSingleError("call OpSetCaption \"a\",\n", 1, "expected an argument");
}

TEST(AssemblerDiagnostics, OperationNames) {
    ExpectSingleError("sys Nope\n", 1, "unknown operation 'Nope'");
    ExpectSingleError("sys OpDummy\n", 1, "several operations");
    ExpectSingleError("sys MessageFlowReady\n", 1, "phase");
    ExpectSingleError("call opsetcaption \"x\"\n", 1, "unknown operation");
}

TEST(AssemblerDiagnostics, Variables) {
    ExpectSingleError("load dbyte[1]\n", 1, "unknown variable 'dbyte'");
    ExpectSingleError("load aint 1\n", 1, "expected '['");
    ExpectSingleError("load aint[1\n", 1, "expected ']'");
    ExpectSingleError("load cbyte[1]\n", 1, "C bytes cannot be loaded");
    ExpectSingleError(".var cbyte seen 1\ncalld OpResetTimer seen\n", 2, "C bytes");
    ExpectSingleError("push #nobody\n", 1, "unknown variable 'nobody'");
    ExpectSingleError(".var aint x 1\n\n.var cint x 2\n", 3, "already declared at line 1");
    ExpectSingleError(".var dint x 1\n", 1, "unknown bank");
    ExpectSingleError(".var aint byte 1\n", 1, "cannot be a variable name");
    ExpectSingleError(".var aint astr 1\n", 1, "cannot be a variable name");
    ExpectSingleError(".var aint x -1\n", 1, "index (0 or more)");
    ExpectSingleError(".var aint x\n", 1, "index (0 or more)");
}

TEST(AssemblerDiagnostics, Labels) {
    ExpectSingleError("a: nop\nb: nop\na: nop\n", 3, "'a' is already defined at line 1");
    ExpectSingleError(".string s \"x\"\n.string s \"y\"\n", 2, "data label 's' is already defined");
    ExpectSingleError("jmp @s\n.string s \"x\"\n", 1, "code label or an instruction number");
    ExpectSingleError(".string 1 \"x\"\n", 1, "data label name");
    ExpectSingleError(".string s 5\n", 1, "expected a string");
}

TEST(AssemblerDiagnostics, AllErrorsInLineOrderWithUnknownLabelsAtTheirLines) {
    const auto errors = Errors(
        "    jmp nowhere\n"        // 1
        "    frob\n"               // 2
        "    push @missing\n"      // 3
        "ok: nop\n"                // 4
        "    jt ok\n"              // 5
        "    insn 8, 0, gone\n"    // 6
        "    sys Nope\n");         // 7
    ASSERT_EQ(errors.size(), 5u);
    EXPECT_EQ(errors[0], std::make_pair(1, std::string("unknown label 'nowhere'")));
    EXPECT_EQ(errors[1].first, 2);
    EXPECT_EQ(errors[2], std::make_pair(3, std::string("unknown data label '@missing'")));
    EXPECT_EQ(errors[3], std::make_pair(6, std::string("unknown label 'gone'")));
    EXPECT_EQ(errors[4].first, 7);
}

TEST(AssemblerDiagnostics, FormattedWithFileAndLine) {
    kvasm::Options options;
    options.fileName = "dir/main.kvs";
    const kvasm::AssembleResult result = kvasm::Assemble("\r\nfrob\r\n", options);
    EXPECT_EQ(kvasm::FormatDiagnostics(result.diagnostics), "dir/main.kvs:2: error: unknown instruction 'frob'\n");
}

TEST(AssemblerDiagnostics, CarriageReturnsAndByteOrderMarkAreAccepted) {
    const kvasm::AssembleResult result = kvasm::Assemble("\xEF\xBB\xBFpush \"a\"\r\nend\r\n");
    EXPECT_TRUE(result.ok()) << kvasm::FormatDiagnostics(result.diagnostics);
    EXPECT_EQ(result.bytes.size(), 8u + 24u + 5u);
}

}  // namespace
