#pragma once
// A FileHandle over a POSIX file descriptor.

#include <memory>
#include <string>

#include "backend/file_service.h"

namespace backend {

std::unique_ptr<FileHandle> OpenPosixFile(const std::string& nativePath, FileMode mode);

}  // namespace backend
