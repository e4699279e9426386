// String operands and the expansion of the variable codes in texts.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backend/dialog_service.h"
#include "app/globals/globals.h"
#include "script/vm/operand_access.h"
#include "script/vm/vm_state.h"
#include "tests/support/assembled_image.h"
#include "tests/support/headless_game.h"

namespace {

using kv::VmValue;
namespace vm_type = kv::vm_type;

// A code 0x04, 0x05 or 0x06 with its index.
std::string Code(char code, std::uint32_t index) {
    std::string out(1, code);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(index >> (8 * i)));
    return out;
}
std::string AInt(std::uint32_t i) { return Code('\x04', i); }
std::string AStr(std::uint32_t i) { return Code('\x05', i); }
std::string CInt(std::uint32_t i) { return Code('\x06', i); }

const std::string kAccessViolation = "error|Access violation in Scripts";

class OperandAccessTest : public kvtest::HeadlessGameTest {
public:
    void SetUp() override {
        HeadlessGameTest::SetUp();
        const auto image = kvtest::AssembledVariables(R"(
aint 4
astr 4
bstr 1
cint 4
bstr[0] = "from B"
)");
        vm_ = new kv::VmState();
        kv::g_vm = vm_;
        ASSERT_TRUE(vm_->LoadVariableImage(image.data(), image.size()));
        *vm_->AInt(0) = -12;
        *vm_->AInt(1) = 2147483647;
        *vm_->CInt(0) = 7;
        *vm_->CInt(1) = -2147483647 - 1;
    }
    void TearDown() override {
        kv::g_vm = nullptr;
        delete vm_;
        HeadlessGameTest::TearDown();
    }

    void SetAString(std::uint32_t index, const std::string& text) {
        vm_->SetAString(index, static_cast<std::int32_t>(text.size()), reinterpret_cast<const std::uint8_t*>(text.data()));
    }

    // Expands text into a buffer of size bytes that is followed by guard bytes; checks that
    // the guard is untouched and the result terminated inside the buffer.
    std::string Expand(const std::string& text, std::size_t size, bool* result = nullptr) {
        // The source on the heap at its exact length, so a read past it is caught.
        std::unique_ptr<std::uint8_t[]> source(new std::uint8_t[text.size() + 1]);
        std::memcpy(source.get(), text.data(), text.size());
        std::vector<char> out(size + 8, '\x7F');
        const bool ok = kv::ExpandText(source.get(), text.size(), out.data(), size);
        if (result) *result = ok;
        for (std::size_t i = size; i < out.size(); ++i) EXPECT_EQ(out[i], '\x7F') << "written past the buffer at " << i;
        if (size == 0) return "<nothing>";
        const void* end = std::memchr(out.data(), 0, size);
        EXPECT_NE(end, nullptr) << "not terminated inside the buffer";
        return end ? std::string(out.data()) : "<unterminated>";
    }

    kv::VmState* vm_ = nullptr;
};

TEST_F(OperandAccessTest, CodesAreReplacedByTheVariables) {
    bool ok = false;
    EXPECT_EQ(Expand("A" + AInt(0) + "B", 64, &ok), "A-12B");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Expand(AInt(1) + "/" + CInt(0) + "/" + CInt(1), 64), "2147483647/7/-2147483648");
    // An A string is expanded in turn: its own codes are replaced too.
    SetAString(0, "x" + CInt(0) + "y");
    EXPECT_EQ(Expand("[" + AStr(0) + "]", 64), "[x7y]");
    // Every other byte passes unchanged, control bytes and double-byte characters included.
    EXPECT_EQ(Expand(std::string("\x01\x02\x03\x82\xA0", 5), 64), std::string("\x01\x02\x03\x82\xA0", 5));
    EXPECT_EQ(Expand("", 1, &ok), "");
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());
}

TEST_F(OperandAccessTest, TheResultAlwaysStaysInsideTheBuffer) {
    bool ok = false;
    // size - 1 bytes fit with their terminator; one more does not and is cut.
    EXPECT_EQ(Expand("abcdefg", 8, &ok), "abcdefg");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Expand("abcdefgh", 8, &ok), "abcdefg");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Expand("abcdefgh", 1, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Expand("a", 0, &ok), "<nothing>");
    EXPECT_FALSE(ok);

    // Cut between characters, never inside a double-byte one.
    EXPECT_EQ(Expand("ab\x82\xA0" "c", 4, &ok), "ab");
    EXPECT_FALSE(ok);
    SetAString(0, "\x82\xA0\x82\xA2");
    EXPECT_EQ(Expand("a" + AStr(0), 5, &ok), "a\x82\xA0");
    EXPECT_FALSE(ok);

    // Inserted numbers and strings obey the same limit.
    EXPECT_EQ(Expand("ab" + AInt(1), 8, &ok), "ab21474");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Expand("ab" + AInt(0), 6, &ok), "ab-12");
    EXPECT_TRUE(ok);

    // An A string is expanded within 1024 bytes of its own, whatever the caller's size.
    SetAString(1, std::string(1500, 'z'));
    EXPECT_EQ(Expand(AStr(1), 2048, &ok), std::string(1023, 'z'));
    EXPECT_TRUE(ok);
}

TEST_F(OperandAccessTest, BadIndexesInsertNothingAndTheExpansionGoesOn) {
    bool ok = false;
    EXPECT_EQ(Expand("a" + AInt(4) + "b" + AStr(99) + "c" + CInt(0xFFFFFFFF) + "d", 64, &ok), "abcd");
    EXPECT_TRUE(ok);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kAccessViolation, kAccessViolation, kAccessViolation}));
}

TEST_F(OperandAccessTest, MalformedAndSelfReferringTextsEnd) {
    bool ok = false;
    // A code whose index runs past the end of the text is dropped without reading past it.
    EXPECT_EQ(Expand("ab\x04\x01\x00", 64, &ok), "ab");
    EXPECT_EQ(Expand("ab\x05", 64, &ok), "ab");
    // A lead byte as the last byte is copied alone.
    EXPECT_EQ(Expand("ab\x82", 64, &ok), "ab\x82");

    // A string that holds itself, directly or through another one.
    SetAString(0, "x" + AStr(0));
    EXPECT_EQ(Expand(AStr(0), 64, &ok), "xxxxxxxx");
    EXPECT_TRUE(ok);
    SetAString(1, "1" + AStr(2));
    SetAString(2, "2" + AStr(1));
    EXPECT_EQ(Expand(AStr(1), 64, &ok), "12121212");
    // A string full of references to itself must not multiply the work without end.
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += AStr(3);
    SetAString(3, wide);
    EXPECT_EQ(Expand(AStr(3) + "end", 64, &ok), "end");
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());
}

TEST_F(OperandAccessTest, FetchTakesLiteralsAndStringVariablesOnly) {
    const auto image = kvtest::AssembledScript(R"(
end
.string hi "Hi \a{0}"
.string empty ""
)");
    // The data area in source order: "Hi " and the A integer code take 4 + 8 bytes.
    const std::uint32_t literal = 0;
    const std::uint32_t empty = 12;
    ASSERT_TRUE(vm_->LoadCode(image.data(), image.size()));
    SetAString(2, "name" + CInt(0));

    char out[16];
    ASSERT_TRUE(kv::FetchStringOperand(VmValue{vm_type::kLiteral, literal}, out, sizeof out));
    EXPECT_STREQ(out, "Hi -12");
    ASSERT_TRUE(kv::FetchStringOperand(VmValue{vm_type::kLiteral, empty}, out, sizeof out));
    EXPECT_STREQ(out, "");
    ASSERT_TRUE(kv::FetchStringOperand(VmValue{vm_type::kAStringRef, 2}, out, sizeof out));
    EXPECT_STREQ(out, "name7");
    ASSERT_TRUE(kv::FetchStringOperand(VmValue{vm_type::kAStringRef, 3}, out, sizeof out));
    EXPECT_STREQ(out, "");  // never set
    ASSERT_TRUE(kv::FetchStringOperand(VmValue{vm_type::kBStringRef, 0}, out, sizeof out));
    EXPECT_STREQ(out, "from B");
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());

    // Another type of value: false, and the buffer is left as it was.
    std::memcpy(out, "unchanged", 10);
    for (std::uint32_t type : {vm_type::kInt, vm_type::kByte, vm_type::kAIntRef, vm_type::kBIntRef, vm_type::kCIntRef, 10u}) {
        EXPECT_FALSE(kv::FetchStringOperand(VmValue{type, 0}, out, sizeof out));
        EXPECT_STREQ(out, "unchanged");
    }

    // A bad index or literal offset: the report, and an empty text.
    EXPECT_FALSE(kv::FetchStringOperand(VmValue{vm_type::kAStringRef, 4}, out, sizeof out));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(kv::FetchStringOperand(VmValue{vm_type::kBStringRef, 1}, out, sizeof out));
    EXPECT_FALSE(kv::FetchStringOperand(VmValue{vm_type::kLiteral, static_cast<std::uint32_t>(image.size())}, out,
                                        sizeof out));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kAccessViolation, kAccessViolation, kAccessViolation}));

    // Too long for the buffer: false, with as much as fits.
    SetAString(2, "0123456789abcdefXYZ");
    EXPECT_FALSE(kv::FetchStringOperand(VmValue{vm_type::kAStringRef, 2}, out, sizeof out));
    EXPECT_STREQ(out, "0123456789abcde");
}

TEST_F(OperandAccessTest, CheckedIntegerReads) {
    EXPECT_EQ(vm_->GetAInt(0), -12);
    EXPECT_EQ(vm_->GetCInt(0), 7);
    EXPECT_EQ(vm_->GetAInt(4), 0);
    EXPECT_EQ(vm_->GetCInt(0x80000000u), 0);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kAccessViolation, kAccessViolation}));
}

}  // namespace
