// The variable image built from declarations: layout, defaults and errors.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/asm/variable_image_builder.h"

namespace {

std::vector<uint8_t> Build(const std::string& source) {
    const kvasm::AssembleResult result = kvasm::BuildVariableImage(source);
    EXPECT_TRUE(result.ok()) << kvasm::FormatDiagnostics(result.diagnostics);
    return result.bytes;
}

TEST(VariableImageBuilder, CountsInBankOrderThenBValues) {
    const std::vector<uint8_t> bytes = Build(
        "; all eight banks, out of order\n"
        "cbyte 0x1000\n"
        "bstr 3\n"
        "aint 10\n"
        "abyte 2\n"
        "astr 1\n"
        "bint 3\n"
        "bbyte 2\n"
        "cint 7\n"
        "bint[0] = 100\n"
        "bint[2] = -2\n"
        "bbyte[1] = 255\n"
        "bstr[0] = \"名\\n\"\n"
        "bstr[2] = \"\\a{1}\"\n");
    const std::vector<uint8_t> expected = {
        10, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,                // A integer, byte, string counts
        3, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,                 // B counts
        7, 0, 0, 0, 0, 0x10, 0, 0,                          // C counts
        100, 0, 0, 0, 0, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF,   // B integers (unset one is 0)
        0, 255,                                             // B bytes
        3, 0, 0, 0, 0x96, 0xBC, 1,                          // B strings: "名" in CP932 + line break
        0, 0, 0, 0,                                         // unset: empty
        5, 0, 0, 0, 4, 1, 0, 0, 0,
    };
    EXPECT_EQ(bytes, expected);
}

TEST(VariableImageBuilder, EmptyDeclarationsGiveThirtyTwoZeroBytes) {
    EXPECT_EQ(Build(""), std::vector<uint8_t>(32, 0));
    EXPECT_EQ(Build("; only a comment\n\n"), std::vector<uint8_t>(32, 0));
}

TEST(VariableImageBuilder, GbkStrings) {
    kvasm::Options options;
    options.codePage = kvasm::CodePage::Gbk;
    const kvasm::AssembleResult result = kvasm::BuildVariableImage("bstr 1\nbstr[0] = \"中\"\n", options);
    ASSERT_TRUE(result.ok());
    const std::vector<uint8_t> tail(result.bytes.begin() + 32, result.bytes.end());
    EXPECT_EQ(tail, (std::vector<uint8_t>{2, 0, 0, 0, 0xD6, 0xD0}));
}

TEST(VariableImageBuilder, ErrorsWithLines) {
    struct Case {
        const char* source;
        int line;
        const char* piece;
    };
    const Case cases[] = {
        {"aint 1\naint 2\n", 2, "already given at line 1"},
        {"aint -1\n", 1, "must be 0..16777216"},
        {"cbyte 16777217\n", 1, "must be 0..16777216"},
        {"dint 3\n", 1, "bank name"},
        {"aint\n", 1, "expected 'aint COUNT'"},
        {"aint[0] = 1\n", 1, "only bank B"},
        {"bint 2\nbint[0] = \"x\"\n", 2, "must be a number"},
        {"bbyte 1\nbbyte[0] = 256\n", 2, "0..255"},
        {"bstr 1\nbstr[0] = 5\n", 2, "needs a string"},
        {"bstr 1\nbstr[0] = \"\\a{name}\"\n", 2, "write the index"},
        {"bstr 1\nbstr[0] = \"😀\"\n", 2, "U+1F600"},
        {"bint 2\nbint[1] = 1\nbint[1] = 2\n", 3, "already set at line 2"},
        {"bint[3] = 1\nbint 3\n", 1, "outside the count of 3"},
        {"bint 1\nbint[0] 1\n", 2, "[INDEX] = VALUE"},
        {"bint 1\nbint[-1] = 1\n", 2, "out of range"},
        {"bint 1 2\n", 1, "expected 'bint COUNT'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const kvasm::AssembleResult result = kvasm::BuildVariableImage(c.source);
        EXPECT_TRUE(result.bytes.empty());
        ASSERT_EQ(result.diagnostics.size(), 1u) << kvasm::FormatDiagnostics(result.diagnostics);
        EXPECT_EQ(result.diagnostics[0].line, c.line);
        EXPECT_NE(result.diagnostics[0].message.find(c.piece), std::string::npos) << result.diagnostics[0].message;
    }
}

}  // namespace
