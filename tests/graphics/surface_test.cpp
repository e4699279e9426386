// The pixel block and its copies: sizes and depths taken or refused, where pixel (x, y) lies,
// copies of a surface onto itself, depth conversion, the nearest-neighbour stretch and what
// reaches the window.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "graphics/surface.h"
#include "tests/graphics/picture_test_util.h"
#include "tests/support/headless_game.h"

namespace {

using kv::Surface;

TEST(SurfaceTest, CreateTakesTheThreeDepthsAndSensibleSizesOnly) {
    struct Case {
        std::int32_t width, height, bits;
        bool made;
        std::int32_t stride;
    };
    const Case cases[] = {
        {1, 1, 24, true, 4},   {3, 2, 24, true, 12},  {5, 2, 24, true, 16}, {5, 1, 16, true, 12},
        {3, 1, 32, true, 12},  {0, 5, 24, false, 0},  {5, -1, 24, false, 0}, {16385, 1, 24, false, 0},
        {1, 16385, 24, false, 0}, {16384, 1, 24, true, 49152}, {4, 4, 15, false, 0}, {4, 4, 1, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits);
        Surface surface;
        ASSERT_TRUE(surface.Create(2, 2, 24));
        EXPECT_EQ(surface.Create(c.width, c.height, c.bits), c.made);
        EXPECT_EQ(surface.IsEmpty(), !c.made);
        EXPECT_EQ(surface.Stride(), c.stride);
        if (c.made) {
            EXPECT_EQ(surface.ImageSize(), static_cast<std::uint32_t>(c.stride * c.height));
            EXPECT_EQ(surface.Bits()[surface.ImageSize() - 1], 0);  // new pixels are black
        }
    }
    // 8 bits is refused without touching what is there; the same size again is black again.
    Surface surface;
    ASSERT_TRUE(graphicstest::MakePatterned(surface, 7, 3, 5));
    ASSERT_TRUE(surface.Create(7, 3, 24));
    EXPECT_EQ(graphicstest::TopDownBytes(surface), std::vector<std::uint8_t>(7 * 3 * 3, 0));
    EXPECT_FALSE(surface.Create(4, 4, 8));
    EXPECT_EQ(surface.Width(), 7);
    // Rows are stored bottom-up: pixel (0, 0) starts the last stored row.
    EXPECT_EQ(surface.PixelAt(0, 0), surface.Bits() + 2 * surface.Stride());
    EXPECT_EQ(surface.PixelAt(6, 2), surface.Bits() + 18);
}

TEST(SurfaceTest, AssignCopiesAndAssigningToItselfChangesNothing) {
    Surface a, b;
    ASSERT_TRUE(graphicstest::MakePatterned(a, 9, 4, 3, 32));
    const std::vector<std::uint8_t> before = graphicstest::TopDownBytes(a);
    EXPECT_TRUE(a.Assign(a));
    EXPECT_EQ(graphicstest::TopDownBytes(a), before);
    EXPECT_TRUE(b.Assign(a));
    EXPECT_EQ(b.BitsPerPixel(), 32);
    EXPECT_EQ(graphicstest::TopDownBytes(b), before);
    Surface empty;
    EXPECT_FALSE(b.Assign(empty));
    EXPECT_TRUE(b.IsEmpty());
}

// A surface copied onto itself gives what a copy through a separate picture gives, whichever
// way the areas overlap.
TEST(SurfaceTest, ACopyOntoItselfBehavesLikeMemmove) {
    const std::pair<int, int> shifts[] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {3, 2}, {-2, -3}, {2, -1}, {-3, 3}};
    for (auto [dx, dy] : shifts) {
        SCOPED_TRACE(testing::Message() << dx << "," << dy);
        Surface surface, copy, expected;
        ASSERT_TRUE(graphicstest::MakePatterned(surface, 13, 9, 11));
        ASSERT_TRUE(copy.Assign(surface));
        ASSERT_TRUE(expected.Assign(surface));
        expected.Blit(copy, 2 + dx, 2 + dy, 8, 5, 2, 2);
        surface.Blit(surface, 2 + dx, 2 + dy, 8, 5, 2, 2);
        EXPECT_EQ(graphicstest::TopDownBytes(surface), graphicstest::TopDownBytes(expected));
    }
}

TEST(SurfaceTest, CopiesConvertBetweenDepths) {
    // 5-bit channels widen by repeating their top bits; 32 bits carry the bytes and a zero.
    Surface sixteen, thirtyTwo, wide;
    ASSERT_TRUE(sixteen.Create(2, 1, 16));
    sixteen.Bits()[0] = 0xFF;  // blue 31, green 7 (low bits)
    sixteen.Bits()[1] = 0x00;
    sixteen.Bits()[2] = 0x00;  // red 16: 0x4000
    sixteen.Bits()[3] = 0x40;
    ASSERT_TRUE(wide.Create(2, 1, 24));
    wide.CopyFrom(sixteen);
    const std::uint8_t expected[] = {255, 57, 0, 0, 0, 132};
    EXPECT_EQ(std::memcmp(wide.PixelAt(0, 0), expected, 6), 0);

    ASSERT_TRUE(thirtyTwo.Create(2, 1, 32));
    thirtyTwo.CopyFrom(wide);
    const std::uint8_t expected32[] = {255, 57, 0, 0, 0, 0, 132, 0};
    EXPECT_EQ(std::memcmp(thirtyTwo.PixelAt(0, 0), expected32, 8), 0);
    Surface back;
    ASSERT_TRUE(back.Create(2, 1, 16));
    back.CopyFrom(wide);
    EXPECT_EQ(std::memcmp(back.Bits(), sixteen.Bits(), 4), 0);
}

TEST(SurfaceTest, StretchTakesThePixelUnderEachCentreAndStaysOnBothSurfaces) {
    Surface source, target;
    ASSERT_TRUE(source.Create(4, 2, 24));
    for (std::int32_t x = 0; x < 4; ++x)
        for (std::int32_t y = 0; y < 2; ++y) source.FillRect24(x, y, 1, 1, static_cast<std::uint8_t>(10 * x + y), 0, 0);
    ASSERT_TRUE(target.Create(8, 4, 24));
    target.StretchFrom(source, 0, 0, 8, 4, 0, 0, 4, 2);  // doubled
    for (std::int32_t x = 0; x < 8; ++x)
        for (std::int32_t y = 0; y < 4; ++y) EXPECT_EQ(target.PixelAt(x, y)[2], 10 * (x / 2) + y / 2) << x << "," << y;
    target.StretchFrom(source, 1, 1, 2, 1, 0, 0, 4, 2);  // halved: columns 1 and 3, row 1
    EXPECT_EQ(target.PixelAt(1, 1)[2], 11);
    EXPECT_EQ(target.PixelAt(2, 1)[2], 31);
    // Pixels whose source or destination lies off a surface are skipped, not read.
    target.FillRect24(0, 0, 8, 4, 99, 99, 99);
    target.StretchFrom(source, -4, 2, 16, 4, -2, 0, 8, 2);
    EXPECT_EQ(target.PixelAt(0, 3)[2], 0);   // source column 0 lands at x = 0
    EXPECT_EQ(target.PixelAt(0, 0)[2], 99);  // above the stretched area
    target.StretchFrom(source, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 4, 2);
}

class SurfacePresentTest : public kvtest::HeadlessGameTest {};

TEST_F(SurfacePresentTest, PresentingShowsTheAreaOfA24BitSurfaceClippedToIt) {
    ASSERT_TRUE(Os().Windows().RegisterWindowClass(
        "c", [](backend::WindowId, const backend::WindowMessage&) { return 0; }, {}));
    const backend::WindowId shown = Os().Windows().CreateWindow("c", "w", backend::WindowStyle::Framed, {0, 0, 100, 100});
    ASSERT_NE(shown, 0u);
    Surface surface;
    ASSERT_TRUE(graphicstest::MakePatterned(surface, 6, 4, 9));
    surface.BlitRectToDC(shown, kv::PixelRect{-2, 1, 5, 10});
    ASSERT_EQ(Os().Windows().Frames().size(), 1u);
    const backend::PresentedFrame& frame = Os().Windows().Frames()[0];
    EXPECT_EQ(frame.area.x, 0);
    EXPECT_EQ(frame.area.y, 1);
    EXPECT_EQ(frame.area.width, 3);
    EXPECT_EQ(frame.area.height, 3);
    EXPECT_EQ(frame.bgr, graphicstest::TopDownBytes(surface));
    // Other depths and empty surfaces show nothing; neither does an area off the surface.
    Surface deep, empty;
    ASSERT_TRUE(deep.Create(6, 4, 32));
    deep.BlitToDC(shown, 0, 0, 6, 4);
    empty.BlitToDC(shown, 0, 0, 6, 4);
    surface.BlitToDC(shown, INT_MAX, 0, INT_MAX, 4);
    EXPECT_EQ(Os().Windows().Frames().size(), 1u);
}

}  // namespace
