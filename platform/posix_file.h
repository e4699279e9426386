#pragma once
// A FileHandle over a POSIX file descriptor.

#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

std::unique_ptr<FileHandle> OpenPosixFile(const std::string& nativePath, FileMode mode);

}  // namespace platform
