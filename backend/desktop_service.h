#pragma once
// Handing a document, a folder or a web address to the player's desktop, which opens it with
// its default program. The game never waits for that program.

#include <string>
#include <string_view>

#include "backend/code_page.h"

namespace backend {

class FileService;

class DesktopService {
public:
    virtual ~DesktopService() = default;

    // target: an engine path of an existing file or folder, or an address ("https://...",
    // "mailto:..."), in the build's code page. Returns at once; false when nothing was started
    // (a path that does not exist, a text that does not convert, no opener on this desktop).
    virtual bool OpenWithDefaultProgram(std::string_view target) = 0;
};

// What the desktop's opener is handed for a target as above: the real, absolute path of the
// file or folder, or the address in UTF-8; "" when there is nothing to open.
std::string DesktopOpenerArgument(FileService& files, CodePage page, std::string_view target);

}  // namespace backend
