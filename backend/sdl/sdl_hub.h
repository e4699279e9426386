#pragma once
// The backend of the real programs (only they link it).

#include <memory>

#include "backend/built_in_picture.h"
#include "backend/code_page.h"
#include "backend/hub.h"

namespace backend {

// SDL2 for windows, events and message boxes; POSIX files; the system clock; FreeType glyphs
// from the installed fonts, with the fallback faces of the code page. Ctrl+C and kill
// end the game as the script's quit operation does, without the exit question. pictures: the
// program's built-in pictures (its window icon).
std::unique_ptr<Hub> CreateNativeHub(CodePage page, BuiltInPictures pictures = {});

}  // namespace backend
