#include "backend/dialogs/dialog_session.h"

#include <algorithm>

#include "backend/key_codes.h"

namespace backend {

namespace {

// The dialog font's character cell is about 8 x 16 pixels: a dialog unit is 2 pixels each way.
constexpr std::int32_t kPixelsPerUnit = 2;
constexpr std::int32_t kBorder = 3;
constexpr std::int32_t kCaptionHeight = 20;
// An edit field holds at most this much, whatever is typed or pasted.
constexpr std::size_t kMaxFieldBytes = 256;

// Message boxes.
constexpr std::int32_t kBoxMargin = 16;
constexpr std::int32_t kBoxLineHeight = 18;
constexpr std::int32_t kBoxButtonWidth = 75;
constexpr std::int32_t kBoxButtonHeight = 23;
constexpr std::int32_t kBoxButtonGap = 8;

constexpr Colour kFace{212, 208, 200};
constexpr Colour kLight{255, 255, 255};
constexpr Colour kShadow{128, 128, 128};
constexpr Colour kDarkShadow{64, 64, 64};
constexpr Colour kBlack{0, 0, 0};
constexpr Colour kCaptionColour{10, 36, 106};
constexpr Colour kSelection{10, 36, 106};

Rect Inset(Rect area, std::int32_t by) {
    return Rect{area.x + by, area.y + by, std::max(area.width - 2 * by, 0), std::max(area.height - 2 * by, 0)};
}

bool Inside(Rect area, std::int32_t x, std::int32_t y) {
    return x >= area.x && y >= area.y && x < area.x + area.width && y < area.y + area.height;
}

bool IsButton(DialogControlKind kind) {
    return kind == DialogControlKind::Button || kind == DialogControlKind::DefaultButton;
}

// A message box ends with the button pressed; Esc counts as OK where OK is the only button and
// does nothing where the player must answer Yes or No.
class MessageBoxProcedure final : public DialogProcedure {
public:
    explicit MessageBoxProcedure(MessageBoxButtons buttons) : buttons_(buttons) {}
    void OnInit(OpenDialog&) override {}
    void OnCommand(OpenDialog& dialog, std::int32_t command) override {
        if (command == kDialogCancelCommand) {
            if (buttons_ == MessageBoxButtons::Ok) dialog.EndDialog(kBoxOkButton);
            return;
        }
        dialog.EndDialog(command);
    }

private:
    MessageBoxButtons buttons_;
};

}  // namespace

DialogSession::DialogSession(WindowId host, Rect client, GlyphService* glyphs, CodePage page)
    : host_(host), client_(client), font_(glyphs, page) {}

DialogSession::~DialogSession() = default;

void DialogSession::OpenTemplate(const DialogTemplate& dialog, DialogProcedure& procedure) {
    procedure_ = &procedure;
    caption_ = FromUtf8Lossy(font_.Page(), dialog.caption);
    frame_ = Rect{0, 0, dialog.width * kPixelsPerUnit + 2 * kBorder,
                  dialog.height * kPixelsPerUnit + 2 * kBorder + kCaptionHeight};
    frame_.x = (client_.width - frame_.width) / 2;
    frame_.y = (client_.height - frame_.height) / 2;
    area_ = Rect{frame_.x + kBorder, frame_.y + kBorder + kCaptionHeight, dialog.width * kPixelsPerUnit,
                 dialog.height * kPixelsPerUnit};
    for (const DialogControl& source : dialog.controls) {
        Control control;
        control.id = source.id;
        control.kind = source.kind;
        control.box = Rect{area_.x + source.x * kPixelsPerUnit, area_.y + source.y * kPixelsPerUnit,
                           source.width * kPixelsPerUnit, source.height * kPixelsPerUnit};
        control.text = FromUtf8Lossy(font_.Page(), source.text);
        control.tabStop = source.tabStop;
        controls_.push_back(std::move(control));
    }
    Start();
}

void DialogSession::OpenMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons) {
    ownProcedure_ = std::make_unique<MessageBoxProcedure>(buttons);
    procedure_ = ownProcedure_.get();
    caption_ = std::string(caption);
    // Lines at each line feed, and wrapped between characters where they are too wide.
    const std::int32_t maxWidth = std::max(client_.width - 8 * kBoxMargin, 160);
    std::vector<std::string> lines(1);
    std::int32_t lineWidth = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = font_.CharLength(text.substr(i));
        const std::string_view character = text.substr(i, n);
        i += n;
        if (character == "\r") continue;
        if (character == "\n") {
            lines.emplace_back();
            lineWidth = 0;
            continue;
        }
        const std::int32_t width = font_.CharWidth(character);
        if (lineWidth + width > maxWidth && !lines.back().empty()) {
            lines.emplace_back();
            lineWidth = 0;
        }
        lines.back() += character;
        lineWidth += width;
    }
    std::int32_t textWidth = 0;
    for (const std::string& line : lines) textWidth = std::max(textWidth, font_.TextWidth(line));
    const std::int32_t buttonCount = buttons == MessageBoxButtons::YesNo ? 2 : 1;
    const std::int32_t buttonsWidth = buttonCount * kBoxButtonWidth + (buttonCount - 1) * kBoxButtonGap;
    const std::int32_t width = std::max({textWidth + 2 * kBoxMargin, buttonsWidth + 2 * kBoxMargin,
                                         font_.TextWidth(caption_) + 24, 160});
    const auto lineCount = static_cast<std::int32_t>(lines.size());
    const std::int32_t height = kBoxMargin + lineCount * kBoxLineHeight + kBoxMargin + kBoxButtonHeight + 12;
    frame_ = Rect{0, 0, width + 2 * kBorder, height + 2 * kBorder + kCaptionHeight};
    frame_.x = (client_.width - frame_.width) / 2;
    frame_.y = (client_.height - frame_.height) / 2;
    area_ = Rect{frame_.x + kBorder, frame_.y + kBorder + kCaptionHeight, width, height};
    for (std::int32_t i = 0; i < lineCount; ++i) {
        Control label;
        label.box = Rect{area_.x + kBoxMargin, area_.y + kBoxMargin + i * kBoxLineHeight, textWidth, kBoxLineHeight};
        label.text = lines[static_cast<std::size_t>(i)];
        controls_.push_back(std::move(label));
    }
    const std::int32_t buttonTop = area_.y + kBoxMargin + lineCount * kBoxLineHeight + kBoxMargin;
    std::int32_t buttonLeft = area_.x + (width - buttonsWidth) / 2;
    auto addButton = [&](std::int32_t id, const char* label, bool isDefault) {
        Control button;
        button.id = id;
        button.kind = isDefault ? DialogControlKind::DefaultButton : DialogControlKind::Button;
        button.box = Rect{buttonLeft, buttonTop, kBoxButtonWidth, kBoxButtonHeight};
        button.text = label;
        button.tabStop = true;
        controls_.push_back(std::move(button));
        buttonLeft += kBoxButtonWidth + kBoxButtonGap;
    };
    if (buttons == MessageBoxButtons::YesNo) {
        addButton(kBoxYesButton, "Yes", true);
        addButton(kBoxNoButton, "No", false);
    } else {
        addButton(kBoxOkButton, "OK", true);
    }
    Start();
}

void DialogSession::Start() {
    procedure_->OnInit(*this);
    // The keyboard goes to the first tab stop, as the procedure leaves it to the dialog.
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].tabStop) {
            Focus(i, true);
            break;
        }
    }
}

void DialogSession::Command(std::int32_t id) {
    if (!ended_ && procedure_) procedure_->OnCommand(*this, id);
}

void DialogSession::EndDialog(std::int32_t result) {
    ended_ = true;
    result_ = result;
}

void DialogSession::Focus(std::size_t index, bool selectAll) {
    if (index >= controls_.size()) return;
    focus_ = index;
    hasFocus_ = true;
    Control& control = controls_[index];
    if (control.kind == DialogControlKind::EditField) {
        control.selectedAll = selectAll && !control.text.empty();
        control.caret = control.text.size();
        KeepCaretVisible(control);
    }
}

void DialogSession::MoveFocus(bool backward, bool buttonsOnly) {
    const std::size_t count = controls_.size();
    for (std::size_t step = 1; step <= count; ++step) {
        const std::size_t index = backward ? (focus_ + count - step) % count : (focus_ + step) % count;
        const Control& control = controls_[index];
        if (!control.tabStop || (buttonsOnly && !IsButton(control.kind))) continue;
        Focus(index, true);
        return;
    }
}

bool DialogSession::FocusIsButton() const { return hasFocus_ && IsButton(controls_[focus_].kind); }

bool DialogSession::FocusIsField() const {
    return hasFocus_ && controls_[focus_].kind == DialogControlKind::EditField;
}

DialogSession::Control* DialogSession::FindControl(std::int32_t id) {
    for (Control& control : controls_)
        if (control.id == id && id >= 0) return &control;
    return nullptr;
}

DialogSession::Control* DialogSession::ControlAt(std::int32_t x, std::int32_t y) {
    for (Control& control : controls_)
        if (control.kind != DialogControlKind::Label && Inside(control.box, x, y)) return &control;
    return nullptr;
}

std::int32_t DialogSession::DefaultButtonId() const {
    for (const Control& control : controls_)
        if (control.kind == DialogControlKind::DefaultButton) return control.id;
    return kDialogOkCommand;
}

void DialogSession::Key(std::uint8_t code, bool shift) {
    if (ended_ || !composition_.empty()) return;  // keys belong to the input method meanwhile
    switch (code) {
        case key::Tab: MoveFocus(shift, false); return;
        case key::Return:
        case key::NumpadEnter: Command(FocusIsButton() ? controls_[focus_].id : DefaultButtonId()); return;
        case key::Space:
            if (FocusIsButton()) Command(controls_[focus_].id);
            return;
        case key::Escape: Command(kDialogCancelCommand); return;
        case key::Left:
        case key::Up:
        case key::Right:
        case key::Down:
            if (FocusIsButton()) {
                MoveFocus(code == key::Left || code == key::Up, true);
                return;
            }
            break;
        default: break;
    }
    if (FocusIsField()) EditKey(controls_[focus_], code);
}

std::size_t DialogSession::PreviousCharStart(const std::string& text, std::size_t offset) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < offset;) {
        start = i;
        i += font_.CharLength(std::string_view(text).substr(i));
    }
    return start;
}

void DialogSession::EditKey(Control& field, std::uint8_t code) {
    const bool selected = field.selectedAll;
    field.selectedAll = false;
    switch (code) {
        case key::Back:
        case key::Delete:
            if (selected) {
                field.text.clear();
                field.caret = 0;
            } else if (code == key::Back && field.caret > 0) {
                const std::size_t start = PreviousCharStart(field.text, field.caret);
                field.text.erase(start, field.caret - start);
                field.caret = start;
            } else if (code == key::Delete && field.caret < field.text.size()) {
                field.text.erase(field.caret, font_.CharLength(std::string_view(field.text).substr(field.caret)));
            }
            break;
        case key::Left: field.caret = PreviousCharStart(field.text, field.caret); break;
        case key::Right: field.caret += font_.CharLength(std::string_view(field.text).substr(field.caret)); break;
        case key::Home: field.caret = 0; break;
        case key::End: field.caret = field.text.size(); break;
        default: field.selectedAll = selected; return;
    }
    KeepCaretVisible(field);
}

void DialogSession::InsertText(Control& field, std::string_view codePageText) {
    if (field.selectedAll) {
        field.text.clear();
        field.caret = 0;
        field.selectedAll = false;
    }
    for (std::size_t i = 0; i < codePageText.size();) {
        const std::size_t n = font_.CharLength(codePageText.substr(i));
        const std::string_view character = codePageText.substr(i, n);
        i += n;
        if (n == 1 && static_cast<unsigned char>(character[0]) < 0x20) continue;  // no control characters
        if (field.text.size() + n > kMaxFieldBytes) break;
        field.text.insert(field.caret, character);
        field.caret += n;
    }
    KeepCaretVisible(field);
}

void DialogSession::TypeText(std::string_view utf8) {
    if (ended_ || !FocusIsField()) return;
    InsertText(controls_[focus_], FromUtf8Lossy(font_.Page(), utf8));
}

void DialogSession::Compose(std::string_view utf8) {
    if (ended_ || !FocusIsField()) return;
    Control& field = controls_[focus_];
    if (!utf8.empty() && field.selectedAll) {
        field.text.clear();
        field.caret = 0;
        field.selectedAll = false;
    }
    composition_ = FromUtf8Lossy(font_.Page(), utf8);
    KeepCaretVisible(field);
}

void DialogSession::KeepCaretVisible(Control& field) {
    const std::int32_t inner = std::max(field.box.width - 6, 1);
    const std::int32_t caretX = font_.TextWidth(std::string_view(field.text).substr(0, field.caret)) +
                                (FocusIsField() && &controls_[focus_] == &field ? font_.TextWidth(composition_) : 0);
    if (caretX - field.scroll > inner) field.scroll = caretX - inner;
    if (caretX < field.scroll) field.scroll = caretX;
}

void DialogSession::MouseDown(std::int32_t x, std::int32_t y) {
    if (ended_) return;
    pressed_ = -1;
    Control* control = ControlAt(x, y);
    if (!control) return;
    const auto index = static_cast<std::size_t>(control - controls_.data());
    if (IsButton(control->kind)) {
        pressed_ = control->id;
        Focus(index, false);
        return;
    }
    if (control->kind != DialogControlKind::EditField || !composition_.empty()) return;
    Focus(index, false);
    // The caret goes to the character boundary nearest to the click.
    const std::int32_t target = x - (control->box.x + 3) + control->scroll;
    std::int32_t left = 0;
    std::size_t offset = 0;
    while (offset < control->text.size()) {
        const std::size_t n = font_.CharLength(std::string_view(control->text).substr(offset));
        const std::int32_t width = font_.CharWidth(std::string_view(control->text).substr(offset, n));
        if (left + width / 2 > target) break;
        left += width;
        offset += n;
    }
    control->caret = offset;
    KeepCaretVisible(*control);
}

void DialogSession::MouseUp(std::int32_t x, std::int32_t y) {
    const std::int32_t pressed = pressed_;
    pressed_ = -1;
    if (ended_ || pressed < 0) return;
    const Control* control = ControlAt(x, y);
    if (control && control->id == pressed) Command(pressed);
}

bool DialogSession::ClickControl(std::int32_t id) {
    const Control* control = FindControl(id);
    if (!control) return false;
    const std::int32_t x = control->box.x + control->box.width / 2;
    const std::int32_t y = control->box.y + control->box.height / 2;
    MouseDown(x, y);
    MouseUp(x, y);
    return true;
}

Rect DialogSession::CaretRect() {
    if (!FocusIsField()) return Rect{};
    Control& field = controls_[focus_];
    const std::int32_t caretX = font_.TextWidth(std::string_view(field.text).substr(0, field.caret)) +
                                font_.TextWidth(composition_);
    return Rect{field.box.x + 3 + caretX - field.scroll, field.box.y, 1, field.box.height};
}

void DialogSession::SetFieldText(std::int32_t id, std::string_view text) {
    Control* field = FindControl(id);
    if (!field || field->kind != DialogControlKind::EditField) return;
    field->text.assign(text.substr(0, kMaxFieldBytes));
    field->caret = field->text.size();
    field->selectedAll = false;
    field->scroll = 0;
    KeepCaretVisible(*field);
}

std::string DialogSession::FieldText(std::int32_t id, std::size_t maxBytes) {
    const Control* field = FindControl(id);
    if (!field || maxBytes == 0) return std::string();
    std::size_t end = 0;
    while (end < field->text.size()) {
        const std::size_t n = font_.CharLength(std::string_view(field->text).substr(end));
        if (end + n > maxBytes - 1) break;
        end += n;
    }
    return field->text.substr(0, end);
}

void DialogSession::PaintButton(DialogCanvas& canvas, const Control& control, bool focused) {
    const bool isDefault = focused || (control.kind == DialogControlKind::DefaultButton && !FocusIsButton());
    Rect box = control.box;
    canvas.Fill(box, kFace);
    if (isDefault) {
        canvas.Edge(box, kBlack, kBlack);
        box = Inset(box, 1);
    }
    if (pressed_ == control.id) {
        canvas.Edge(box, kShadow, kShadow);
    } else {
        canvas.Edge(box, kLight, kDarkShadow);
        canvas.Edge(Inset(box, 1), kFace, kShadow);
    }
    const std::int32_t shift = pressed_ == control.id ? 1 : 0;
    const std::int32_t textX = box.x + (box.width - font_.TextWidth(control.text)) / 2 + shift;
    canvas.SetClip(Inset(box, 2));
    canvas.Text(font_, control.text, textX, font_.Baseline(box.y, box.height) + shift, kBlack);
    canvas.SetClip(area_);
    if (focused) canvas.FocusFrame(Inset(box, 3), kBlack);
}

void DialogSession::PaintField(DialogCanvas& canvas, Control& field, bool focused) {
    canvas.Fill(field.box, kLight);
    canvas.Edge(field.box, kShadow, kLight);
    canvas.Edge(Inset(field.box, 1), kDarkShadow, kFace);
    const Rect inner = Inset(field.box, 2);
    canvas.SetClip(inner);
    const std::int32_t baseline = font_.Baseline(field.box.y, field.box.height);
    std::int32_t x = field.box.x + 3 - field.scroll;
    const std::string_view text(field.text);
    if (focused && field.selectedAll) {
        const std::int32_t width = font_.TextWidth(text);
        canvas.Fill(Rect{x, inner.y + 2, width, inner.height - 4}, kSelection);
        canvas.Text(font_, text, x, baseline, kLight);
    } else {
        x = canvas.Text(font_, text.substr(0, field.caret), x, baseline, kBlack);
        if (focused && !composition_.empty()) {
            const std::int32_t start = x;
            x = canvas.Text(font_, composition_, x, baseline, kBlack);
            canvas.Fill(Rect{start, baseline + 2, x - start, 1}, kBlack);  // the composition is underlined
        }
        if (focused) canvas.Fill(Rect{x, inner.y + 2, 1, inner.height - 4}, kBlack);  // the caret
        canvas.Text(font_, text.substr(field.caret), x, baseline, kBlack);
    }
    canvas.SetClip(area_);
}

void DialogSession::Paint(std::vector<std::uint8_t>& bgr, std::int32_t width, std::int32_t height) {
    if (bgr.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u) return;
    DialogCanvas canvas(bgr, width, height);
    canvas.Fill(frame_, kFace);
    canvas.Edge(frame_, kFace, kDarkShadow);
    canvas.Edge(Inset(frame_, 1), kLight, kShadow);
    const Rect captionBar{frame_.x + kBorder, frame_.y + kBorder, frame_.width - 2 * kBorder, kCaptionHeight - 2};
    canvas.Fill(captionBar, kCaptionColour);
    canvas.SetClip(Inset(captionBar, 1));
    canvas.Text(font_, caption_, captionBar.x + 4, font_.Baseline(captionBar.y, captionBar.height), kLight);
    canvas.SetClip(area_);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        Control& control = controls_[i];
        const bool focused = hasFocus_ && i == focus_;
        switch (control.kind) {
            case DialogControlKind::Label:
                canvas.Text(font_, control.text, control.box.x, font_.Baseline(control.box.y, control.box.height),
                            kBlack);
                break;
            case DialogControlKind::EditField: PaintField(canvas, control, focused); break;
            case DialogControlKind::Button:
            case DialogControlKind::DefaultButton: PaintButton(canvas, control, focused); break;
        }
    }
}

}  // namespace backend
