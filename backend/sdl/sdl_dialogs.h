#pragma once
// Message boxes and dialogs on SDL. Once a window is shown they are drawn in it over the
// picture it shows, with their own event loop (keyboard, mouse, and text input with the input
// method's composition); before that, SDL's own box; on standard error where no box can be shown
// (no display, or a display nobody looks at).

#include "backend/code_page.h"
#include "backend/dialog_service.h"

namespace backend {

class SdlWindows;
class GlyphService;
class DialogSession;
class BoxScreen;

class SdlDialogs final : public DialogService {
public:
    SdlDialogs(SdlWindows& windows, GlyphService* glyphs, CodePage page)
        : windows_(windows), glyphs_(glyphs), page_(page) {}

    MessageBoxAnswer ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                    MessageBoxButtons buttons) override;
    std::int32_t RunModalDialog(WindowId owner, const DialogTemplate& dialog, DialogProcedure& procedure) override;

private:
    bool CanShowBoxes() const;
    // The window boxes are drawn in; 0 when they cannot be.
    WindowId DrawingHost(WindowId owner) const;
    // Runs the opened session until it ends or the program is ended (false).
    bool RunSession(BoxScreen& screen, WindowId host, DialogSession& session);
    MessageBoxAnswer ShowSystemBox(WindowId owner, std::string_view text, std::string_view caption,
                                   MessageBoxButtons buttons);

    SdlWindows& windows_;
    GlyphService* glyphs_;
    CodePage page_;
};

}  // namespace backend
