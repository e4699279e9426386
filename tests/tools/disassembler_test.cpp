// Disassembly: readable output, and assembling it gives the same bytes back.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tools/asm/assembler.h"
#include "tools/asm/code_image.h"
#include "tools/asm/disassembler.h"

namespace {

using kvasm::CodeImage;
using kvasm::CodePage;
using kvasm::Instruction;

void ExpectRoundTrip(const std::vector<uint8_t>& bytes, CodePage page = CodePage::ShiftJis) {
    kvasm::DisassembleOptions disOptions;
    disOptions.codePage = page;
    const kvasm::DisassembleResult dis = kvasm::Disassemble(bytes, disOptions);
    ASSERT_TRUE(dis.ok) << dis.error;
    kvasm::Options options;
    options.codePage = page;
    const kvasm::AssembleResult again = kvasm::Assemble(dis.text, options);
    ASSERT_TRUE(again.ok()) << kvasm::FormatDiagnostics(again.diagnostics) << dis.text;
    EXPECT_EQ(again.bytes, bytes) << dis.text;
}

std::vector<uint8_t> Literal(std::vector<uint8_t> text) {
    const auto n = static_cast<uint32_t>(text.size());
    text.insert(text.begin(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                               static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)});
    return text;
}

TEST(Disassembler, PrintsTheAssemblerSyntax) {
    const kvasm::AssembleResult built = kvasm::Assemble(
        "top:\n"
        "    calld OpSetCaption \"タイトル\\n\\a{2}\"\n"
        "    load aint[1]\n"
        "    push byte 1\n"
        "    cmp ge\n"
        "    jf.keep top\n"
        "    sys 5\n"
        "    sys 140\n"
        "    push -7\n"
        "    end\n");
    ASSERT_TRUE(built.ok());
    const kvasm::DisassembleResult dis = kvasm::Disassemble(built.bytes);
    ASSERT_TRUE(dis.ok) << dis.error;
    EXPECT_EQ(dis.text,
              "; 11 instructions, 18 data bytes\n"
              "L0000:\n"
              "    push \"タイトル\\n\\a{2}\"\n"
              "    sys OpSetCaption\n"
              "    discard\n"
              "    load aint[1]\n"
              "    push byte 1\n"
              "    cmp ge\n"
              "    jf.keep L0000\n"
              "    sys 5  ; OpDummy\n"
              "    sys 140  ; FlowMessage (phase)\n"
              "    push -7\n"
              "    end\n");
}

TEST(Disassembler, RoundTripsEveryInstructionForm) {
    const kvasm::AssembleResult built = kvasm::Assemble(
        ".var aint a 1\n.var astr s 2\n"
        "start: end\nadd\nsub\nmul\ndiv\nmod\nneg\ncmp eq\ncmp ne\ncmp lt\ncmp le\ncmp gt\ncmp ge\ncmp 6\n"
        "jmp start\njt start\njt.keep later\njf later\njf.keep 1000\njmp 0xFFFFFFFF\n"
        "assign\ndiscard\nsys OpSetCaption\nsys 170\nsys 171\nret\n"
        "load a\nloadi a\nref s\nrefi bstr[3]\nload cint[0xFFFFFFFF]\n"
        "push 0\npush -1\npush byte 255\npush \"x\"\npush \"\"\npush \"x\"\n"
        "inc\ndec\nnop\nnop2\nline 7\nlater: line 0xFFFFFFFF\n"
        "insn 22, 0, 0\ninsn 24, 1, 2\ninsn 0, 1, 0\ninsn 7, 1, 1\ninsn 8, 1, 3\ninsn 9, 2, 3\n"
        "insn 13, 1, 1\ninsn 15, 0, 14\ninsn 16, 0, 99\ninsn 17, 3, 0\ninsn 23, 1, 1\n"
        "call LoadLayer 1, \"bg\", &s, a\n");
    ASSERT_TRUE(built.ok()) << kvasm::FormatDiagnostics(built.diagnostics);
    ExpectRoundTrip(built.bytes);
}

TEST(Disassembler, DataNotLaidOutByTheAssemblerStaysExact) {
    CodeImage image;
    std::vector<uint8_t>& data = image.data;
    auto append = [&data](const std::vector<uint8_t>& bytes) {
        const auto at = static_cast<uint32_t>(data.size());
        data.insert(data.end(), bytes.begin(), bytes.end());
        return at;
    };
    const uint32_t junk = append({0xDE, 0xAD});                       // unreferenced bytes first
    const uint32_t hello = append(Literal({'h', 'i'}));
    const uint32_t same = append(Literal({'h', 'i'}));                // equal text, own place
    const uint32_t unused = append(Literal({'u'}));                   // a literal nobody pushes
    const uint32_t tail = append({5, 0, 0, 0, 'a'});                  // length runs past the end
    image.instructions = {
        {17, 2, hello}, {17, 2, same}, {17, 2, hello + 1}, {17, 2, tail},
        {17, 2, 0xFFFFFFF0}, {17, 2, static_cast<uint32_t>(data.size())}, {0, 0, 0},
    };
    (void)junk;
    (void)unused;
    const std::vector<uint8_t> bytes = kvasm::EncodeCodeImage(image);
    ExpectRoundTrip(bytes);
    const kvasm::DisassembleResult dis = kvasm::Disassemble(bytes);
    EXPECT_NE(dis.text.find(".data de ad\n"), std::string::npos) << dis.text;
    EXPECT_NE(dis.text.find(".string d2 \"hi\"\n"), std::string::npos) << dis.text;
    EXPECT_NE(dis.text.find("push @d8\n"), std::string::npos) << dis.text;
    EXPECT_NE(dis.text.find("insn 17, 2, 3\n"), std::string::npos) << dis.text;
}

TEST(Disassembler, InlineLiteralsOnlyWhileTheyFollowFirstUse) {
    CodeImage image;
    image.data = Literal({'a'});
    const std::vector<uint8_t> b = Literal({'b'});
    image.data.insert(image.data.end(), b.begin(), b.end());
    // "b" is used first, so the assembler would place it first: it must be labelled instead.
    image.instructions = {{17, 2, 5}, {17, 2, 0}, {17, 2, 5}};
    ExpectRoundTrip(kvasm::EncodeCodeImage(image));
    image.instructions = {{17, 2, 0}, {17, 2, 5}, {17, 2, 0}};
    const std::vector<uint8_t> bytes = kvasm::EncodeCodeImage(image);
    ExpectRoundTrip(bytes);
    EXPECT_EQ(kvasm::Disassemble(bytes).text,
              "; 3 instructions, 10 data bytes\n    push \"a\"\n    push \"b\"\n    push \"a\"\n");
    // Two equal literals: the assembler would share one, so the second must keep its own place.
    image.data = Literal({'a'});
    image.data.insert(image.data.end(), image.data.begin(), image.data.end());
    image.instructions = {{17, 2, 0}, {17, 2, 5}};
    ExpectRoundTrip(kvasm::EncodeCodeImage(image));
}

TEST(Disassembler, RejectsFilesThatDoNotMatchTheirHeader) {
    EXPECT_FALSE(kvasm::Disassemble(std::vector<uint8_t>{1, 0, 0}).ok);
    // One instruction announced, none present.
    EXPECT_FALSE(kvasm::Disassemble(std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0}).ok);
    // Huge counts must not overflow the size check.
    EXPECT_FALSE(kvasm::Disassemble(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}).ok);
    // Bytes after the data area cannot be written in the source.
    const kvasm::DisassembleResult trailing = kvasm::Disassemble(std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 9});
    EXPECT_FALSE(trailing.ok);
    EXPECT_NE(trailing.error.find("9 bytes"), std::string::npos) << trailing.error;
    ExpectRoundTrip(std::vector<uint8_t>(8, 0));
}

// Random images: kinds and fields biased towards the forms the disassembler must tell apart.
std::vector<uint8_t> RandomImage(uint32_t seed) {
    std::mt19937 rng(seed);
    const auto below = [&rng](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    CodeImage image;
    std::vector<uint32_t> literalOffsets;
    const uint32_t pieces = below(12);
    for (uint32_t p = 0; p < pieces; ++p) {
        std::vector<uint8_t> text(below(9));
        for (uint8_t& byte : text) {
            switch (below(4)) {
            case 0: byte = static_cast<uint8_t>('a' + below(26)); break;
            case 1: byte = static_cast<uint8_t>(below(8)); break;
            default: byte = static_cast<uint8_t>(below(256)); break;
            }
        }
        if (below(4) == 0) {
            image.data.insert(image.data.end(), text.begin(), text.end());  // raw bytes
        } else {
            literalOffsets.push_back(static_cast<uint32_t>(image.data.size()));
            const std::vector<uint8_t> literal = Literal(text);
            image.data.insert(image.data.end(), literal.begin(), literal.end());
        }
    }
    // Often use the literals in layout order first, as assembled scripts do.
    if (below(2) == 0) {
        for (uint32_t offset : literalOffsets) {
            image.instructions.push_back({17, 2, offset});
        }
    }
    const uint32_t count = below(40);
    const auto small = [&]() { return below(4) == 0 ? static_cast<uint32_t>(rng()) : below(count + 3); };
    for (uint32_t i = 0; i < count; ++i) {
        Instruction in;
        in.kind = below(10) == 0 ? below(40) : below(24);
        const uint32_t shape = below(6);
        in.a = shape == 0 ? small() : shape == 1 ? below(4) : 0;
        in.b = shape <= 2 ? small() : 0;
        if (in.kind == 17 && below(2) == 0) {
            in.a = 2;
            in.b = !literalOffsets.empty() && below(4) != 0 ? literalOffsets[below(static_cast<uint32_t>(literalOffsets.size()))]
                                                            : below(static_cast<uint32_t>(image.data.size()) + 6);
        }
        if ((in.kind == 15 || in.kind == 16) && below(2) == 0) {
            in.b = below(16);
        }
        image.instructions.push_back(in);
    }
    return kvasm::EncodeCodeImage(image);
}

TEST(Disassembler, RandomImagesRoundTripInBothCodePages) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::vector<uint8_t> bytes = RandomImage(seed);
        ExpectRoundTrip(bytes, CodePage::ShiftJis);
        ExpectRoundTrip(bytes, CodePage::Gbk);
        if (HasFatalFailure() || HasNonfatalFailure()) {
            break;
        }
    }
}

}  // namespace
