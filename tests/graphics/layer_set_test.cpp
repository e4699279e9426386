// The layer banks and the compose passes: bank sizes, order and clipping of the layers, which
// entries each pass reads, the draw modes, the brightness pairs and the commit.

#include <gtest/gtest.h>

#include "graphics/layer_set.h"
#include "tests/graphics/layer_fixture.h"

namespace {

using kv::LayerBank;
using kv::LayerEntry;
using kv::LayerSet;
using kv::Surface;
using graphicstest::TopDownBytes;

class LayerSetTest : public graphicstest::LayerFixture {
public:
    // Picture layer i: a patterned picture placed at (x, y), drawn whole, visible.
    LayerEntry& Place(std::int32_t i, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
        LayerEntry& entry = *layers_->GetLayer(i);
        EXPECT_TRUE(graphicstest::MakePatterned(*entry.surface, width, height, 100 + static_cast<std::uint32_t>(i)));
        entry.x = x;
        entry.y = y;
        entry.width = width;
        entry.height = height;
        entry.visible = 1;
        return entry;
    }
};

TEST_F(LayerSetTest, BanksAreMadeOnceRefusedWhenNegativeAndReachedOnlyInRange) {
    ASSERT_TRUE(layers_->AllocBank(3, LayerBank::Picture));
    ASSERT_TRUE(layers_->AllocBank(5, LayerBank::Picture));  // already there: unchanged
    EXPECT_EQ(layers_->LayerCount(), 3);
    EXPECT_FALSE(layers_->AllocBank(-1, LayerBank::Mask));
    EXPECT_EQ(layers_->MaskLayerCount(), 0);
    ASSERT_TRUE(layers_->AllocBank(2, LayerBank::Mask));
    const LayerEntry& fresh = *layers_->GetLayer(2);
    ASSERT_TRUE(fresh.surface);
    EXPECT_TRUE(fresh.surface->IsEmpty());
    EXPECT_EQ(fresh.maskIndex, -1);
    EXPECT_EQ(fresh.drawMode, kv::kDrawPlain);
    EXPECT_EQ(fresh.visible, 0);
    EXPECT_FALSE(layers_->GetShownLayer(0)->surface);
    for (std::int32_t index : {-1, 3}) {
        EXPECT_EQ(layers_->GetLayer(index), nullptr);
        EXPECT_EQ(layers_->GetShownLayer(index), nullptr);
    }
    EXPECT_EQ(layers_->GetMaskLayer(2), nullptr);
    EXPECT_NE(layers_->GetShownMaskLayer(1), nullptr);

    layers_->SetShownBrightness(0, 5);
    layers_->FreeBanks();
    EXPECT_EQ(layers_->LayerCount(), 0);
    EXPECT_EQ(layers_->MaskLayerCount(), 0);
    EXPECT_EQ(layers_->Target(), nullptr);
    EXPECT_EQ(layers_->ShownBrightness().mode, -1);
    EXPECT_EQ(layers_->Effect().kind, kv::kEffectNone);
    layers_->ComposeAndCommit();  // without surfaces: draws nothing, fails nothing
    EXPECT_TRUE(layers_->StepEffect());
}

// Layer 0 ends on top; a layer partly outside the clip is drawn from the matching offset into
// its picture.
TEST_F(LayerSetTest, LowerLayersCoverHigherOnesAndEachIsClippedToTheClipRectangle) {
    ASSERT_TRUE(layers_->AllocBank(3, LayerBank::Picture));
    Place(1, 5, 5, 20, 10);
    Place(0, 10, 8, 10, 10);
    Place(2, -4, -3, 8, 6);  // partly left of and above the clip
    layers_->SetClipRect(0, 0, 40, 30);
    Surface expected;
    ASSERT_TRUE(expected.Assign(compose_));
    layers_->ComposeAndCommit();
    expected.Blit(*layers_->GetLayer(2)->surface, 0, 0, 4, 3, 4, 3);
    expected.Blit(*layers_->GetLayer(1)->surface, 5, 5, 20, 10, 0, 0);
    expected.Blit(*layers_->GetLayer(0)->surface, 10, 8, 10, 10, 0, 0);
    EXPECT_EQ(TopDownBytes(compose_), TopDownBytes(expected));
}

TEST_F(LayerSetTest, ClipLayerCutsTheDrawRectangleAtEveryEdgeOfTheClip) {
    MakeScreens(800, 600);
    ASSERT_TRUE(layers_->AllocBank(1, LayerBank::Picture));
    LayerEntry& entry = *layers_->GetLayer(0);
    struct Case {
        std::int32_t x, y, width, height;
        bool drawn;
        kv::Placement rect;  // x, y, sourceX, sourceY, width, height
    };
    const Case cases[] = {
        {10, 350, 100, 100, true, {10, 350, 0, 0, 100, 50}},   // below: 50 rows left
        {10, 50, 100, 100, true, {10, 100, 0, 50, 100, 50}},   // above: from source row 50
        {-30, 120, 100, 10, true, {0, 120, 30, 0, 70, 10}},
        {750, 120, 100, 10, true, {750, 120, 0, 0, 50, 10}},
        {10, 400, 100, 10, false, {}},                          // wholly below the clip
        {10, 10, 100, 10, false, {}},                           // wholly above
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, false, {}},
    };
    layers_->SetClipRect(0, 100, 800, 300);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        entry.x = c.x;
        entry.y = c.y;
        entry.width = c.width;
        entry.height = c.height;
        entry.sourceX = entry.sourceY = 0;
        ASSERT_EQ(layers_->ClipLayer(0, false), c.drawn);
        if (!c.drawn) continue;
        const kv::Placement& r = layers_->LastDrawRect();
        EXPECT_EQ((std::vector<std::int32_t>{r.sourceX, r.sourceY, r.x, r.y, r.width, r.height}),
                  (std::vector<std::int32_t>{c.rect.sourceX, c.rect.sourceY, c.rect.x, c.rect.y, c.rect.width, c.rect.height}));
    }
    EXPECT_FALSE(layers_->ClipLayer(1, false));
    // A clip rectangle larger than the screen is held to it.
    layers_->SetClipRect(-100, -100, INT32_MAX, INT32_MAX);
    entry.x = -50;
    entry.y = 590;
    ASSERT_TRUE(layers_->ClipLayer(0, false));
    EXPECT_EQ(layers_->LastDrawRect().x, 0);
    EXPECT_EQ(layers_->LastDrawRect().height, 10);
}

TEST_F(LayerSetTest, EachPassReadsItsEntriesAndTheCommitCopiesAllButThePictures) {
    ASSERT_TRUE(layers_->AllocBank(2, LayerBank::Picture));
    Place(0, 2, 2, 6, 6);
    Place(1, 20, 10, 6, 6).hiddenOnView = 1;
    layers_->ComposeAndCommit();
    const LayerEntry& shown = *layers_->GetShownLayer(1);
    EXPECT_EQ(shown.x, 20);
    EXPECT_EQ(shown.hiddenOnView, 1);
    EXPECT_FALSE(shown.surface);

    // The working scene moves on; the shown passes still draw the committed places, with the
    // working pictures where the shown entries have none.
    layers_->GetLayer(0)->x = 30;
    Surface beforeShown;
    ASSERT_TRUE(beforeShown.Assign(compose_));
    graphicstest::FillPattern(compose_, 9);
    layers_->ComposeShown();
    Surface expected;
    ASSERT_TRUE(graphicstest::MakePatterned(expected, 40, 30, 9));
    expected.Blit(*layers_->GetLayer(1)->surface, 20, 10, 6, 6, 0, 0);
    expected.Blit(*layers_->GetLayer(0)->surface, 2, 2, 6, 6, 0, 0);
    EXPECT_EQ(TopDownBytes(compose_), TopDownBytes(expected));

    // A shown entry with its own picture draws that one; the view leaves out hidden layers.
    layers_->GetShownLayer(0)->surface = std::make_unique<Surface>();
    ASSERT_TRUE(graphicstest::MakePatterned(*layers_->GetShownLayer(0)->surface, 6, 6, 55));
    graphicstest::FillPattern(target_, 8);
    layers_->ComposeShownToTarget();
    ASSERT_TRUE(graphicstest::MakePatterned(expected, 40, 30, 8));
    expected.Blit(*layers_->GetShownLayer(0)->surface, 2, 2, 6, 6, 0, 0);
    EXPECT_EQ(TopDownBytes(target_), TopDownBytes(expected));
}

// Each draw mode with and without a usable mask: what the pass draws, compared with the blend
// routine it must use. A mask that is named but missing, or out of the bank, draws nothing.
TEST_F(LayerSetTest, DrawModesPickTheirRoutineAndAnUnusableMaskOrPictureDrawsNothing) {
    enum class Mask { None, Loaded, Empty, OutOfRange };
    enum class Expect { Nothing, Copy, MaskBlend, Brighten, MaskBrighten, Opacity };
    struct Case {
        std::int32_t mode;
        Mask mask;
        bool pictureLoaded;
        Expect expect;
    };
    const Case cases[] = {
        {-1, Mask::None, true, Expect::Copy},          {-1, Mask::Loaded, true, Expect::MaskBlend},
        {0, Mask::None, true, Expect::Brighten},       {0, Mask::Loaded, true, Expect::MaskBrighten},
        {1, Mask::Loaded, true, Expect::Opacity},      {1, Mask::None, true, Expect::Nothing},
        {2, Mask::Loaded, true, Expect::Nothing},      {-1, Mask::Empty, true, Expect::Nothing},
        {-1, Mask::OutOfRange, true, Expect::Nothing}, {0, Mask::Empty, true, Expect::Nothing},
        {1, Mask::OutOfRange, true, Expect::Nothing},  {-1, Mask::None, false, Expect::Nothing},
        {0, Mask::Loaded, false, Expect::Nothing},
    };
    ASSERT_TRUE(layers_->AllocBank(1, LayerBank::Picture));
    ASSERT_TRUE(layers_->AllocBank(2, LayerBank::Mask));
    ASSERT_TRUE(graphicstest::MakePatterned(*layers_->GetMaskLayer(0)->surface, 12, 12, 66));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " mask " << static_cast<int>(c.mask) << " picture "
                                        << c.pictureLoaded);
        LayerEntry& entry = Place(0, 3, 4, 10, 8);
        entry.sourceX = 1;
        entry.sourceY = 2;
        entry.width = 9;
        entry.height = 7;
        if (!c.pictureLoaded) entry.surface->Free();
        entry.drawMode = c.mode;
        entry.drawParameter = 90;
        entry.maskIndex = c.mask == Mask::None ? -1 : c.mask == Mask::Loaded ? 0 : c.mask == Mask::Empty ? 1 : 2;
        graphicstest::FillPattern(compose_, 2);
        Surface expected;
        ASSERT_TRUE(expected.Assign(compose_));
        const Surface& picture = *entry.surface;
        const Surface& mask = *layers_->GetMaskLayer(0)->surface;
        switch (c.expect) {
            case Expect::Nothing: break;
            case Expect::Copy: expected.Blit(picture, 3, 4, 9, 7, 1, 2); break;
            case Expect::MaskBlend: expected.MaskBlend(picture, 3, 4, 9, 7, 1, 2, mask); break;
            case Expect::Brighten: expected.AddBrightness(picture, 3, 4, 9, 7, 1, 2, 90); break;
            case Expect::MaskBrighten: expected.MaskBlendBrightness(picture, 3, 4, 9, 7, 1, 2, mask, 90); break;
            case Expect::Opacity: expected.MaskBlendOpacity(picture, 3, 4, 9, 7, 1, 2, mask, 90); break;
        }
        layers_->ComposeAndCommit();
        EXPECT_EQ(TopDownBytes(compose_), TopDownBytes(expected));
    }
}

// The shown-scene pair shows at once in the shown passes; a commit uses the pair the previous
// commit took over.
TEST_F(LayerSetTest, BrightnessReachesACommitOneCommitLate) {
    ASSERT_TRUE(layers_->AllocBank(1, LayerBank::Picture));
    Place(0, 0, 0, 40, 30);
    Surface plain, bright;
    ASSERT_TRUE(plain.Assign(*layers_->GetLayer(0)->surface));
    ASSERT_TRUE(bright.Assign(plain));
    bright.AddBrightness(bright, 0, 0, 40, 30, 0, 0, 64);

    layers_->ComposeAndCommit();  // initial pairs: never brightened
    EXPECT_EQ(TopDownBytes(compose_), TopDownBytes(plain));
    layers_->SetShownBrightness(0, 64);
    layers_->ComposeShown();
    EXPECT_EQ(TopDownBytes(compose_), TopDownBytes(bright));
    layers_->ComposeAndCommit();
    EXPECT_EQ(TopDownBytes(compose_), TopDownBytes(plain));
    layers_->ComposeAndCommit();
    EXPECT_EQ(TopDownBytes(compose_), TopDownBytes(bright));
    layers_->ComposeShownToTarget();
    EXPECT_EQ(TopDownBytes(target_), TopDownBytes(bright));
    // A brightness mode other than 0 turns the pass off.
    layers_->SetShownBrightness(1, 64);
    layers_->ComposeShown();
    EXPECT_EQ(TopDownBytes(compose_), TopDownBytes(plain));
}

}  // namespace
