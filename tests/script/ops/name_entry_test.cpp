// Operation 78: the name-entry dialog run on queued input: the defaults, the reset button, each
// class of refused name with its message, the confirmation answered yes and no, Esc, the stored
// lengths, and the dialog that cannot be shown. Built for both code pages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals/globals.h"
#include "backend/code_page.h"
#include "backend/dialog_service.h"
#include "backend/key_codes.h"
#include "base/build_variant.h"
#include "platform/game_window.h"
#include "script/screens/name_entry_dialog.h"
#include "script/screens/name_letters.h"
#include "tests/script/ops/line_script_fixture.h"

namespace {

using backend::DialogInput;
using backend::MessageBoxAnswer;
namespace key = backend::key;

std::string InCodePage(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(backend::FromUtf8(kv::ActiveBuildVariant().codePage, utf8, out)) << utf8;
    return out;
}

std::string Stored(std::uint32_t index) {
    const kv::VmString* string = kv::g_vm->AString(index);
    return string ? std::string(reinterpret_cast<const char*>(string->Bytes()), string->Length()) : "<none>";
}

// A script literal of the text in the build's code page (the assembler writes Shift-JIS).
std::string Literal(const std::string& utf8) {
    static const char digits[] = "0123456789ABCDEF";
    std::string literal = "\"";
    for (const char c : InCodePage(utf8)) {
        const auto byte = static_cast<unsigned char>(c);
        literal += "\\x";
        literal += digits[byte >> 4];
        literal += digits[byte & 15];
    }
    return literal + "\"";
}

std::string Terminated(const std::string& text) { return text + std::string(1, '\0'); }

class NameEntryTest : public opstest::LineScriptTest {
public:
    // The dialog with the defaults 山田 / 太郎 for astr[0] and astr[1].
    void StartDialog(const std::string& defaults = Literal("山田") + ", " + Literal("太郎")) {
        WriteScript("INIT", "calld StartSkip\ncalld StartAutoMode\ncalld NameEntryDialog " + defaults +
                                ", astr[0], astr[1]\nline 1\nl: line 2\njmp l\n");
        Start();
    }
    void Queue(const DialogInput& input) { Os().Dialogs().QueueDialogInput(input); }
    // Tab from OK to the reset button, to the family field (its text selected) and to the
    // given-name field; what is typed replaces the selection.
    void TypeNames(const std::string& family, const std::string& given) {
        Queue(DialogInput::PressKey(key::Tab));
        Queue(DialogInput::PressKey(key::Tab));
        Queue(DialogInput::PressKey(key::Delete));
        Queue(DialogInput::Type(family));
        Queue(DialogInput::PressKey(key::Tab));
        Queue(DialogInput::PressKey(key::Delete));
        Queue(DialogInput::Type(given));
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const backend::ShownMessageBox& box : const_cast<NameEntryTest*>(this)->Os().Dialogs().MessageBoxes())
            captions.push_back(box.caption);
        return captions;
    }
};

TEST_F(NameEntryTest, EachRefusedNameGetsItsMessageAndTheDialogStays) {
    const bool gbk = kv::ActiveBuildVariant().codePage == backend::CodePage::Gbk;
    const std::string name = "Incorrect name.";
    const std::string letters = "Incorrect letters.";
    struct Case {
        std::string family, given, refusal;
    };
    const Case cases[] = {
        {"鈴木一郎", "花子", name},    // four full-width characters
        {"abcdefg", "x", name},        // seven single bytes
        {"", "花子", name},            // empty
        {"鈴木", "", name},
        {"あいうえお", "x", name},      // read as its first 8 bytes, still too long
        {"山 田", "x", name},          // a space
        {"山　田", "x", name},         // a full-width space
        {"山田", gbk ? "ｶﾀ" : "ｶﾀｶﾅ", gbk ? letters : name},  // half-width katakana (not in GBK: '?')
        {"「山」", "x", letters},
        {"山。", "x", letters},
        {"a?", "b", letters},
        {"a", "(b", letters},
        {"a]", "b", letters},
        {"山 。", "x", letters},        // forbidden letters are looked for before spaces
        {"한", "x", letters},           // in neither code page: read as '?'
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family + " / " + c.given);
        Restart();
        StartDialog();
        TypeNames(c.family, c.given);
        Queue(DialogInput::PressKey(key::Return));
        Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
        // Still open: the defaults back, and a confirmed entry of them.
        Queue(DialogInput::Click(kv::kNameResetButton));
        Queue(DialogInput::Click(backend::kDialogOkCommand));
        Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
        ASSERT_TRUE(RunToLine(1));
        EXPECT_EQ(Captions(), (std::vector<std::string>{c.refusal, "Caution"}));
        EXPECT_EQ(Os().Dialogs().MessageBoxes().front().owner, kv::g_mainWindow->Handle());
        EXPECT_EQ(Stored(0), Terminated(InCodePage("山田")));
        EXPECT_EQ(Stored(1), Terminated(InCodePage("太郎")));
        EXPECT_EQ(Os().Dialogs().UnexpectedDialogs(), 0);
        EXPECT_EQ(Os().Dialogs().UnexpectedMessageBoxes(), 0);
    }
}

TEST_F(NameEntryTest, TheLettersMessageAndTheLongestAcceptedNames) {
    StartDialog();
    TypeNames("「", "鈴木花");
    Queue(DialogInput::PressKey(key::Return));
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
    // Back over the 「 (the field keeps the keyboard) and three full-width characters instead.
    Queue(DialogInput::PressKey(key::Tab, true));
    Queue(DialogInput::Type("佐々木"));
    Queue(DialogInput::PressKey(key::Return));
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
    ASSERT_TRUE(RunToLine(1));
    ASSERT_EQ(Os().Dialogs().MessageBoxes().size(), 2u);
    EXPECT_EQ(Os().Dialogs().MessageBoxes()[0].text,
              InCodePage("Letters \"？！、。，?!,.（）〔〕［］｛｝〈〉《》「」『』()[]{}\" cannot be used."));
    EXPECT_EQ(Stored(0), Terminated(InCodePage("佐々木")));
    EXPECT_EQ(Stored(1), Terminated(InCodePage("鈴木花")));
    EXPECT_EQ(kv::NameEntryState().fieldLengths[0], 6);
}

TEST_F(NameEntryTest, ConfirmationNoKeepsTheDialogAndYesStoresTheNamesWithTheirTerminators) {
    StartDialog();
    EXPECT_EQ(kv::g_gameState.skipMode + kv::g_gameState.autoMode, 0);
    TypeNames("鈴木", "Ai");
    Queue(DialogInput::PressKey(key::Escape));  // ignored
    Queue(DialogInput::PressKey(key::Return));
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::No);
    Queue(DialogInput::PressKey(key::Return));
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(kv::g_gameState.skipMode + kv::g_gameState.autoMode, 0);
    const std::string question = "Second name : " + InCodePage("鈴木") + " First name : Ai\nAre you sure?";
    ASSERT_EQ(Captions(), (std::vector<std::string>{"Caution", "Caution"}));
    EXPECT_EQ(Os().Dialogs().MessageBoxes()[0].text, question);
    EXPECT_EQ(Os().Dialogs().MessageBoxes()[0].buttons, backend::MessageBoxButtons::YesNo);
    EXPECT_EQ(Os().Dialogs().MessageBoxes()[1].text, question);  // the fields were kept
    EXPECT_EQ(Stored(0).size(), 5u);
    EXPECT_EQ(Stored(0), Terminated(InCodePage("鈴木")));
    EXPECT_EQ(Stored(1), Terminated("Ai"));
    ASSERT_EQ(Os().Dialogs().Dialogs().size(), 1u);
    EXPECT_EQ(Os().Dialogs().Dialogs()[0].result, 1);
}

TEST_F(NameEntryTest, DefaultsThatDoNotFitAreCutBetweenCharacters) {
    // Four full-width characters (8 bytes) as the default family name: three fit the buffer.
    StartDialog(Literal("あいうえ") + ", \"x\"");
    Queue(DialogInput::PressKey(key::Return));
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(Stored(0), Terminated(InCodePage("あいう")));
    EXPECT_EQ(Stored(1), Terminated("x"));
}

TEST_F(NameEntryTest, ADialogThatCannotBeShownLeavesTheVariablesWithTheirOwnTexts) {
    struct Case {
        std::string family;  // what astr[0] holds before
        std::string stored;
    };
    const Case cases[] = {{"Kaede", "Kaede"}, {"ABCDEFGH", "ABCDEF"}, {"", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        Restart();
        WriteScript("INIT", "ref astr[0]\npush \"" + c.family + "\"\nassign\ndiscard\n" +
                                "calld NameEntryDialog \"A\", \"B\", astr[0], astr[1]\nline 1\nl: line 2\njmp l\n");
        Start();
        Os().Dialogs().FailNextDialog();
        Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
        ASSERT_TRUE(RunToLine(1));
        EXPECT_EQ(BoxTexts(),
                  (std::vector<std::string>{"error|This game failed to display a dialog in NameEntryDialog()."}));
        EXPECT_EQ(Stored(0), c.stored.empty() ? "" : Terminated(c.stored));
        EXPECT_EQ(Stored(1), "");
    }
}

}  // namespace

namespace {

TEST(NameLettersTest, TheTablesHoldTheLineBreakingCharactersOfTheBuildsCodePage) {
    struct Case {
        const char* utf8;
        bool forbidden, invalid;
    };
    const Case cases[] = {
        {"？", true, false}, {"！", true, false}, {"、", true, false}, {"。", true, false}, {"，", true, false},
        {"（", true, false}, {"）", true, false}, {"〔", true, false}, {"〕", true, false}, {"［", true, false},
        {"］", true, false}, {"｛", true, false}, {"｝", true, false}, {"〈", true, false}, {"〉", true, false},
        {"《", true, false}, {"》", true, false}, {"「", true, false}, {"」", true, false}, {"『", true, false},
        {"』", true, false}, {"?", true, false},  {"!", true, false},  {",", true, false},  {".", true, false},
        {"(", true, false},  {")", true, false},  {"[", true, false},  {"]", true, false},  {"{", true, false},
        {"}", true, false},  {"　", false, true}, {" ", false, true},  {"山", false, false},
        {"-", false, false}, {"<", false, false}, {"＿", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        const std::string text = "A" + InCodePage(c.utf8) + "B";
        EXPECT_EQ(kv::HasForbiddenLetters(text.c_str()), c.forbidden);
        EXPECT_EQ(kv::HasInvalidLetters(text.c_str()), c.invalid);
    }
    EXPECT_FALSE(kv::HasForbiddenLetters(""));
    // Single bytes from 0x80 match no single-byte letter; 0xA6-0xDF alone are invalid.
    EXPECT_FALSE(kv::HasForbiddenLetters("\xA9\xBF"));
    EXPECT_TRUE(kv::HasInvalidLetters("a\xA6"));
    EXPECT_TRUE(kv::HasInvalidLetters("a\xDF"));
    EXPECT_FALSE(kv::HasInvalidLetters("a\xA5"));
    if (kv::ActiveBuildVariant().codePage == backend::CodePage::ShiftJis) {
        // The codes of the message windows' tables, as the Shift-JIS bytes stand.
        for (const char* code : {"\x81\x48", "\x81\x41", "\x81\x6A", "\x81\x78", "\x81\x69", "\x81\x77"})
            EXPECT_TRUE(kv::HasForbiddenLetters(code)) << std::hex << +static_cast<unsigned char>(code[1]);
        EXPECT_TRUE(kv::HasInvalidLetters("\x81\x40"));
    }
}

}  // namespace
