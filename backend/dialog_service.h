#pragma once
// Modal boxes that ask the player something: message boxes and dialogs laid out from a
// template, with a procedure of the engine's that answers their commands. Texts the engine
// gives and reads are in the build's code page; the template's own texts are UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backend/window_message.h"

namespace backend {

enum class MessageBoxButtons : std::uint8_t { Ok, YesNo };
enum class MessageBoxAnswer : std::uint8_t { Ok, Yes, No };

enum class DialogControlKind : std::uint8_t { Button, DefaultButton, Label, EditField };

// Position and size in dialog units: a quarter of the dialog font's average character width
// across, an eighth of its height down.
struct DialogControl {
    std::int32_t id = -1;  // -1: a label that nothing refers to
    DialogControlKind kind = DialogControlKind::Label;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string text;  // UTF-8
    bool tabStop = false;
};

struct DialogTemplate {
    std::string caption;  // UTF-8
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<DialogControl> controls;  // in tab order
};

// Command ids of the keyboard: Enter on an edit field presses the default button; Esc sends
// the cancel command, which the procedure may ignore.
inline constexpr std::int32_t kDialogOkCommand = 1;
inline constexpr std::int32_t kDialogCancelCommand = 2;

// What a procedure may do with its open dialog.
class OpenDialog {
public:
    virtual ~OpenDialog() = default;
    // The window a box the procedure shows belongs to.
    virtual WindowId Handle() const = 0;
    // Texts in the code page.
    virtual void SetFieldText(std::int32_t id, std::string_view text) = 0;
    // At most maxBytes - 1 bytes, cut between two characters; a character that the code page
    // cannot hold reads as '?'.
    virtual std::string FieldText(std::int32_t id, std::size_t maxBytes) = 0;
    virtual void EndDialog(std::int32_t result) = 0;
};

class DialogProcedure {
public:
    virtual ~DialogProcedure() = default;
    virtual void OnInit(OpenDialog& dialog) = 0;
    // A button was pressed (its id) or Esc was (kDialogCancelCommand).
    virtual void OnCommand(OpenDialog& dialog, std::int32_t command) = 0;
};

class DialogService {
public:
    virtual ~DialogService() = default;

    // owner 0 shows the box without owner window.
    virtual MessageBoxAnswer ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                            MessageBoxButtons buttons) = 0;
    // Shows the dialog over the owner window and runs it until the procedure ends it (its
    // result) or the program is being ended (-1); -1 at once when it cannot be shown. Nothing
    // else of the program runs meanwhile.
    virtual std::int32_t RunModalDialog(WindowId owner, const DialogTemplate& dialog, DialogProcedure& procedure) = 0;
};

}  // namespace backend
