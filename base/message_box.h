#pragma once
// The engine's message boxes. Texts are in the build's code page.

#include <string_view>

#include "backend/window_message.h"

namespace kv {

// An OK box; owner 0 shows it without owner window.
void MessageBoxOk(backend::WindowId owner, std::string_view text, std::string_view caption);
// A Yes/No box; true for Yes.
bool MessageBoxYesNo(backend::WindowId owner, std::string_view text, std::string_view caption);

}  // namespace kv
