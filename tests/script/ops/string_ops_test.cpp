// The text operations and the clearing of bank A, run by scripts on the real engine. Texts are
// written byte for byte (\xHH) so that the same cases run in both builds: this file is compiled
// into the Shift-JIS test program and into the GBK one, and a case whose result depends on the
// code page gives both.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/globals/globals.h"
#include "base/build_variant.h"
#include "tests/script/ops/line_script_fixture.h"

namespace {

constexpr int kSlots = 48;  // of each bank A kind
constexpr int kFirstSetupSlot = 40;  // the cases' destinations lie below
const std::string kSlotsText = std::to_string(kSlots);

bool IsGbkBuild() { return std::string(kv::ActiveBuildVariant().name) == "gbk"; }

// A call with "@" standing for the destination variable's index.
std::string WithDestination(std::string call, int destination) {
    const std::size_t at = call.find('@');
    if (at != std::string::npos) call.replace(at, 1, std::to_string(destination));
    return call;
}

struct TextCase {
    std::string call;
    std::string stored;                 // the text without its terminator; "" an empty variable
    std::optional<std::string> gbk{};   // where the GBK build stores something else

    const std::string& Expected() const { return IsGbkBuild() && gbk ? *gbk : stored; }
};

struct NumberCase {
    std::string call;
    std::int32_t stored;
};

class StringOpsTest : public opstest::LineScriptTest {
public:
    void SetUp() override {
        LineScriptTest::SetUp();
        WriteVariables("NECEMEM.SNI", "aint " + kSlotsText + "\nabyte " + kSlotsText + "\nastr " + kSlotsText +
                                          "\ncint 4\n");
    }

    // Runs the setup lines, then each call with its own index as the destination, up to the
    // line marker after the last; every operation must have taken exactly its operands.
    void RunCalls(const std::vector<std::string>& calls, const std::string& setup = "") {
        ASSERT_LE(calls.size(), static_cast<std::size_t>(kFirstSetupSlot));
        std::string script = setup;
        for (std::size_t i = 0; i < calls.size(); ++i) script += WithDestination(calls[i], static_cast<int>(i)) + "\n";
        WriteScript("INIT", script + "line 1\nl: line 2\njmp l\n");
        Start();
        ASSERT_TRUE(RunToLine(1));
        EXPECT_EQ(kv::g_vm->StackDepth(), 0);
        EXPECT_TRUE(WindowAlive());
    }

    // The A string's bytes as stored, terminator included; "<empty>" for no bytes at all.
    static std::string Stored(std::uint32_t index) {
        const kv::VmString* string = kv::g_vm->AString(index);
        if (!string) return "<outside>";
        if (!string->Bytes()) return string->Length() == 0 ? "<empty>" : "<length without bytes>";
        return std::string(reinterpret_cast<const char*>(string->Bytes()), string->Length());
    }
    static std::string StoredForm(const std::string& text) { return text.empty() ? "<empty>" : text + '\0'; }

    void ExpectTexts(const std::vector<TextCase>& cases, const std::string& setup = "") {
        std::vector<std::string> calls;
        for (const TextCase& c : cases) calls.push_back(c.call);
        RunCalls(calls, setup);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            EXPECT_EQ(Stored(static_cast<std::uint32_t>(i)), StoredForm(cases[i].Expected())) << cases[i].call;
        }
        EXPECT_TRUE(BoxTexts().empty());
    }

    void ExpectNumbers(const std::vector<NumberCase>& cases, bool bytes, const std::string& setup = "") {
        std::vector<std::string> calls;
        for (const NumberCase& c : cases) calls.push_back(c.call);
        RunCalls(calls, setup);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const auto index = static_cast<std::uint32_t>(i);
            const std::int32_t value = bytes ? *kv::g_vm->AByte(index) : *kv::g_vm->AInt(index);
            EXPECT_EQ(value, cases[i].stored) << cases[i].call;
        }
        EXPECT_TRUE(BoxTexts().empty());
    }
};

// Two Shift-JIS hiragana (both builds read 0x82 as a lead byte) and the letters ab.
const std::string kKanaAb = R"(\x82\xa0\x82\xa2ab)";
// Bytes that are two characters in GBK and four in Shift-JIS (0xA0..0xDF lead nothing there).
const std::string kGbkWord = R"(\xd6\xd0\xce\xc4)";
// ABAB... of n bytes, as a literal.
std::string Letters(std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text += static_cast<char>('A' + i % 2);
    return text;
}
// Variables above the cases' destinations: aint[40] = -12, astr[41] assigned "Kaede" by the
// bytecode (no terminator), astr[42] "Kaede" stored by an operation (with its terminator).
const std::string kVariables =
    "ref aint[40]\npush -12\nassign\ndiscard\nref astr[41]\npush \"Kaede\"\nassign\ndiscard\n"
    "calld ConcatStrings \"Kae\", \"de\", 42\n";

TEST_F(StringOpsTest, CompareStringsSetsTheFlagForEqualTexts) {
    const std::string longText = Letters(1100);
    ExpectNumbers(
        {
            {R"(calld CompareStrings "", "", @)", 1},
            {R"(calld CompareStrings "abc", "abd", @)", 0},
            {R"(calld CompareStrings "abc", "abc", @)", 1},
            {R"(calld CompareStrings "", "a", @)", 0},
            {R"(calld CompareStrings "abc", "abc ", @)", 0},
            {R"(calld CompareStrings "\a{40}", "-12", @)", 1},       // texts are expanded first
            {R"(calld CompareStrings astr[41], "Kaede", @)", 1},
            {R"(calld CompareStrings "Kaede", astr[42], @)", 1},     // stored with its terminator
            {R"(calld CompareStrings astr[42], astr[41], @)", 1},
            {R"(calld CompareStrings astr[43], "", @)", 1},          // a variable never set
            {R"(calld CompareStrings 5, "", @)", 1},                // no text: the empty text
            // Texts are compared as far as the 1024-byte buffers hold them.
            {"calld CompareStrings \"" + longText + "x\", \"" + longText + "y\", @", 1},
            {"calld CompareStrings \"" + Letters(1022) + "x\", \"" + Letters(1022) + "y\", @", 0},
        },
        true, kVariables);
}

TEST_F(StringOpsTest, SubstringCountsCharactersOrBytesAndStaysInsideTheText) {
    // Calls are: unit, start, count, text, destination.
    const std::string kana = "\"" + kKanaAb + "\"";
    ExpectTexts({
        {"calld Substring 0, 2, 2, " + kana + ", @", "\x82\xa2" "a"},
        {"calld Substring 1, 2, 2, " + kana + ", @", "\xa0\x82"},   // splits both characters
        {"calld Substring 7, 5, 2, " + kana + ", @", "ab"},         // any unit but 0 is bytes
        {"calld Substring 0, 3, 100, " + kana + ", @", "ab"},
        {"calld Substring 0, 0, 1, " + kana + ", @", "\x82\xa0"},   // start below 1: the first
        {"calld Substring 0, -2147483648, 1, " + kana + ", @", "\x82\xa0"},
        {"calld Substring 1, 0, 3, " + kana + ", @", "\x82\xa0\x82"},
        {"calld Substring 1, -2147483648, 1, " + kana + ", @", "\x82"},
        {"calld Substring 1, 6, 2147483647, " + kana + ", @", "b"},
        {"calld Substring 0, 2, 2147483647, " + kana + ", @", "\x82\xa2" "ab"},
        // Nothing left: the empty text, not a terminator alone.
        {"calld Substring 0, 5, 1, " + kana + ", @", ""},
        {"calld Substring 0, 2147483647, 1, " + kana + ", @", ""},
        {"calld Substring 1, 7, 1, " + kana + ", @", ""},
        {"calld Substring 0, 2, -1, " + kana + ", @", ""},
        {"calld Substring 1, 2, -2147483648, " + kana + ", @", ""},
        {R"(calld Substring 0, 1, 1, "", @)", ""},
        {R"(calld Substring 0, 1, 1, 42, @)", ""},                  // no text
        // A lead byte at the end is one character; the terminator is never stepped over.
        {R"(calld Substring 0, 2, 5, "a\x82", @)", "\x82"},
        {R"(calld Substring 0, 3, 1, "a\x82", @)", ""},
        // Characters as the build's code page makes them.
        {R"(calld Substring 0, 2, 1, "\xb1\xa1x", @)", "\xa1", "x"},
        {"calld Substring 0, 2, 2, \"" + kGbkWord + "ab\", @", "\xd0\xce", "\xce\xc4" "a"},
        {R"(calld Substring 0, 1, 1, "\xfd\x40z", @)", "\xfd", "\xfd\x40"},
        // The text is taken as far as its 256-byte buffer holds it; variables are expanded.
        {"calld Substring 1, 250, 100, \"" + Letters(300) + "\", @", Letters(256).substr(249, 6)},
        {R"(calld Substring 0, 2, 3, "<\a{40}>", @)", "-12"},
        {R"(calld Substring 0, 1, 2, astr[41], @)", "Ka"},
        {R"(calld Substring 0, 4, 9, astr[42], @)", "de"},
    },
                kVariables);
}

TEST_F(StringOpsTest, ConcatStringsJoinsTheTwoTexts) {
    ExpectTexts({
        {R"(calld ConcatStrings "ab", "cd", @)", "abcd"},
        {R"(calld ConcatStrings "", "cd", @)", "cd"},
        {R"(calld ConcatStrings "ab", "", @)", "ab"},
        {R"(calld ConcatStrings "", "", @)", ""},
        {R"(calld ConcatStrings 3, "x", @)", "x"},
        {R"(calld ConcatStrings astr[42], " \a{40}", @)", "Kaede -12"},
        // Each text as far as its 256-byte buffer holds it.
        {"calld ConcatStrings \"" + Letters(300) + "\", \"" + Letters(300) + "\", @", Letters(255) + Letters(255)},
    },
                kVariables);
}

TEST_F(StringOpsTest, ATextOperationMayWriteIntoTheVariableItReads) {
    RunCalls({R"(calld ConcatStrings "x", "y", 0)", R"(calld ConcatStrings astr[0], astr[0], 0)",
              R"(calld Substring 0, 2, 2, astr[0], 0)"});
    EXPECT_EQ(Stored(0), StoredForm("yx"));
}

TEST_F(StringOpsTest, FormatNumberFillsOnTheLeftToTheWidth) {
    // Calls are: number, destination, full-width flag, width, pad character.
    const std::string fwSpace = "\x81\x40";
    const std::string fw12 = "\x82\x50\x82\x51";
    ExpectTexts({
        {R"(calld FormatNumber 7, @, 0, 3, "0")", "007"},
        {R"(calld FormatNumber 7, @, 0, 1, "0")", "7"},
        {R"(calld FormatNumber 7, @, 0, -2147483648, "0")", "7"},
        {R"(calld FormatNumber 1234, @, 0, 2, "0")", "1234"},
        {R"(calld FormatNumber 0, @, 0, 2, " ")", " 0"},
        {R"(calld FormatNumber -5, @, 0, 4, " ")", "  -5"},
        {R"(calld FormatNumber -2147483648, @, 0, 12, "0")", "0-2147483648"},
        {R"(calld FormatNumber 12, @, 1, 4, "\x81\x40")", fwSpace + fwSpace + fw12},
        {R"(calld FormatNumber 9, @, 7, 0, "0")", "\x82\x58"},       // any flag but 0
        {R"(calld FormatNumber -5, @, 1, 3, "\x81\x40")", fwSpace + "\x81\x7c\x82\x54"},
        // The pad character is one byte without the flag, two with it, and never more than
        // the text it was given.
        {R"(calld FormatNumber 12, @, 0, 4, "\x81\x40")", "\x81\x81" "12"},
        {R"(calld FormatNumber 12, @, 1, 3, "x")", "x" + fw12},
        {R"(calld FormatNumber 5, @, 0, 3, "abc")", "aa5"},
        {R"(calld FormatNumber 5, @, 1, 2, "abc")", "ab\x82\x54"},
        {R"(calld FormatNumber 12, @, 0, 4, "")", "12"},
        {R"(calld FormatNumber 12, @, 0, 4, 0)", "12"},               // no text: no pad
        {R"(calld FormatNumber 3, @, 0, 3, "\a{40}")", "--3"},
        // Any width: the text grows to the most an operation can read back, and no further.
        {R"(calld FormatNumber 7, @, 0, 300, "0")", std::string(299, '0') + "7"},
        {R"(calld FormatNumber 7, @, 0, 2147483647, "0")", std::string(1022, '0') + "7"},
        {R"(calld FormatNumber 12, @, 1, 2147483647, "\x81\x40")", [&] {
             std::string text;
             for (int i = 0; i < 509; ++i) text += fwSpace;
             return text + fw12;
         }()},
    },
                kVariables);
}

TEST_F(StringOpsTest, StringLengthCountsBytesOrCharacters) {
    // Calls are: text, unit, destination.
    ExpectNumbers(
        {
            {R"(calld StringLength "\x82\xa0\x82\xa2\x82\xa4", 1, @)", 6},
            {R"(calld StringLength "\x82\xa0\x82\xa2\x82\xa4", 0, @)", 3},
            {R"(calld StringLength "", 0, @)", 0},
            {R"(calld StringLength 12, 1, @)", 0},
            {R"(calld StringLength "a\x82", 0, @)", 2},
            {R"(calld StringLength astr[42], 1, @)", 5},   // the stored terminator is no character
            {R"(calld StringLength astr[41], 0, @)", 5},
            {R"(calld StringLength "\a{40}", 0, @)", 3},
            // Characters are counted with the Shift-JIS lead bytes in both builds.
            {"calld StringLength \"" + kGbkWord + "\", 0, @", 4},
            {R"(calld StringLength "\xfd\x40", 0, @)", 2},
            // The text is measured as far as its 512-byte buffer holds it.
            {"calld StringLength \"" + Letters(600) + "\", 1, @", 511},
        },
        false, kVariables);
}

TEST_F(StringOpsTest, ResultsOutsideBankAAreReportedAndTheGameGoesOn) {
    // Every destination is the bank's size or -1: nothing is written anywhere.
    const std::vector<std::string> calls = {
        "calld CompareStrings \"a\", \"a\", " + kSlotsText,
        "calld CompareStrings \"a\", \"a\", -1",
        "calld Substring 0, 1, 1, \"a\", " + kSlotsText,
        "calld Substring 0, 1, 1, \"a\", -1",
        "calld ConcatStrings \"a\", \"b\", " + kSlotsText,
        "calld ConcatStrings \"\", \"\", -1",
        "calld FormatNumber 1, " + kSlotsText + ", 0, 3, \"0\"",
        "calld FormatNumber 1, -1, 1, 3, \"0\"",
        "calld StringLength \"abc\", 1, " + kSlotsText,
        "calld StringLength \"abc\", 0, -1",
    };
    RunCalls(calls);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(calls.size(), "error|Access violation in Scripts"));
    for (std::uint32_t i = 0; i < kSlots; ++i) {
        ASSERT_EQ(Stored(i), "<empty>");
        ASSERT_EQ(*kv::g_vm->AInt(i), 0);
        ASSERT_EQ(*kv::g_vm->AByte(i), 0);
    }
}

TEST_F(StringOpsTest, ClearBankAEmptiesEveryAVariableAndNothingElse) {
    RunCalls({"ref aint[0]\npush 5\nassign\ndiscard\nref aint[47]\npush -1\nassign\ndiscard",
              "ref abyte[3]\npush byte 1\nassign\ndiscard\nref abyte[47]\npush byte 1\nassign\ndiscard",
              "ref astr[0]\npush \"x\"\nassign\ndiscard\ncalld ConcatStrings \"a\", \"b\", 47",
              "ref cint[2]\npush 9\nassign\ndiscard",
              "calld ClearBankA",
              // The banks work as before afterwards, for the bytecode too.
              "calld ConcatStrings \"c\", \"d\", 5\nref aint[1]\nload aint[0]\npush 1\nadd\nassign\ndiscard"});
    for (std::uint32_t i = 0; i < kSlots; ++i) {
        ASSERT_EQ(*kv::g_vm->AInt(i), i == 1 ? 1 : 0) << i;
        ASSERT_EQ(*kv::g_vm->AByte(i), 0) << i;
        ASSERT_EQ(Stored(i), i == 5 ? StoredForm("cd") : "<empty>") << i;
    }
    for (kv::VarBank bank : {kv::VarBank::AInt, kv::VarBank::AByte, kv::VarBank::AString})
        EXPECT_EQ(kv::g_vm->VariableCount(bank), kSlots);
    EXPECT_EQ(*kv::g_vm->CInt(2), 9);
    EXPECT_TRUE(BoxTexts().empty());
}

}  // namespace
