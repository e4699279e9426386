#pragma once
// A layer set on small patterned screens (target, compose, previous), on the headless backend
// that its effect timer reads the clock from.

#include <memory>

#include "graphics/layer_set.h"
#include "tests/graphics/picture_test_util.h"
#include "tests/support/headless_game.h"

namespace graphicstest {

class LayerFixture : public kvtest::HeadlessGameTest {
public:
    void SetUp() override {
        HeadlessGameTest::SetUp();
        layers_ = std::make_unique<kv::LayerSet>();
        MakeScreens(40, 30);
    }
    void TearDown() override {
        layers_.reset();
        HeadlessGameTest::TearDown();
    }
    void MakeScreens(std::int32_t width, std::int32_t height) {
        ASSERT_TRUE(MakePatterned(target_, width, height, 1));
        ASSERT_TRUE(MakePatterned(compose_, width, height, 2));
        ASSERT_TRUE(MakePatterned(previous_, width, height, 3));
        layers_->SetSurfaces(&target_, &compose_, &previous_);
    }

    std::unique_ptr<kv::LayerSet> layers_;
    kv::Surface target_, compose_, previous_;
};

}  // namespace graphicstest
