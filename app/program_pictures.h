#pragma once
// The pictures built into the program, handed to the backend when the program makes its hub.

#include "backend/built_in_picture.h"

namespace kv {

// The window icon, by the name the game window's class gives it.
backend::BuiltInPictures ProgramPictures();

}  // namespace kv
