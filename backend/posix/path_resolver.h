#pragma once
// Turns the engine's paths ('\'-separated, code page, names compared without regard to case as
// the games expect) into real paths on a case-sensitive file system.

#include <string>
#include <string_view>

#include "backend/code_page.h"

namespace backend {

// "" when a component does not convert from the code page. Components that exist under another
// case are matched; missing ones are kept as given (so that new files can be created). A '\'
// that is the second byte of a double-byte character is no separator.
std::string ResolveEnginePath(CodePage page, std::string_view enginePath);

// The engine form of a real folder: code page, '\'-separated, with a trailing '\'. Bytes that do
// not convert are kept as they are.
std::string EngineFolderFromNative(CodePage page, std::string_view nativeFolder);

}  // namespace backend
