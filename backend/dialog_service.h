#pragma once
// Modal boxes that ask the player something. Texts are in the build's code page. The
// name-entry dialog joins the message box here.

#include <cstdint>
#include <string_view>

#include "backend/window_message.h"

namespace backend {

enum class MessageBoxButtons : std::uint8_t { Ok, YesNo };
enum class MessageBoxAnswer : std::uint8_t { Ok, Yes, No };

class DialogService {
public:
    virtual ~DialogService() = default;

    // owner 0 shows the box without owner window.
    virtual MessageBoxAnswer ShowMessageBox(WindowId owner, std::string_view text, std::string_view caption,
                                            MessageBoxButtons buttons) = 0;
};

}  // namespace backend
