// The blend routines and the copies on whole surfaces: each writes exactly the part of its
// rectangle that lies on every surface it touches, with its formula, and nothing else; the
// formulas' documented values; empty, foreign-depth and zero rectangles draw nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

#include "graphics/surface.h"
#include "tests/graphics/picture_test_util.h"

namespace {

using kv::Surface;

struct Rect6 {
    std::int32_t x, y, width, height, sourceX, sourceY;
};

// A routine under test: how to run it, and its result byte from destination, first source,
// second source and mask bytes.
struct Routine {
    const char* name;
    int sources;  // 1 or 2
    bool masked;
    std::function<void(Surface& d, const Surface& s1, const Surface& s2, const Surface& m, const Rect6& r, std::int32_t p)> run;
    std::function<int(int d, int s1, int s2, int m, std::int32_t p)> byte;
};

int Floor256(int x) { return x >> 8; }
int Clamp(int x) { return std::clamp(x, 0, 255); }

const std::vector<Routine>& Routines() {
    static const std::vector<Routine> routines = {
        {"MaskBlend", 1, true,
         [](Surface& d, const Surface& s, const Surface&, const Surface& m, const Rect6& r, std::int32_t) {
             d.MaskBlend(s, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, m);
         },
         [](int d, int s, int, int m, std::int32_t) { return s + Floor256((d - s) * m); }},
        {"MaskBlend2", 2, true,
         [](Surface& d, const Surface& s1, const Surface& s2, const Surface& m, const Rect6& r, std::int32_t) {
             d.MaskBlend2(s1, s2, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, m);
         },
         [](int, int s1, int s2, int m, std::int32_t) { return s2 + Floor256((s1 - s2) * m); }},
        {"CrossBlend", 2, false,
         [](Surface& d, const Surface& s1, const Surface& s2, const Surface&, const Rect6& r, std::int32_t p) {
             d.CrossBlend(s1, s2, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, p);
         },
         [](int, int s1, int s2, int, std::int32_t p) { return s1 + Floor256((s2 - s1) * std::clamp(p, 0, 256)); }},
        {"MaskWipeBlend", 2, true,
         [](Surface& d, const Surface& s1, const Surface& s2, const Surface& m, const Rect6& r, std::int32_t p) {
             d.MaskWipeBlend(s1, s2, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, m, p);
         },
         [](int, int s1, int s2, int m, std::int32_t p) {
             return s2 + Floor256((s1 - s2) * Clamp(static_cast<int>(std::clamp<long long>(m + (long long)p - 256, -1, 256))));
         }},
        {"AddBrightness", 1, false,
         [](Surface& d, const Surface& s, const Surface&, const Surface&, const Rect6& r, std::int32_t p) {
             d.AddBrightness(s, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, p);
         },
         [](int, int s, int, int, std::int32_t p) { return Clamp(static_cast<int>(std::clamp<long long>((long long)s + p, -1, 256))); }},
        {"MaskBlendBrightness", 1, true,
         [](Surface& d, const Surface& s, const Surface&, const Surface& m, const Rect6& r, std::int32_t p) {
             d.MaskBlendBrightness(s, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, m, p);
         },
         [](int d, int s, int, int m, std::int32_t p) {
             const int bright = Clamp(static_cast<int>(std::clamp<long long>((long long)s + p, -1, 256)));
             return bright + Floor256((d - bright) * m);
         }},
        {"MaskBlendOpacity", 1, true,
         [](Surface& d, const Surface& s, const Surface&, const Surface& m, const Rect6& r, std::int32_t p) {
             d.MaskBlendOpacity(s, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, m, p);
         },
         [](int d, int s, int, int m, std::int32_t p) {
             if (p < 0) return d;
             return s + Floor256((d - s) * Clamp(static_cast<int>(std::max<long long>(m + 255LL - p, -1))));
         }},
        {"Blit", 1, false,
         [](Surface& d, const Surface& s, const Surface&, const Surface&, const Rect6& r, std::int32_t) {
             d.Blit(s, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY);
         },
         [](int, int s, int, int, std::int32_t) { return s; }},
    };
    return routines;
}

// What a routine must leave in the destination: the formula wherever every surface has the
// pixel, the old bytes everywhere else.
std::vector<std::uint8_t> Expected(const Routine& routine, const Surface& d, const Surface& s1, const Surface& s2,
                                   const Surface& m, const Rect6& r, std::int32_t p) {
    std::vector<std::uint8_t> out = graphicstest::TopDownBytes(d);
    // Only the offsets that land on the destination can matter.
    const long long firstJ = std::max(0LL, -(long long)r.y), lastJ = std::min<long long>(r.height, d.Height() - (long long)r.y);
    const long long firstI = std::max(0LL, -(long long)r.x), lastI = std::min<long long>(r.width, d.Width() - (long long)r.x);
    for (long long j = firstJ; j < lastJ; ++j) {
        for (long long i = firstI; i < lastI; ++i) {
            const long long dx = r.x + i, dy = r.y + j, sx = r.sourceX + i, sy = r.sourceY + j;
            auto inside = [&](const Surface& surface, long long x, long long y) {
                return x >= 0 && y >= 0 && x < surface.Width() && y < surface.Height();
            };
            if (!inside(d, dx, dy) || !inside(s1, sx, sy)) continue;
            if (routine.sources == 2 && !inside(s2, sx, sy)) continue;
            if (routine.masked && !inside(m, sx, sy)) continue;
            for (int c = 0; c < 3; ++c) {
                const auto at = [&](const Surface& surface, long long x, long long y) {
                    return surface.PixelAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y))[c];
                };
                const int result = routine.byte(at(d, dx, dy), at(s1, sx, sy), routine.sources == 2 ? at(s2, sx, sy) : 0,
                                                routine.masked ? at(m, sx, sy) : 0, p);
                out[static_cast<std::size_t>(dy * d.Width() + dx) * 3 + c] = static_cast<std::uint8_t>(result);
            }
        }
    }
    return out;
}

TEST(SurfaceBlendsTest, EachRoutineWritesItsFormulaExactlyWhereEverySurfaceHasThePixel) {
    // Surfaces of different sizes (widths with and without row padding), so that each one in
    // turn is the one that cuts the rectangle.
    Surface d, s1, s2, m;
    const Rect6 placements[] = {
        {2, 1, 5, 3, 1, 2},            // inside all
        {-3, -2, 8, 6, 0, 0},          // off the destination's top-left
        {10, 7, 9, 9, 2, 1},           // off the destination's bottom-right
        {0, 0, 40, 30, 0, 0},          // larger than everything
        {1, 1, 6, 4, -2, -1},          // sources read from outside their top-left
        {0, 0, 12, 11, 6, 4},          // sources cut at their bottom-right
        {4, 0, 5, 1, 0, 0},            // width 5, one row, to the destination's right edge
        {0, 0, 0, 5, 0, 0},            // nothing wide
        {0, 0, 5, -1, 0, 0},           // nothing high
        {INT_MAX - 2, 0, 10, 10, 0, 0},
        {0, INT_MIN, 10, INT_MAX, 0, INT_MIN},
        {-5, -5, INT_MAX, INT_MAX, INT_MIN + 10, 0},
    };
    const std::int32_t parameters[] = {-300, -1, 0, 1, 77, 200, 255, 256, 257, 511, 600};
    for (const Routine& routine : Routines()) {
        for (const Rect6& r : placements) {
            for (std::int32_t p : parameters) {
                SCOPED_TRACE(testing::Message() << routine.name << " at " << r.x << "," << r.y << " " << r.width << "x"
                                                << r.height << " from " << r.sourceX << "," << r.sourceY << " p " << p);
                ASSERT_TRUE(graphicstest::MakePatterned(d, 9, 8, 1));
                ASSERT_TRUE(graphicstest::MakePatterned(s1, 11, 9, 2));
                ASSERT_TRUE(graphicstest::MakePatterned(s2, 8, 10, 3));
                ASSERT_TRUE(graphicstest::MakePatterned(m, 12, 7, 4));
                const std::vector<std::uint8_t> expected = Expected(routine, d, s1, s2, m, r, p);
                routine.run(d, s1, s2, m, r, p);
                ASSERT_EQ(graphicstest::TopDownBytes(d), expected);
            }
        }
    }
}

TEST(SurfaceBlendsTest, TheDocumentedValues) {
    struct Case {
        const char* routine;
        int d, s1, s2, m;
        std::int32_t parameter;
        int result;
    };
    const Case cases[] = {
        {"MaskBlend", 0, 1, 0, 1, 0, 0},  // floor(-1 / 256) is -1
        {"MaskBlend", 255, 0, 0, 255, 0, 254},
        {"MaskBlend", 200, 17, 0, 0, 0, 17},
        {"CrossBlend", 9, 10, 250, 0, 256, 250},
        {"CrossBlend", 9, 10, 250, 0, 0, 10},
        {"MaskWipeBlend", 9, 200, 50, 255, 1, 50},   // bright bytes start to turn at step 2
        {"MaskWipeBlend", 9, 200, 50, 255, 2, 50 + ((150 * 1) >> 8)},
        {"MaskWipeBlend", 9, 200, 50, 0, 256, 50},   // dark ones keep the old byte until 257
        {"MaskWipeBlend", 9, 200, 50, 0, 257, 50 + ((150 * 1) >> 8)},
        {"MaskWipeBlend", 9, 200, 50, 0, 511, 50 + ((150 * 255) >> 8)},
        {"AddBrightness", 0, 3, 0, 0, 300, 255},
        {"AddBrightness", 0, 250, 0, 0, -300, 0},
        {"MaskBlendOpacity", 40, 200, 0, 100, -1, 40},
        {"MaskBlendOpacity", 40, 200, 0, 100, 255, 200 + ((-160 * 100) >> 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.routine << " p " << c.parameter);
        const Routine& routine = *std::find_if(Routines().begin(), Routines().end(),
                                               [&](const Routine& r) { return std::string(r.name) == c.routine; });
        Surface d, s1, s2, m;
        for (auto [surface, value] : {std::pair{&d, c.d}, {&s1, c.s1}, {&s2, c.s2}, {&m, c.m}}) {
            ASSERT_TRUE(surface->Create(1, 1, 24));
            surface->FillRect24(0, 0, 1, 1, static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value),
                                static_cast<std::uint8_t>(value));
        }
        routine.run(d, s1, s2, m, Rect6{0, 0, 1, 1, 0, 0}, c.parameter);
        EXPECT_EQ(d.PixelAt(0, 0)[1], c.result);
    }
    // At step 256 the wipe is the two-source masked blend.
    Surface a, b, wipe, blend2, mask;
    for (auto [surface, seed] : {std::pair{&a, 5u}, {&b, 6u}, {&wipe, 7u}, {&blend2, 7u}, {&mask, 8u}})
        ASSERT_TRUE(graphicstest::MakePatterned(*surface, 16, 4, seed));
    wipe.MaskWipeBlend(a, b, 0, 0, 16, 4, 0, 0, mask, 256);
    blend2.MaskBlend2(a, b, 0, 0, 16, 4, 0, 0, mask);
    EXPECT_EQ(graphicstest::TopDownBytes(wipe), graphicstest::TopDownBytes(blend2));
}

TEST(SurfaceBlendsTest, EmptyAndForeignDepthSurfacesDrawNothing) {
    Surface d, s, m, empty, deep;
    ASSERT_TRUE(graphicstest::MakePatterned(d, 6, 6, 1));
    ASSERT_TRUE(graphicstest::MakePatterned(s, 6, 6, 2));
    ASSERT_TRUE(graphicstest::MakePatterned(m, 6, 6, 3));
    ASSERT_TRUE(graphicstest::MakePatterned(deep, 6, 6, 4, 32));
    const std::vector<std::uint8_t> before = graphicstest::TopDownBytes(d);
    for (const Routine& routine : Routines()) {
        if (std::string(routine.name) == "Blit") continue;  // a copy converts other depths
        SCOPED_TRACE(routine.name);
        routine.run(d, empty, s, m, Rect6{0, 0, 6, 6, 0, 0}, 100);
        routine.run(d, deep, s, m, Rect6{0, 0, 6, 6, 0, 0}, 100);
        if (routine.sources == 2) routine.run(d, s, empty, m, Rect6{0, 0, 6, 6, 0, 0}, 100);
        if (routine.masked) routine.run(d, s, s, empty, Rect6{0, 0, 6, 6, 0, 0}, 100);
        routine.run(empty, s, s, m, Rect6{0, 0, 6, 6, 0, 0}, 100);
        EXPECT_EQ(graphicstest::TopDownBytes(d), before);
    }
    deep.FillRect24(0, 0, 6, 6, 1, 2, 3);
    d.FillRect24(0, 0, 6, 6, 1, 2, 3);
    EXPECT_NE(graphicstest::TopDownBytes(d), before);
}

}  // namespace
