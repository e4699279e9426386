// The layer operations driven by scripts: a scene of layers with masks, draw modes and
// brightness against a reference drawn from the formulas, the picture names, the banks, and the
// argument errors of every operation that names a layer.

#include <gtest/gtest.h>

#include "graphics/layer_set.h"
#include "script/ops/op_state.h"
#include "script/ops/screen_overlays.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/layer_scene_fixture.h"

namespace {

using opstest::DrawReferenceLayer;
using opstest::Picture;
using opstest::ReferenceLayer;

class LayerOpsTest : public opstest::LayerSceneTest {};

TEST_F(LayerOpsTest, ASceneOfMasksDrawModesAndBrightnessIsDrawnAsTheFormulasSay) {
    const Picture background = opstest::PatternPicture(800, 600, 1);
    const Picture sprite = opstest::PatternPicture(120, 90, 2);
    const Picture mask = opstest::PatternPicture(120, 90, 3);
    WritePicture("BG", background);
    WritePicture("sprite", sprite);
    WritePicture("MASK", mask);
    // Layer 0 ends on top. Layer 4 hangs over the left and bottom edges; layer 3 shows part of
    // its picture brightened; 2 is half opaque through its mask; 1 is darkened through its mask
    // over 2 and 3; 5 draws nothing in mode 1 without a mask, 6 nothing in mode 2, 0 is hidden.
    WriteScript("INIT", R"(
        calld AllocLayers 8
        calld AllocMaskLayers 2
        calld LoadLayer 7, "bg"
        calld SetLayerRect 7, 0, 0, -1, -1
        calld LoadMaskLayer 1, "mask"
        calld LoadLayer 0, "sprite"
        calld LoadLayer 1, "SPRITE"
        calld LoadLayer 2, "Sprite"
        calld LoadLayer 3, "sprite"
        calld LoadLayer 4, "sprite"
        calld LoadLayer 5, "sprite"
        calld LoadLayer 6, "sprite"
        calld SetLayerRect 0, 0, 0, -1, -1
        calld SetLayerRect 1, 0, 0, 100, -1
        calld SetLayerRect 2, 0, 0, -1, -1
        calld SetLayerRect 3, 10, 20, 60, 50
        calld SetLayerRect 4, 0, 0, -1, -1
        calld SetLayerRect 5, 0, 0, -1, -1
        calld SetLayerRect 6, 0, 0, -1, -1
        calld SetLayerPosition 0, 10, 10
        calld SetLayerPosition 1, 350, 230
        calld SetLayerPosition 2, 400, 250
        calld SetLayerPosition 3, 300, 200
        calld SetLayerPosition 4, -30, 540
        calld SetLayerPosition 5, 100, 100
        calld SetLayerPosition 6, 600, 100
        calld SetLayerMask 1, 1
        calld SetLayerMask 2, 1
        calld SetLayerMask 4, 1
        calld SetLayerDrawMode 1, 0, -90
        calld SetLayerDrawMode 2, 1, 100
        calld SetLayerDrawMode 3, 0, 70
        calld SetLayerDrawMode 5, 1, 200
        calld SetLayerDrawMode 6, 2, 0
        calld SetLayerVisible 1, 1
        calld SetLayerVisible 2, 1
        calld SetLayerVisible 3, 1
        calld SetLayerVisible 4, 1
        calld SetLayerVisible 5, 1
        calld SetLayerVisible 6, 1
        calld SetLayerVisible 7, 1
        calld SetBrightness 0, 30
        calld StartupGraphicEffect -1, 1
        calld StartupGraphicEffect -1, 1
        calld OpSetCaption "shown"
    l:  line 1
        jmp l
    )");
    Start();
    ASSERT_TRUE(RunUntilCaption("shown"));
    EXPECT_TRUE(BoxTexts().empty());

    Picture expected = background;
    const ReferenceLayer layers[] = {
        {&sprite, &mask, -30, 540, 0, 0, 120, 90, -1, 0},  // 4
        {&sprite, nullptr, 300, 200, 10, 20, 60, 50, 0, 70},  // 3
        {&sprite, &mask, 400, 250, 0, 0, 120, 90, 1, 100},  // 2
        {&sprite, &mask, 350, 230, 0, 0, 100, 90, 0, -90},  // 1
    };
    for (const ReferenceLayer& layer : layers) DrawReferenceLayer(expected, layer);
    const std::vector<Picture> frames = PresentedPictures();
    ASSERT_EQ(frames.size(), 2u);
    // The first commit composes with the brightness the commit before it took over (none).
    EXPECT_TRUE(frames[0] == expected);
    opstest::BrightenReference(expected, 30);
    EXPECT_TRUE(frames[1] == expected);
    // Work surface 3 keeps the scene without overlays.
    EXPECT_TRUE(Copy(*kv::g_workSurface3) == expected);
}

TEST_F(LayerOpsTest, APictureIsLoadedOnceUnderItsNameInAnyLetterCase) {
    WritePicture("Face", opstest::PatternPicture(30, 20, 4));
    WriteScript("INIT", R"(
        calld AllocLayers 1
        calld LoadLayer 0, "face"
        calld OpSetCaption "loaded"
        calld LoadLayer 0, "FACE"
        calld GetLayerSize 0, 0, 1
        calld LoadLayer 0, "missing"
        calld LoadLayer 0, "Missing"
        calld OpSetCaption "done"
    l:  line 1
        jmp l
    )");
    Start();
    ASSERT_TRUE(RunUntilCaption("loaded"));
    // Gone from the folder: a second load under the same name would now fail.
    RemoveFile("Face.PNG");
    ASSERT_TRUE(RunUntilCaption("done"));
    EXPECT_EQ(*kv::g_vm->AInt(0), 30);
    EXPECT_EQ(*kv::g_vm->AInt(1), 20);
    // The missing picture is reported once; its name is kept, so the second load tries nothing.
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"error|missing.PNG(or .BMP) is not found.",
                                                    "error|This game failed to load Graphic-files in LoadLayer()."}));
    EXPECT_STREQ(kv::g_currentLayers->GetLayer(0)->name.c_str(), "MISSING");
}

TEST_F(LayerOpsTest, BanksAreMadeAgainEmptyAndClearedLayersDrawNothing) {
    WritePicture("A", opstest::PatternPicture(40, 30, 5));
    WriteScript("INIT", R"(
        calld AllocLayers 2
        calld AllocMaskLayers 1
        calld LoadLayer 1, "a"
        calld LoadMaskLayer 0, "a"
        calld SetLayerMask 1, 0
        calld SetLayerVisible 1, 1
        calld SetLayerHiddenOnView 1, 1
        calld OpSetCaption "loaded"
        calld ClearLayer 1
        calld ClearMaskLayer 0
        calld GetLayerSize 1, 0, 1
        calld OpSetCaption "cleared"
        calld LoadLayer 0, "a"
        calld AllocLayers 2
        calld OpSetCaption "again"
        calld AllocLayers 0
        calld AllocMaskLayers 0
        calld OpSetCaption "none"
    l:  line 1
        jmp l
    )");
    Start();
    kv::LayerSet& layers = *kv::g_currentLayers;
    // What an overlay finds when it looks a layer up to draw it.
    auto found = [&](std::int32_t layer) {
        const kv::LayerPictures pictures = kv::FindLayerPictures(&layers, layer);
        return std::to_string(pictures.picture != nullptr) + std::to_string(pictures.masked) +
               std::to_string(pictures.mask != nullptr);
    };
    ASSERT_TRUE(RunUntilCaption("loaded"));
    EXPECT_EQ(found(1), "111");
    EXPECT_EQ(found(0), "000");
    ASSERT_TRUE(RunUntilCaption("cleared"));
    EXPECT_EQ(found(1), "010");
    const kv::LayerEntry& cleared = *layers.GetLayer(1);
    EXPECT_TRUE(cleared.surface->IsEmpty());
    EXPECT_TRUE(cleared.name.IsEmpty());
    EXPECT_EQ(cleared.visible + cleared.hiddenOnView, 0);
    EXPECT_TRUE(layers.GetMaskLayer(0)->surface->IsEmpty());
    EXPECT_TRUE(layers.GetMaskLayer(0)->name.IsEmpty());
    EXPECT_EQ(*kv::g_vm->AInt(0) + *kv::g_vm->AInt(1), 0);
    ASSERT_TRUE(RunUntilCaption("again"));
    // The same count makes fresh layers: the picture loaded before is gone.
    EXPECT_EQ(layers.LayerCount(), 2);
    EXPECT_TRUE(layers.GetLayer(0)->surface->IsEmpty());
    EXPECT_TRUE(layers.GetLayer(0)->name.IsEmpty());
    ASSERT_TRUE(RunUntilCaption("none"));
    EXPECT_EQ(found(1), "000");
    EXPECT_EQ(layers.LayerCount(), 0);
    EXPECT_EQ(layers.MaskLayerCount(), 0);
    EXPECT_TRUE(BoxTexts().empty());
}

// Every index, count and operand an operation cannot use ends the game with the argument box
// before anything is written or drawn.
TEST_F(LayerOpsTest, IndexesOutsideTheBanksAndUnusableOperandsAreArgumentErrors) {
    struct Case {
        const char* call;
        const char* name;
    };
    const Case cases[] = {
        {"SetLayerVisible 2, 1", "SetLayerVisible"},
        {"SetLayerVisible -1, 1", "SetLayerVisible"},
        {"SetLayerPosition 2, 0, 0", "SetLayerPosition"},
        {"SetLayerRect 2, 0, 0, 1, 1", "SetLayerRect"},
        {"SetLayerMask 2, 0", "SetLayerMask"},
        {"SetLayerDrawMode 2, 0, 0", "SetLayerDrawMode"},
        {"SetLayerHiddenOnView 2, 1", "SetLayerHiddenOnView"},
        {"ClearLayer 2", "ClearLayer"},
        {"ClearMaskLayer 1", "ClearMaskLayer"},
        {"GetLayerSize 2, 0, 1", "GetLayerSize"},
        {"LoadLayer 2, \"a\"", "LoadLayer"},
        {"LoadMaskLayer 1, \"a\"", "LoadMaskLayer"},
        {"LoadLayer 0, 7", "LoadLayer"},  // a number where the name belongs
        {"AllocLayers -1", "AllocLayers"},
        {"AllocMaskLayers 65537", "AllocMaskLayers"},
        {"SetGraphicEffectInterval -5", "SetGraphicEffectInterval"},
        {"RedrawMessageWindow 0, 0", "RedrawMessageWindow"},  // no message windows yet
        {"ResetTextWindow 0", "ResetTextWindow"},
        {"SetClickableAreaRects 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 1", "SetClickableAreaRects"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        Restart();
        WriteScript("INIT", std::string("calld AllocLayers 2\ncalld AllocMaskLayers 1\ncalld ") + c.call +
                                "\ncalld OpSetCaption \"went on\"\nl: line 1\njmp l\n");
        Start();
        Frames(12);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{std::string("error|Illiegal argments in ") + c.name + "()."});
        EXPECT_FALSE(WindowAlive());
        EXPECT_TRUE(Os().Windows().Frames().empty());
    }
}

}  // namespace
