#pragma once
// The desktop of the tests: every request is recorded with what the real desktop's opener would
// have been handed, and nothing is started.

#include <string>
#include <vector>

#include "backend/desktop_service.h"

namespace backend {

struct OpenRequest {
    std::string target;  // as the engine gave it (code page)
    std::string opened;  // what the opener would have been handed; "" when nothing was opened
    bool operator==(const OpenRequest&) const = default;
};

class HeadlessDesktop final : public DesktopService {
public:
    HeadlessDesktop(FileService& files, CodePage page) : files_(files), page_(page) {}

    // ---- what the test sees ----
    const std::vector<OpenRequest>& OpenRequests() const { return requests_; }

    bool OpenWithDefaultProgram(std::string_view target) override;

private:
    FileService& files_;
    CodePage page_;
    std::vector<OpenRequest> requests_;
};

}  // namespace backend
