#pragma once
// The single-instance guard: an exclusive lock on a file named after the lock name. The kernel
// frees it when the process ends, crashed or not.

#include <string_view>

namespace backend {

class InstanceLock {
public:
    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock() { Release(); }

    // False when another process holds the lock of that name.
    bool Acquire(std::string_view name);
    void Release();

private:
    int fd_ = -1;
};

}  // namespace backend
