#include "script/screens/name_entry_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "backend/code_page.h"
#include "backend/hub.h"
#include "base/build_variant.h"
#include "base/message_box.h"
#include "script/screens/name_letters.h"

namespace kv {

namespace {

using backend::DialogControlKind;

constexpr std::size_t kFieldBufferSize = 9;
constexpr std::size_t kMaxNameBytes = 6;  // three full-width characters

constexpr const char* kIncorrectName = "You set incorrect first / second name.";
constexpr const char* kIncorrectNameCaption = "Incorrect name.";
constexpr const char* kIncorrectLettersUtf8 =
    "Letters \"？！、。，?!,.（）〔〕［］｛｝〈〉《》「」『』()[]{}\" cannot be used.";
constexpr const char* kIncorrectLettersCaption = "Incorrect letters.";

template <std::size_t N>
void CopyTerminated(char (&buffer)[N], const std::string& text) {
    std::memset(buffer, 0, N);
    std::memcpy(buffer, text.data(), std::min(text.size(), N - 1));
}

class NameEntryProcedure final : public backend::DialogProcedure {
public:
    explicit NameEntryProcedure(NameEntryBuffers& buffers) : buffers_(buffers) {}

    void OnInit(backend::OpenDialog& dialog) override { ShowDefaults(dialog); }

    void OnCommand(backend::OpenDialog& dialog, std::int32_t command) override {
        if (command == kNameResetButton) ShowDefaults(dialog);
        if (command == backend::kDialogOkCommand) TakeNames(dialog);
        // Every other command, Esc's among them, is ignored: only a confirmed name ends the dialog.
    }

private:
    void ShowDefaults(backend::OpenDialog& dialog) {
        dialog.SetFieldText(kFamilyNameField, buffers_.defaultFamily);
        dialog.SetFieldText(kGivenNameField, buffers_.defaultGiven);
    }

    void TakeNames(backend::OpenDialog& dialog) {
        const std::string family = dialog.FieldText(kFamilyNameField, kFieldBufferSize);
        const std::string given = dialog.FieldText(kGivenNameField, kFieldBufferSize);
        CopyTerminated(buffers_.familyField, family);
        CopyTerminated(buffers_.givenField, given);
        buffers_.fieldLengths[0] = static_cast<std::int32_t>(family.size());
        buffers_.fieldLengths[1] = static_cast<std::int32_t>(given.size());
        const backend::WindowId box = dialog.Handle();
        const auto fits = [](const std::string& name) { return !name.empty() && name.size() <= kMaxNameBytes; };
        if (!fits(family) || !fits(given)) {
            MessageBoxOk(box, kIncorrectName, kIncorrectNameCaption);
            return;
        }
        if (HasForbiddenLetters(buffers_.familyField) || HasForbiddenLetters(buffers_.givenField)) {
            MessageBoxOk(box, backend::FromUtf8Lossy(ActiveBuildVariant().codePage, kIncorrectLettersUtf8),
                         kIncorrectLettersCaption);
            return;
        }
        if (HasInvalidLetters(buffers_.familyField) || HasInvalidLetters(buffers_.givenField)) {
            MessageBoxOk(box, kIncorrectName, kIncorrectNameCaption);
            return;
        }
        const std::string question =
            "Second name : " + family + " " + "First name : " + given + "\nAre you sure?";
        if (!MessageBoxYesNo(box, question, "Caution")) return;
        CopyTerminated(buffers_.familyResult, family);
        CopyTerminated(buffers_.givenResult, given);
        dialog.EndDialog(1);
    }

    NameEntryBuffers& buffers_;
};

}  // namespace

NameEntryBuffers& NameEntryState() {
    static NameEntryBuffers buffers;
    return buffers;
}

backend::DialogTemplate NameEntryTemplate() {
    backend::DialogTemplate dialog;
    dialog.caption = "名前を入力してください";
    dialog.width = 138;
    dialog.height = 71;
    dialog.controls = {
        {backend::kDialogOkCommand, DialogControlKind::DefaultButton, 69, 52, 63, 14, "OK", true},
        {kNameResetButton, DialogControlKind::Button, 4, 52, 62, 14, "デフォルトに戻す", true},
        {-1, DialogControlKind::Label, 4, 9, 18, 8, "苗字：", false},
        {-1, DialogControlKind::Label, 70, 9, 18, 8, "名前：", false},
        {kFamilyNameField, DialogControlKind::EditField, 24, 6, 40, 14, "", true},
        {kGivenNameField, DialogControlKind::EditField, 89, 6, 40, 14, "", true},
        {-1, DialogControlKind::Label, 16, 24, 114, 8, "※苗字／名前は最大で全角３文字です", false},
        {-1, DialogControlKind::Label, 6, 34, 123, 8, "※一部使用できない記号、文字があります", false},
    };
    return dialog;
}

bool ShowNameEntryDialog(backend::WindowId owner) {
    NameEntryProcedure procedure(NameEntryState());
    return backend::Get().Dialogs().RunModalDialog(owner, NameEntryTemplate(), procedure) >= 0;
}

}  // namespace kv
