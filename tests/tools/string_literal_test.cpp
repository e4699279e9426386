// Literal escapes, code-page conversion and the rendering that the disassembler relies on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/asm/assembler.h"
#include "tools/asm/code_image.h"
#include "tools/asm/string_literal.h"

namespace {

// The data-area bytes of a one-literal script, length word included.
std::vector<uint8_t> LiteralBytes(const std::string& literal,
                                  kvasm::CodePage page = kvasm::CodePage::ShiftJis) {
    kvasm::Options options;
    options.codePage = page;
    const kvasm::AssembleResult result = kvasm::Assemble(
        ".var aint score 3\n.var astr name 0x102\n.var cint volume 7\npush \"" + literal + "\"\n", options);
    EXPECT_TRUE(result.ok()) << kvasm::FormatDiagnostics(result.diagnostics);
    kvasm::CodeImage image;
    std::string error;
    EXPECT_TRUE(kvasm::DecodeCodeImage(result.bytes, &image, &error));
    return image.data;
}

std::vector<uint8_t> WithLength(std::vector<uint8_t> text) {
    const auto n = static_cast<uint32_t>(text.size());
    text.insert(text.begin(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), 0, 0});
    return text;
}

TEST(StringLiteral, ControlAndExpansionEscapes) {
    EXPECT_EQ(LiteralBytes(R"(a\nb\wc\pd\0)"), WithLength({'a', 1, 'b', 2, 'c', 3, 'd', 0}));
    EXPECT_EQ(LiteralBytes(R"(\\\"\x7f\xFF)"), WithLength({'\\', '"', 0x7F, 0xFF}));
    EXPECT_EQ(LiteralBytes(R"(\a{score}\s{name}\c{volume})"),
              WithLength({4, 3, 0, 0, 0, 5, 2, 1, 0, 0, 6, 7, 0, 0, 0}));
    EXPECT_EQ(LiteralBytes(R"(A\a{ 4294967295 }B\c{0x10})"),
              WithLength({'A', 4, 0xFF, 0xFF, 0xFF, 0xFF, 'B', 6, 0x10, 0, 0, 0}));
    EXPECT_EQ(LiteralBytes(""), WithLength({}));
}

TEST(StringLiteral, TextIsConvertedToTheCodePage) {
    // "あ" is 82 A0 in CP932 and A4 A2 in GBK; half-width "ｱ" is one byte in CP932.
    EXPECT_EQ(LiteralBytes("xあｱ"), WithLength({'x', 0x82, 0xA0, 0xB1}));
    EXPECT_EQ(LiteralBytes("x中", kvasm::CodePage::Gbk), WithLength({'x', 0xD6, 0xD0}));
    EXPECT_EQ(LiteralBytes("あ", kvasm::CodePage::Gbk), WithLength({0xA4, 0xA2}));
}

TEST(StringLiteral, EveryProblemOfALiteralIsReported) {
    const kvasm::AssembleResult result = kvasm::Assemble(
        ".var aint score 1\n"
        "push \"ok\"\n"
        "push \"😀 and \\q and \\x4 and \\s{score} and \\a{nobody} and \\c\"\n");
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.bytes.empty());
    ASSERT_EQ(result.diagnostics.size(), 6u) << kvasm::FormatDiagnostics(result.diagnostics);
    for (const kvasm::Diagnostic& d : result.diagnostics) {
        EXPECT_EQ(d.line, 3);
    }
    EXPECT_NE(result.diagnostics[0].message.find("U+1F600"), std::string::npos);
    EXPECT_NE(result.diagnostics[0].message.find("CP932"), std::string::npos);
    EXPECT_NE(result.diagnostics[1].message.find("\\q"), std::string::npos);
    EXPECT_NE(result.diagnostics[3].message.find("aint"), std::string::npos);  // score is no A string
    EXPECT_NE(result.diagnostics[4].message.find("nobody"), std::string::npos);
}

TEST(StringLiteral, CharacterMissingFromGbkIsReported) {
    kvasm::Options options;
    options.codePage = kvasm::CodePage::Gbk;
    options.fileName = "title.kvs";
    const kvasm::AssembleResult result = kvasm::Assemble("\n\npush \"ｱ\"\n", options);
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_EQ(result.diagnostics[0].ToString().rfind("title.kvs:3: error: character U+FF71", 0), 0u)
        << result.diagnostics[0].ToString();
    EXPECT_NE(result.diagnostics[0].message.find("GBK"), std::string::npos);
}

TEST(StringLiteral, InvalidUtf8IsReported) {
    const kvasm::AssembleResult result = kvasm::Assemble("push \"a\xC3(\"\n");
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_NE(result.diagnostics[0].message.find("0xc3"), std::string::npos);
}

// Rendering then encoding must give the same bytes for any byte string.
void ExpectRenderRoundTrip(const std::vector<uint8_t>& bytes, kvasm::CodePage page) {
    kvasm::CodePageConverter converter(page);
    ASSERT_TRUE(converter.ok());
    const std::string text = kvasm::RenderLiteral(bytes, converter);
    std::vector<uint8_t> back;
    std::vector<std::string> errors;
    EXPECT_TRUE(kvasm::EncodeLiteral(text, converter, nullptr, &back, &errors)) << text;
    EXPECT_EQ(back, bytes) << text;
}

TEST(StringLiteral, RenderingRoundTripsEveryByteAndPair) {
    for (kvasm::CodePage page : {kvasm::CodePage::ShiftJis, kvasm::CodePage::Gbk}) {
        std::vector<uint8_t> singles;
        for (int b = 0; b < 256; ++b) {
            singles.push_back(static_cast<uint8_t>(b));
            singles.push_back(' ');
        }
        ExpectRenderRoundTrip(singles, page);
        // Every lead byte with a spread of trail bytes, including ones that form no character.
        std::vector<uint8_t> pairs;
        for (int lead = 0x80; lead < 0x100; ++lead) {
            for (int trail : {0x00, 0x3F, 0x40, 0x5C, 0x7E, 0x7F, 0x80, 0x9F, 0xA1, 0xFC, 0xFD, 0xFF}) {
                pairs.push_back(static_cast<uint8_t>(lead));
                pairs.push_back(static_cast<uint8_t>(trail));
            }
        }
        ExpectRenderRoundTrip(pairs, page);
        // Expansion codes near the end of the text: fewer than four index bytes stay raw.
        ExpectRenderRoundTrip({'a', 4, 1, 2, 3, 4, 5, 9, 9, 9}, page);
        ExpectRenderRoundTrip({0x82, 0xA0, 6, 1}, page);
        ExpectRenderRoundTrip({0x82}, page);
    }
}

TEST(StringLiteral, RenderingIsReadable) {
    kvasm::CodePageConverter converter(kvasm::CodePage::ShiftJis);
    const std::vector<uint8_t> bytes = {'H', 'i', 0x82, 0xA0, 1, 2, 3, 5, 1, 0, 0, 0, '"', '\\', 0x0A};
    EXPECT_EQ(kvasm::RenderLiteral(bytes, converter), "Hiあ\\n\\w\\p\\s{1}\\\"\\\\\\x0a");
}

}  // namespace
