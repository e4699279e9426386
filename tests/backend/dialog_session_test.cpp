// The boxes both backends draw: a message box worked by keyboard and mouse, and an edit field's
// editing, composition and reading.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/dialogs/dialog_session.h"
#include "backend/headless/headless_glyphs.h"
#include "backend/key_codes.h"

namespace {

using backend::DialogSession;
using backend::MessageBoxButtons;
namespace key = backend::key;

constexpr backend::Rect kClient{0, 0, 800, 600};

TEST(DialogSessionTest, MessageBoxesAnswerTheKeyboardAndTheMouse) {
    struct Step {
        std::uint8_t key;
        bool shift;
        std::int32_t click;  // a control to click instead of a key (0: none)
    };
    struct Case {
        const char* name;
        MessageBoxButtons buttons;
        std::vector<Step> steps;
        std::int32_t result;  // -1: still open
    };
    const Case cases[] = {
        {"Return: the default", MessageBoxButtons::YesNo, {{key::Return, false, 0}}, backend::kBoxYesButton},
        {"Tab to No", MessageBoxButtons::YesNo, {{key::Tab, false, 0}, {key::Return, false, 0}}, backend::kBoxNoButton},
        {"Shift+Tab wraps", MessageBoxButtons::YesNo, {{key::Tab, true, 0}, {key::NumpadEnter, false, 0}},
         backend::kBoxNoButton},
        {"arrows", MessageBoxButtons::YesNo,
         {{key::Right, false, 0}, {key::Right, false, 0}, {key::Left, false, 0}, {key::Space, false, 0}},
         backend::kBoxNoButton},
        {"Esc without a way out", MessageBoxButtons::YesNo, {{key::Escape, false, 0}}, -1},
        {"Esc on OK", MessageBoxButtons::Ok, {{key::Escape, false, 0}}, backend::kBoxOkButton},
        {"letters do nothing", MessageBoxButtons::Ok, {{key::A, false, 0}, {key::Back, false, 0}}, -1},
        {"click No", MessageBoxButtons::YesNo, {{0, false, backend::kBoxNoButton}}, backend::kBoxNoButton},
    };
    backend::HeadlessGlyphs glyphs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogSession box(1, kClient, &glyphs, backend::CodePage::ShiftJis);
        box.OpenMessageBox("Quit?\nReally?", "Exit", c.buttons);
        for (const Step& step : c.steps) {
            if (step.click)
                ASSERT_TRUE(box.ClickControl(step.click));
            else
                box.Key(step.key, step.shift);
        }
        EXPECT_EQ(box.Ended(), c.result >= 0);
        if (c.result >= 0) {
            EXPECT_EQ(box.Result(), c.result);
        }
        // Centred in the window.
        EXPECT_EQ(box.Frame().x * 2 + box.Frame().width, 800);
    }
}

TEST(DialogSessionTest, APressThatLeavesTheButtonPressesNothing) {
    backend::HeadlessGlyphs glyphs;
    DialogSession box(1, kClient, &glyphs, backend::CodePage::ShiftJis);
    box.OpenMessageBox("Quit?", "Exit", MessageBoxButtons::Ok);
    const backend::Rect frame = box.Frame();
    box.MouseDown(frame.x + frame.width / 2, frame.y + frame.height - 20);
    box.MouseUp(0, 0);
    EXPECT_FALSE(box.Ended());
}

class RecordingProcedure final : public backend::DialogProcedure {
public:
    void OnInit(backend::OpenDialog& dialog) override { dialog.SetFieldText(10, "\x8E\x52\x93\x63"); }  // 山田
    void OnCommand(backend::OpenDialog& dialog, std::int32_t command) override {
        commands.push_back(command);
        read = dialog.FieldText(10, 5);
    }
    std::vector<std::int32_t> commands;
    std::string read;
};

backend::DialogTemplate OneField() {
    backend::DialogTemplate dialog;
    dialog.caption = "t";
    dialog.width = 100;
    dialog.height = 40;
    dialog.controls = {{10, backend::DialogControlKind::EditField, 4, 4, 60, 14, "", true},
                       {1, backend::DialogControlKind::DefaultButton, 4, 20, 40, 14, "OK", true}};
    return dialog;
}

TEST(DialogSessionTest, EditFieldsEditBetweenCharactersAndReadCutBetweenThem) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> keys;
        std::vector<std::string> typed;  // typed after the keys
        std::string field;               // the whole field afterwards (Shift-JIS)
    };
    const Case cases[] = {
        {"typing replaces the selection the field got its focus with", {}, {"ab"}, "ab"},
        {"End keeps the text", {key::End}, {"x"}, "\x8E\x52\x93\x63x"},
        {"Back takes a whole character", {key::End, key::Back}, {}, "\x8E\x52"},
        {"Home, Delete", {key::Home, key::Delete}, {}, "\x93\x63"},
        {"Left and Right step over characters", {key::Home, key::Right, key::Right, key::Left}, {"x"},
         "\x8E\x52x\x93\x63"},
        {"a character the code page lacks reads as ?", {key::End}, {"\xED\x95\x9C"}, "\x8E\x52\x93\x63?"},
        {"control characters are not typed", {key::End}, {"\t\n"}, "\x8E\x52\x93\x63"},
    };
    backend::HeadlessGlyphs glyphs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingProcedure procedure;
        DialogSession dialog(1, kClient, &glyphs, backend::CodePage::ShiftJis);
        dialog.OpenTemplate(OneField(), procedure);
        for (const std::uint8_t k : c.keys) dialog.Key(k, false);
        for (const std::string& text : c.typed) dialog.TypeText(text);
        EXPECT_EQ(dialog.FieldText(10, 64), c.field);
    }
    // Reading at most 4 bytes of 山田x keeps whole characters; Enter in the field is OK.
    RecordingProcedure procedure;
    DialogSession dialog(1, kClient, &glyphs, backend::CodePage::ShiftJis);
    dialog.OpenTemplate(OneField(), procedure);
    dialog.Key(key::End, false);
    dialog.TypeText("x");
    EXPECT_EQ(dialog.FieldText(10, 4), "\x8E\x52");
    dialog.Key(key::Return, false);
    EXPECT_EQ(procedure.commands, (std::vector<std::int32_t>{backend::kDialogOkCommand}));
    EXPECT_EQ(procedure.read, "\x8E\x52\x93\x63");
}

TEST(DialogSessionTest, TheInputMethodsCompositionHoldsTheKeysAndIsNotPartOfTheText) {
    backend::HeadlessGlyphs glyphs;
    RecordingProcedure procedure;
    DialogSession dialog(1, kClient, &glyphs, backend::CodePage::ShiftJis);
    dialog.OpenTemplate(OneField(), procedure);
    const std::int32_t caretBefore = dialog.CaretRect().x;
    dialog.Compose("\xE3\x81\x8B");  // か, being composed: it replaces the selection
    EXPECT_GT(dialog.CaretRect().x, 0);
    EXPECT_NE(dialog.CaretRect().x, caretBefore);
    dialog.Key(key::Return, false);  // the input method's
    dialog.Key(key::Back, false);
    EXPECT_TRUE(procedure.commands.empty());
    EXPECT_EQ(dialog.FieldText(10, 64), "");
    dialog.Compose("");
    dialog.TypeText("\xE3\x81\x8B");
    EXPECT_EQ(dialog.FieldText(10, 64), "\x82\xA9");
    // Tab to the button: no caret, so no text input.
    dialog.Key(key::Tab, false);
    EXPECT_EQ(dialog.CaretRect().height, 0);
}

}  // namespace
