#include "graphics/blend_kernels.h"

#include <atomic>

namespace kv::blend {

namespace {

bool Available(KernelPath path) {
    switch (path) {
        case KernelPath::Scalar: return true;
#if defined(__x86_64__)
        case KernelPath::Sse2: return true;
        case KernelPath::Avx2: return __builtin_cpu_supports("avx2") != 0;
#endif
        default: return false;
    }
}

// Chosen at the first blend; a test may choose another path.
std::atomic<KernelPath>& Active() {
    static std::atomic<KernelPath> path{BestKernelPath()};
    return path;
}

}  // namespace

const RowKernels* KernelsFor(KernelPath path) {
    if (!Available(path)) return nullptr;
    switch (path) {
#if defined(__x86_64__)
        case KernelPath::Sse2: return &kSse2Kernels;
        case KernelPath::Avx2: return &kAvx2Kernels;
#endif
        default: return &kScalarKernels;
    }
}

KernelPath BestKernelPath() {
    for (KernelPath path : {KernelPath::Avx2, KernelPath::Sse2}) {
        if (Available(path)) return path;
    }
    return KernelPath::Scalar;
}

const RowKernels& ActiveKernels() { return *KernelsFor(Active().load(std::memory_order_relaxed)); }

KernelPath ActiveKernelPath() { return Active().load(std::memory_order_relaxed); }

bool UseKernelPath(KernelPath path) {
    if (!Available(path)) return false;
    Active().store(path, std::memory_order_relaxed);
    return true;
}

}  // namespace kv::blend
