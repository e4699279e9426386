#pragma once
// Message boxes through SDL; on standard error where no box can be shown (no display, or a
// display nobody looks at).

#include "backend/code_page.h"
#include "backend/dialog_service.h"

namespace backend {

class SdlWindows;

class SdlDialogs final : public DialogService {
public:
    SdlDialogs(SdlWindows& windows, CodePage page) : windows_(windows), page_(page) {}

    MessageBoxAnswer ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                    MessageBoxButtons buttons) override;

private:
    bool CanShowBoxes() const;

    SdlWindows& windows_;
    CodePage page_;
};

}  // namespace backend
