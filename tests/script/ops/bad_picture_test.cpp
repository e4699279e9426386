// Pictures that scripts name but that cannot be used: missing, cut short, damaged, of sizes no
// picture has, or smaller than the layer and mask rectangles asked of them. Each gives the
// failure boxes once and a scene drawn without it (or clipped to it), never a crash.

#include <gtest/gtest.h>

#include <cstring>

#include "graphics/layer_set.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/layer_scene_fixture.h"

namespace {

using opstest::Picture;

void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
void PutBe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A 24-bit BMP header for a picture of that size, with rows pixels behind it.
std::vector<std::uint8_t> Bmp(std::int32_t width, std::int32_t height, std::size_t pixelBytes) {
    std::vector<std::uint8_t> bytes(54 + pixelBytes, 0x80);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLe32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    PutLe32(bytes, 6, 0);
    PutLe32(bytes, 10, 54);
    PutLe32(bytes, 14, 40);
    PutLe32(bytes, 18, static_cast<std::uint32_t>(width));
    PutLe32(bytes, 22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;
    bytes[27] = 0;
    bytes[28] = 24;
    bytes[29] = 0;
    std::memset(&bytes[30], 0, 24);
    return bytes;
}

// A valid PNG whose header claims another size (its checksum made to match).
std::vector<std::uint8_t> PngClaiming(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> png = opstest::PngBytes(opstest::PatternPicture(4, 4, 1));
    PutBe32(png, 16, width);
    PutBe32(png, 20, height);
    PutBe32(png, 29, Crc32(&png[12], 17));
    return png;
}

class BadPictureTest : public opstest::LayerSceneTest {};

TEST_F(BadPictureTest, PicturesThatCannotBeLoadedAreReportedOnceAndLeftOut) {
    const std::vector<std::uint8_t> good = opstest::PngBytes(opstest::PatternPicture(40, 30, 9));
    struct Case {
        const char* what;
        const char* file;  // "" for none
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"missing", "", {}},
        {"empty file", "BAD.PNG", {}},
        {"not a picture", "BAD.PNG", std::vector<std::uint8_t>(100, 'x')},
        {"PNG cut short", "BAD.PNG", std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 2)},
        {"PNG of no size", "BAD.PNG", PngClaiming(0, 4)},
        {"PNG too large", "BAD.PNG", PngClaiming(100000, 100000)},
        {"BMP cut short", "BAD.BMP", Bmp(40, 30, 100)},
        {"BMP too large", "BAD.BMP", Bmp(70000, 3, 300)},
        {"BMP of negative size", "BAD.BMP", Bmp(-40, 30, 3600)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        const Picture background = WritePattern("BG", 800, 600, 8);
        if (*c.file) WriteFile(c.file, c.bytes);
        WriteScript("INIT", R"(
            calld AllocLayers 3
            calld AllocMaskLayers 1
            calld LoadLayer 2, "bg"
            calld SetLayerRect 2, 0, 0, -1, -1
            calld SetLayerVisible 2, 1
            calld LoadLayer 1, "bad"
            calld SetLayerRect 1, 0, 0, -1, -1
            calld SetLayerVisible 1, 1
            calld LoadMaskLayer 0, "bad"
            calld LoadLayer 0, "bg"
            calld SetLayerRect 0, 0, 0, 200, 100
            calld SetLayerMask 0, 0
            calld SetLayerDrawMode 0, 1, 128
            calld SetLayerVisible 0, 1
            calld StartupGraphicEffect -1, 1
            calld LoadLayer 1, "BAD"
            calld LoadMaskLayer 0, "Bad"
            calld GetLayerSize 1, 0, 1
            calld OpSetCaption "done"
        l:  line 1
            jmp l
        )");
        Start();
        ASSERT_TRUE(RunUntilCaption("done"));
        std::vector<std::string> boxes;
        for (const char* operation : {"LoadLayer", "LoadMaskLayer"}) {
            if (!*c.file) boxes.push_back("error|bad.PNG(or .BMP) is not found.");
            boxes.push_back(std::string("error|This game failed to load Graphic-files in ") + operation + "().");
        }
        EXPECT_EQ(BoxTexts(), boxes);
        // Only the background: the bad layer has no picture, the masked one no mask.
        EXPECT_TRUE(LastPresented() == background);
        EXPECT_EQ(*kv::g_vm->AInt(0) + *kv::g_vm->AInt(1), 0);
    }
}

// A picture smaller than the rectangle its layer asks for, and a mask smaller than the picture,
// are drawn where all of them have pixels.
TEST_F(BadPictureTest, RectanglesBeyondThePictureOrItsMaskAreCutToThem) {
    const Picture background = WritePattern("BG", 800, 600, 8);
    const Picture small = WritePattern("SMALL", 40, 30, 9);
    const Picture mask = WritePattern("MASK", 20, 25, 10);
    WriteScript("INIT", R"(
        calld AllocLayers 3
        calld AllocMaskLayers 1
        calld LoadMaskLayer 0, "mask"
        calld LoadLayer 2, "bg"
        calld SetLayerRect 2, 0, 0, -1, -1
        calld SetLayerVisible 2, 1
        calld LoadLayer 1, "small"
        calld SetLayerRect 1, 5, 5, 300, 200
        calld SetLayerPosition 1, 780, 100
        calld SetLayerVisible 1, 1
        calld LoadLayer 0, "small"
        calld SetLayerRect 0, 0, 0, 100, 100
        calld SetLayerPosition 0, 300, 300
        calld SetLayerMask 0, 0
        calld SetLayerVisible 0, 1
        calld StartupGraphicEffect -1, 1
        calld OpSetCaption "done"
    l:  line 1
        jmp l
    )");
    Start();
    ASSERT_TRUE(RunUntilCaption("done"));
    Picture expected = background;
    opstest::DrawReferenceLayer(expected, {&small, nullptr, 780, 100, 5, 5, 300, 200, -1, 0});
    opstest::DrawReferenceLayer(expected, {&small, &mask, 300, 300, 0, 0, 100, 100, -1, 0});
    EXPECT_TRUE(LastPresented() == expected);
    EXPECT_TRUE(BoxTexts().empty());
}

}  // namespace
