// The screen effects: how many steps each takes for a step count, what each step draws, and the
// strip effects at their last steps on surfaces of any size.

#include <gtest/gtest.h>

#include "graphics/layer_set.h"
#include "tests/graphics/layer_fixture.h"

namespace {

using kv::LayerSet;
using kv::Surface;
using graphicstest::TopDownBytes;

class LayerEffectsTest : public graphicstest::LayerFixture {
public:
    void Start(std::int32_t kind, std::int32_t stepCount = 0, std::int32_t maskLayer = 0) {
        ASSERT_TRUE(layers_->SelectGraphicEffect(kind));
        layers_->SetEffectSteps(stepCount, maskLayer);
    }
    // Steps until the effect reports its end, with a bound in case it never does.
    int StepsToEnd() {
        for (int steps = 1; steps <= 2000; ++steps) {
            if (layers_->StepEffect()) return steps;
        }
        return -1;
    }
};

TEST_F(LayerEffectsTest, EveryStepCountEndsAndTheLastStepDrawsTheEndValue) {
    struct Case {
        std::int32_t kind, count;
        int steps;
    };
    const Case cases[] = {
        {kv::kEffectCrossFade, 0, 2},    {kv::kEffectCrossFade, -3, 2},  {kv::kEffectCrossFade, 1, 2},
        {kv::kEffectCrossFade, 16, 17},  {kv::kEffectCrossFade, 300, 257},
        {kv::kEffectMaskWipe, 0, 3},     {kv::kEffectMaskWipe, 1, 3},    {kv::kEffectMaskWipe, 16, 17},
        {kv::kEffectMaskWipe, 300, 512}, {kv::kEffectColumnBlinds, 5, 21}, {kv::kEffectRowBlinds, 0, 21},
        {kv::kEffectColumnCascade, 0, 61}, {kv::kEffectRowCascade, 9, 61},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " count " << c.count);
        Start(c.kind, c.count);
        EXPECT_GE(layers_->Effect().increment, 1);
        EXPECT_EQ(StepsToEnd(), c.steps);
        EXPECT_EQ(layers_->Effect().step, layers_->Effect().end);
        EXPECT_EQ(layers_->Effect().kind, c.kind);  // a finished effect keeps its kind
    }
    // A kind outside the six is refused and the selected one stays.
    EXPECT_FALSE(layers_->SelectGraphicEffect(6));
    EXPECT_FALSE(layers_->SelectGraphicEffect(-1));
    EXPECT_EQ(layers_->Effect().kind, kv::kEffectRowCascade);
    // Written directly with a zero increment, an effect still moves.
    Start(kv::kEffectCrossFade, 16);
    layers_->Effect().increment = 0;
    EXPECT_EQ(StepsToEnd(), 257);
}

// Each step of the two blends is the blend routine at that step over the clip rectangle, and
// nothing outside it changes.
TEST_F(LayerEffectsTest, TheFadeAndTheWipeDrawTheirBlendAtEachStepInsideTheClip) {
    layers_->SetClipRect(3, 2, 30, 20);
    ASSERT_TRUE(layers_->AllocBank(2, kv::LayerBank::Mask));
    ASSERT_TRUE(graphicstest::MakePatterned(*layers_->GetMaskLayer(0)->surface, 40, 30, 7));
    struct Case {
        std::int32_t kind, count, maskLayer;
    };
    for (const Case& c : {Case{kv::kEffectCrossFade, 8, 0}, Case{kv::kEffectMaskWipe, 10, 0},
                          Case{kv::kEffectMaskWipe, 10, 1}, Case{kv::kEffectMaskWipe, 10, 9}}) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " mask layer " << c.maskLayer);
        graphicstest::FillPattern(target_, 1);
        Start(c.kind, c.count, c.maskLayer);
        bool finished = false;
        while (!finished) {
            const std::int32_t step = layers_->Effect().step;
            Surface expected;
            ASSERT_TRUE(expected.Assign(target_));
            if (c.kind == kv::kEffectCrossFade) {
                expected.CrossBlend(previous_, compose_, 3, 2, 30, 20, 3, 2, step);
            } else if (c.maskLayer == 0) {
                expected.MaskWipeBlend(compose_, previous_, 3, 2, 30, 20, 3, 2, *layers_->GetMaskLayer(0)->surface, step);
            } else {
                // A wipe whose mask is missing runs as through a black mask.
                Surface black;
                ASSERT_TRUE(black.Create(40, 30, 24));
                expected.MaskWipeBlend(compose_, previous_, 3, 2, 30, 20, 3, 2, black, step);
            }
            finished = layers_->StepEffect();
            ASSERT_EQ(TopDownBytes(target_), TopDownBytes(expected)) << "step " << step;
        }
    }
}

// At their last step the strip effects have copied every line of the screen into the previous
// surface and the target; on a smaller or larger surface they stay inside it.
TEST_F(LayerEffectsTest, StripEffectsRevealTheWholeScreenAndStayOnSurfacesOfAnySize) {
    for (auto [width, height] : {std::pair{800, 600}, std::pair{37, 23}, std::pair{830, 640}}) {
        for (std::int32_t kind = kv::kEffectColumnBlinds; kind <= kv::kEffectRowCascade; ++kind) {
            SCOPED_TRACE(testing::Message() << width << "x" << height << " kind " << kind);
            MakeScreens(width, height);
            Start(kind);
            StepsToEnd();
            EXPECT_EQ(TopDownBytes(target_), TopDownBytes(previous_));
            if (width <= 800 && height <= 600) {
                EXPECT_EQ(TopDownBytes(target_), TopDownBytes(compose_));
            }
        }
    }
}

// With the clip starting at x = 30, strip 0 (columns 0 to 20) never draws and strip 1 draws
// from step 10 on.
TEST_F(LayerEffectsTest, BlindsTestOnlyTheLowerEdgeOfTheClip) {
    MakeScreens(800, 600);
    layers_->SetClipRect(30, 0, 700, 600);
    Start(kv::kEffectColumnBlinds);
    std::vector<std::int32_t> firstRevealed(800, -1);
    for (std::int32_t step = 0; step <= 20; ++step) {
        layers_->StepEffect();
        for (std::int32_t x = 0; x < 800; ++x) {
            if (firstRevealed[x] < 0 && previous_.PixelAt(x, 5)[0] == compose_.PixelAt(x, 5)[0] &&
                previous_.PixelAt(x, 5)[1] == compose_.PixelAt(x, 5)[1])
                firstRevealed[x] = step;
        }
    }
    for (std::int32_t x = 0; x <= 20; ++x) EXPECT_EQ(firstRevealed[x], -1) << x;
    for (std::int32_t x = 30; x < 40; ++x) EXPECT_EQ(firstRevealed[x], x - 20) << x;
    EXPECT_EQ(firstRevealed[40], 0);  // strip 2 starts there
    EXPECT_EQ(firstRevealed[799], 19);  // strips beyond the clip's right edge still draw
}

TEST_F(LayerEffectsTest, AnEffectWithoutSurfacesOrKindEndsAtOnce) {
    EXPECT_TRUE(layers_->StepEffect());  // nothing selected
    Start(kv::kEffectCrossFade, 16);
    layers_->SetSurfaces(nullptr, &compose_, &previous_);
    EXPECT_TRUE(layers_->StepEffect());
}

}  // namespace
