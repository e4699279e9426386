#pragma once
// Makes writes past a file offset fail for this process, the way a full disk does: the write
// that crosses the limit stops there, every later one fails. Undone when the object goes.

#include <signal.h>
#include <sys/resource.h>

#include <cstdint>

namespace kvtest {

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending us
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool Active() const { return active_; }

private:
    rlimit saved_{};
    sighandler_t previousHandler_ = SIG_DFL;
    bool active_ = false;
};

}  // namespace kvtest
