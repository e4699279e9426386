// Instruction forms of the assembler and the bytes they produce.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/asm/assembler.h"
#include "tools/asm/code_image.h"

namespace {

using kvasm::Instruction;

kvasm::CodeImage AssembleImage(const std::string& source) {
    const kvasm::AssembleResult result = kvasm::Assemble(source);
    EXPECT_TRUE(result.ok()) << kvasm::FormatDiagnostics(result.diagnostics);
    kvasm::CodeImage image;
    std::string error;
    EXPECT_TRUE(kvasm::DecodeCodeImage(result.bytes, &image, &error)) << error;
    return image;
}

std::vector<Instruction> Code(const std::string& source) {
    return AssembleImage(source).instructions;
}

TEST(AssemblerBytes, FileLayoutIsCountSizeInstructionsThenData) {
    const kvasm::AssembleResult result = kvasm::Assemble("push \"AB\"\nsys OpSetCaption\nend\n");
    ASSERT_TRUE(result.ok()) << kvasm::FormatDiagnostics(result.diagnostics);
    const std::vector<uint8_t> expected = {
        3, 0, 0, 0, 6, 0, 0, 0,                          // 3 instructions, 6 data bytes
        17, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,             // push literal at offset 0
        13, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0,            // system call 12
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,              // end
        2, 0, 0, 0, 'A', 'B',                            // length 2, no terminator
    };
    EXPECT_EQ(result.bytes, expected);
}

TEST(AssemblerBytes, EmptySourceGivesEmptyImage) {
    const kvasm::AssembleResult result = kvasm::Assemble("; nothing\n\n");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.bytes, std::vector<uint8_t>(8, 0));
}

TEST(AssemblerBytes, EveryPlainAndOperandForm) {
    struct Case {
        const char* source;
        Instruction expected;
    };
    const Case cases[] = {
        {"end", {0, 0, 0}},
        {"add", {1, 0, 0}},
        {"sub", {2, 0, 0}},
        {"mul", {3, 0, 0}},
        {"div", {4, 0, 0}},
        {"mod", {5, 0, 0}},
        {"neg", {6, 0, 0}},
        {"cmp eq", {7, 0, 0}},
        {"cmp ne", {7, 1, 0}},
        {"cmp lt", {7, 2, 0}},
        {"cmp le", {7, 3, 0}},
        {"cmp gt", {7, 4, 0}},
        {"cmp ge", {7, 5, 0}},
        {"cmp 9", {7, 9, 0}},
        {"jmp 7", {8, 0, 7}},
        {"jt 7", {9, 0, 7}},
        {"jt.keep 7", {9, 1, 7}},
        {"jf 7", {10, 0, 7}},
        {"jf.keep 7", {10, 1, 7}},
        {"assign", {11, 0, 0}},
        {"discard", {12, 0, 0}},
        {"sys OpSetCaption", {13, 12, 0}},
        {"sys OpTimedWait", {13, 134, 0}},
        {"sys 3", {13, 3, 0}},
        {"sys 150", {13, 150, 0}},
        {"ret", {14, 0, 0}},
        {"inc", {18, 0, 0}},
        {"dec", {19, 0, 0}},
        {"nop", {20, 0, 0}},
        {"nop2", {21, 0, 0}},
        {"line 42", {23, 42, 0}},
        {"push 5", {17, 0, 5}},
        {"push -1", {17, 0, 0xFFFFFFFF}},
        {"push -2147483648", {17, 0, 0x80000000}},
        {"push 0xFFFFFFFF", {17, 0, 0xFFFFFFFF}},
        {"push byte 1", {17, 1, 1}},
        {"insn 22, 1, 2", {22, 1, 2}},
        {"insn 99, 0xFFFFFFFF, 0", {99, 0xFFFFFFFF, 0}},
        {"ADD", {1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const std::vector<Instruction> code = Code(c.source);
        ASSERT_EQ(code.size(), 1u);
        EXPECT_EQ(code[0], c.expected);
    }
}

TEST(AssemblerBytes, LoadAndReferenceSubKindsOfEveryBank) {
    const std::vector<Instruction> code = Code(
        "load aint[3]\nloadi aint[3]\nload abyte[4]\nloadi abyte[4]\nload astr[5]\nloadi astr[5]\n"
        "load bint[6]\nloadi bint[6]\nload bbyte[7]\nloadi bbyte[7]\nload bstr[8]\nloadi bstr[8]\n"
        "load cint[9]\nloadi cint[9]\n"
        "ref aint[1]\nrefi cint[2]\n");
    const std::vector<Instruction> expected = {
        {15, 3, 0},  {15, 3, 1},  {15, 4, 2},  {15, 4, 3},  {15, 5, 4}, {15, 5, 5},
        {15, 6, 6},  {15, 6, 7},  {15, 7, 8},  {15, 7, 9},  {15, 8, 10}, {15, 8, 11},
        {15, 9, 12}, {15, 9, 13}, {16, 1, 0},  {16, 2, 13},
    };
    EXPECT_EQ(code, expected);
}

TEST(AssemblerBytes, DeclaredNamesStandForBankAndIndex) {
    const std::vector<Instruction> code = Code(
        "    load score      ; used above the declaration\n"
        ".var aint score 3\n"
        ".var cint volume 0x10\n"
        ".var cbyte seen 700\n"
        "    ref volume\n"
        "    push #seen\n"
        "    insn 30, #score, #volume\n");
    const std::vector<Instruction> expected = {{15, 3, 0}, {16, 16, 12}, {17, 0, 700}, {30, 3, 16}};
    EXPECT_EQ(code, expected);
}

TEST(AssemblerBytes, LabelsResolveForwardAndBackward) {
    const std::vector<Instruction> code = Code(
        "top:\n"
        "    jf bottom\n"
        "middle: inner: nop\n"
        "    jt.keep top\n"
        "    jmp inner\n"
        "bottom:\n"
        "    insn 8, 0, middle\n"
        "after:\n");
    const std::vector<Instruction> expected = {{10, 0, 4}, {20, 0, 0}, {9, 1, 0}, {8, 0, 1}, {8, 0, 1}};
    EXPECT_EQ(code, expected);
    // A label after the last instruction is the instruction count.
    EXPECT_EQ(Code("jmp end_of_code\nend_of_code:\n")[0], (Instruction{8, 0, 1}));
}

TEST(AssemblerBytes, CallPushesArgumentsInWrittenOrder) {
    const kvasm::CodeImage image = AssembleImage(
        ".var aint n 2\n"
        ".var astr who 4\n"
        "call LoadLayer 3, \"bg\"\n"
        "calld MessageFlow n, \"hi\", byte 1, #n, &who, who, aint[9], @title\n"
        "call CreateDirectInputManager\n"
        ".string title \"T\"\n");
    const std::vector<Instruction> expected = {
        {17, 0, 3}, {17, 2, 0}, {13, 18, 0},                                        // call LoadLayer
        {15, 2, 0}, {17, 2, 6}, {17, 1, 1}, {17, 0, 2}, {16, 4, 4}, {15, 4, 4},      // calld ...
        {15, 9, 0}, {17, 2, 12}, {13, 44, 0}, {12, 0, 0},
        {13, 126, 0},
    };
    EXPECT_EQ(image.instructions, expected);
    const std::vector<uint8_t> data = {2, 0, 0, 0, 'b', 'g', 2, 0, 0, 0, 'h', 'i', 1, 0, 0, 0, 'T'};
    EXPECT_EQ(image.data, data);
}

TEST(AssemblerBytes, LinesDirectiveMarksEachInstructionLine) {
    const std::vector<Instruction> code = Code(
        "nop\n"
        ".lines on\n"
        "here:\n"
        "    push 1   ; line 4\n"
        "\n"
        "    calld OpResetTimer\n"
        "    jmp here\n"
        ".lines off\n"
        "    end\n");
    const std::vector<Instruction> expected = {
        {20, 0, 0}, {23, 4, 0}, {17, 0, 1}, {23, 6, 0}, {13, 13, 0}, {12, 0, 0}, {23, 7, 0}, {8, 0, 1}, {0, 0, 0},
    };
    EXPECT_EQ(code, expected);
}

TEST(AssemblerBytes, DataAreaInSourceOrderWithSharedInlineLiterals) {
    const kvasm::CodeImage image = AssembleImage(
        "push \"a\"\n"
        ".data 00 ff\n"
        ".data 0102\n"
        "push \"a\"\n"
        ".string x \"a\"\n"
        "push @x\n"
        "push \"\"\n"
        "push @y\n"
        ".string y \"bc\"\n");
    const std::vector<uint8_t> data = {1, 0, 0, 0, 'a', 0x00, 0xFF, 0x01, 0x02, 1, 0, 0, 0, 'a',
                                       0, 0, 0, 0, 2, 0, 0, 0, 'b', 'c'};
    EXPECT_EQ(image.data, data);
    const std::vector<Instruction> expected = {{17, 2, 0}, {17, 2, 0}, {17, 2, 9}, {17, 2, 14}, {17, 2, 18}};
    EXPECT_EQ(image.instructions, expected);
}

}  // namespace
