#include "backend/posix/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace backend {
namespace {

class PosixFile final : public FileHandle {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }

    std::size_t Read(void* buffer, std::size_t bytes) override {
        std::size_t done = 0;
        auto* out = static_cast<char*>(buffer);
        while (done < bytes) {
            ssize_t n = ::read(fd_, out + done, bytes - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    std::size_t Write(const void* buffer, std::size_t bytes) override {
        std::size_t done = 0;
        const auto* in = static_cast<const char*>(buffer);
        while (done < bytes) {
            ssize_t n = ::write(fd_, in + done, bytes - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    bool Seek(std::int64_t offset) override {
        return offset >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == offset;
    }

    std::int64_t Tell() override { return ::lseek(fd_, 0, SEEK_CUR); }

    std::int64_t Size() override {
        struct stat info;
        return ::fstat(fd_, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
    }

    bool Flush() override { return ::fsync(fd_) == 0; }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<FileHandle> OpenPosixFile(const std::string& nativePath, FileMode mode) {
    if (nativePath.empty()) return nullptr;
    int flags = O_CLOEXEC;
    switch (mode) {
        case FileMode::Read: flags |= O_RDONLY; break;
        case FileMode::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
        case FileMode::ReadWrite: flags |= O_RDWR; break;
    }
    int fd = ::open(nativePath.c_str(), flags, 0644);
    if (fd < 0) return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
}

}  // namespace backend
