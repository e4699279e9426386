#include "backend/headless/headless_desktop.h"

namespace backend {

bool HeadlessDesktop::OpenWithDefaultProgram(std::string_view target) {
    requests_.push_back({std::string(target), DesktopOpenerArgument(files_, page_, target)});
    return !requests_.back().opened.empty();
}

}  // namespace backend
