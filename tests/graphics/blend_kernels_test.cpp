// The SIMD row kernels against the plain reference: every byte triple, every parameter, short
// rows at the end of exactly sized buffers (an overrun stops the sanitizer build), and rows
// whose output is also an input.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "graphics/blend_kernels.h"

namespace {

using kv::blend::KernelPath;
using kv::blend::RowKernels;

// One kernel called with the three rows and its parameter.
using KernelCall = std::function<void(const RowKernels&, std::uint8_t* out, const std::uint8_t* base,
                                      const std::uint8_t* other, const std::uint8_t* mask, std::int32_t parameter,
                                      std::size_t n)>;

struct Kernel {
    const char* name;
    std::int32_t lowest, highest;  // the parameter's range
    KernelCall call;
};

const Kernel kKernels[] = {
    {"maskLerp", 0, 0, [](const RowKernels& k, auto* o, auto* b, auto* x, auto* m, std::int32_t, std::size_t n) { k.maskLerp(o, b, x, m, n); }},
    {"maskLerpShifted", -256, 256, [](const RowKernels& k, auto* o, auto* b, auto* x, auto* m, std::int32_t p, std::size_t n) { k.maskLerpShifted(o, b, x, m, p, n); }},
    {"maskLerpBrightened", -255, 255, [](const RowKernels& k, auto* o, auto* b, auto* x, auto* m, std::int32_t p, std::size_t n) { k.maskLerpBrightened(o, b, x, m, p, n); }},
    {"constantLerp", 0, 256, [](const RowKernels& k, auto* o, auto* b, auto* x, auto*, std::int32_t p, std::size_t n) { k.constantLerp(o, b, x, p, n); }},
    {"addSaturated", -255, 255, [](const RowKernels& k, auto* o, auto* b, auto*, auto*, std::int32_t p, std::size_t n) { k.addSaturated(o, b, p, n); }},
};

std::vector<KernelPath> SimdPaths() {
    std::vector<KernelPath> paths;
    for (KernelPath path : {KernelPath::Sse2, KernelPath::Avx2}) {
        if (kv::blend::KernelsFor(path)) paths.push_back(path);
    }
    return paths;
}

const char* PathName(KernelPath path) { return path == KernelPath::Avx2 ? "AVX2" : "SSE2"; }

// Rows of 256 bytes whose "other" byte runs through 0 to 255, for a fixed base and mask byte.
struct Rows {
    std::uint8_t base[256], other[256], mask[256], simd[256], scalar[256];
    void Set(int baseByte, int maskByte) {
        for (int i = 0; i < 256; ++i) {
            base[i] = static_cast<std::uint8_t>(baseByte);
            other[i] = static_cast<std::uint8_t>(i);
            mask[i] = static_cast<std::uint8_t>(maskByte);
        }
    }
};

// Every path gives the reference's bytes: for the parameterless kernel and at the parameters'
// edges every (base, other, mask) triple; across the whole parameter range a grid of base and
// mask bytes with every other byte.
TEST(BlendKernelsTest, EverySimdPathGivesTheReferenceBytes) {
    for (KernelPath path : SimdPaths()) {
        const RowKernels& simd = *kv::blend::KernelsFor(path);
        for (const Kernel& kernel : kKernels) {
            SCOPED_TRACE(std::string(PathName(path)) + " " + kernel.name);
            std::vector<std::int32_t> everyTriple = {kernel.lowest, kernel.highest, (kernel.lowest + kernel.highest) / 2 + 1};
            Rows rows;
            auto compare = [&](std::int32_t parameter, int step) {
                for (int base = 0; base < 256; base += step) {
                    for (int mask = 0; mask < 256; mask += step) {
                        rows.Set(base, mask);
                        kernel.call(simd, rows.simd, rows.base, rows.other, rows.mask, parameter, 256);
                        kernel.call(kv::blend::kScalarKernels, rows.scalar, rows.base, rows.other, rows.mask, parameter, 256);
                        if (std::memcmp(rows.simd, rows.scalar, 256) != 0) {
                            ADD_FAILURE() << "parameter " << parameter << " base " << base << " mask " << mask;
                            return false;
                        }
                    }
                }
                return true;
            };
            for (std::int32_t parameter : everyTriple) ASSERT_TRUE(compare(parameter, 1));
            for (std::int32_t parameter = kernel.lowest; parameter <= kernel.highest; ++parameter)
                ASSERT_TRUE(compare(parameter, 51));
        }
    }
}

// Rows shorter than a group and just around it, each at the very end of its own allocation, and
// with the output row also being the "other" input (as the masked blend writes its destination).
TEST(BlendKernelsTest, ShortRowsStayInsideTheirBuffersAndMayWriteOverAnInput) {
    for (KernelPath path : SimdPaths()) {
        const RowKernels& simd = *kv::blend::KernelsFor(path);
        for (const Kernel& kernel : kKernels) {
            for (std::size_t pixels : {1u, 2u, 5u, 31u, 33u}) {
                SCOPED_TRACE(std::string(PathName(path)) + " " + kernel.name + " width " + std::to_string(pixels));
                const std::size_t n = 3 * pixels;
                auto row = [n](int seed) {
                    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[n]);
                    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 97 + seed * 31);
                    return bytes;
                };
                auto base = row(1), mask = row(3), simdOut = row(2), scalarOut = row(2);
                const std::int32_t parameter = kernel.highest / 3;
                kernel.call(simd, simdOut.get(), base.get(), simdOut.get(), mask.get(), parameter, n);
                kernel.call(kv::blend::kScalarKernels, scalarOut.get(), base.get(), scalarOut.get(), mask.get(), parameter, n);
                EXPECT_EQ(std::vector<std::uint8_t>(simdOut.get(), simdOut.get() + n),
                          std::vector<std::uint8_t>(scalarOut.get(), scalarOut.get() + n));
            }
        }
    }
}

}  // namespace
