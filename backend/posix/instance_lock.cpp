#include "backend/posix/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace backend {

bool InstanceLock::Acquire(std::string_view name) {
    Release();
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::string path = runtimeDir && *runtimeDir ? runtimeDir : "/tmp";
    path += "/";
    for (char c : name) path += (c == '/' || c == ' ') ? '_' : c;
    path += ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // no place for a lock file: do not keep the game from starting
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::Release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace backend
