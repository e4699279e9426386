#pragma once
// One open modal box as both backends run it: a dialog from a template, or a message box; its
// controls laid out in pixels over the host window's client area, the keyboard focus, the edit
// fields with their caret and the input method's composition, the buttons, and the painting.
// The backend feeds it keys, typed text and mouse buttons and shows what it paints; the box's
// procedure answers the commands.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backend/dialog_service.h"
#include "backend/dialogs/dialog_canvas.h"

namespace backend {

// The command ids of a message box's buttons.
inline constexpr std::int32_t kBoxOkButton = 1;
inline constexpr std::int32_t kBoxYesButton = 6;
inline constexpr std::int32_t kBoxNoButton = 7;

class DialogSession final : public OpenDialog {
public:
    // client: the host window's client size, which the box is centred in.
    DialogSession(WindowId host, Rect client, GlyphService* glyphs, CodePage page);
    ~DialogSession() override;

    // A dialog from its template, answered by the engine's procedure.
    void OpenTemplate(const DialogTemplate& dialog, DialogProcedure& procedure);
    // A message box (text and caption in the code page), which ends with the pressed button's id.
    void OpenMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons);

    bool Ended() const { return ended_; }
    std::int32_t Result() const { return result_; }

    // ---- input ----
    void Key(std::uint8_t code, bool shift);  // engine key codes (backend/key_codes.h)
    void TypeText(std::string_view utf8);
    // The input method's text being composed (UTF-8; empty when it ends).
    void Compose(std::string_view utf8);
    void MouseDown(std::int32_t x, std::int32_t y);
    void MouseUp(std::int32_t x, std::int32_t y);
    // A click in the middle of a control; false when there is no such control.
    bool ClickControl(std::int32_t id);

    // Where the text being typed goes (the caret), for the input method's candidate window;
    // empty when no edit field has the keyboard.
    Rect CaretRect();
    // The box's outer rectangle in client coordinates.
    Rect Frame() const { return frame_; }

    // Draws the box into a copy of the client area (client size, top row first).
    void Paint(std::vector<std::uint8_t>& bgr, std::int32_t width, std::int32_t height);

    // ---- OpenDialog ----
    WindowId Handle() const override { return host_; }
    void SetFieldText(std::int32_t id, std::string_view text) override;
    std::string FieldText(std::int32_t id, std::size_t maxBytes) override;
    void EndDialog(std::int32_t result) override;

private:
    struct Control {
        std::int32_t id = -1;
        DialogControlKind kind = DialogControlKind::Label;
        Rect box;          // client coordinates
        std::string text;  // code page
        bool tabStop = false;
        // Edit fields: the caret as a byte offset, the whole text selected (as after Tab),
        // and how far the text is scrolled to the left.
        std::size_t caret = 0;
        bool selectedAll = false;
        std::int32_t scroll = 0;
    };

    void Start();
    void Command(std::int32_t id);
    void Focus(std::size_t index, bool selectAll);
    void MoveFocus(bool backward, bool buttonsOnly);
    bool FocusIsButton() const;
    bool FocusIsField() const;
    Control* FindControl(std::int32_t id);
    Control* ControlAt(std::int32_t x, std::int32_t y);
    void InsertText(Control& field, std::string_view codePageText);
    void EditKey(Control& field, std::uint8_t code);
    std::size_t PreviousCharStart(const std::string& text, std::size_t offset);
    void KeepCaretVisible(Control& field);
    std::int32_t DefaultButtonId() const;
    void PaintButton(DialogCanvas& canvas, const Control& control, bool focused);
    void PaintField(DialogCanvas& canvas, Control& field, bool focused);

    WindowId host_;
    Rect client_;
    BoxFont font_;
    DialogProcedure* procedure_ = nullptr;
    std::unique_ptr<DialogProcedure> ownProcedure_;  // a message box's
    std::string caption_;                            // code page
    Rect frame_;
    Rect area_;  // the client area of the box, below its caption
    std::vector<Control> controls_;
    std::size_t focus_ = 0;
    bool hasFocus_ = false;
    std::int32_t pressed_ = -1;  // the button the mouse went down on
    std::string composition_;    // code page
    bool ended_ = false;
    std::int32_t result_ = -1;
};

}  // namespace backend
