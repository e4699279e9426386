#pragma once
// The desktop service of the real programs: the freedesktop opener ("xdg-open") started on the
// target, without a shell and without waiting for it.

#include <string>

#include "backend/desktop_service.h"

namespace backend {

class XdgDesktop final : public DesktopService {
public:
    // opener: the program handed the target, looked up on PATH when it has no '/'.
    XdgDesktop(FileService& files, CodePage page, std::string opener = "xdg-open");

    bool OpenWithDefaultProgram(std::string_view target) override;

private:
    FileService& files_;
    CodePage page_;
    std::string opener_;
};

}  // namespace backend
