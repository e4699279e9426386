#pragma once
// Scripts that build scenes from pictures written into the game folder, run frame by frame on
// the headless backend, and the pictures the window was shown, with reference pictures
// computed here from the blend formulas (not from the engine's routines).

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/globals/globals.h"
#include "base/memory_file.h"
#include "graphics/surface.h"
#include "tests/script/ops/script_frame_fixture.h"

namespace opstest {

// A 24-bit picture, top row first, 3 bytes (blue, green, red) a pixel, no padding: the layout
// of the headless backend's presented frames.
struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> bgr;

    Picture() = default;
    Picture(std::int32_t w, std::int32_t h) : width(w), height(h), bgr(static_cast<std::size_t>(w * h * 3)) {}
    bool Contains(std::int32_t x, std::int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    std::uint8_t* At(std::int32_t x, std::int32_t y) { return &bgr[static_cast<std::size_t>((y * width + x) * 3)]; }
    const std::uint8_t* At(std::int32_t x, std::int32_t y) const {
        return &bgr[static_cast<std::size_t>((y * width + x) * 3)];
    }
    bool operator==(const Picture&) const = default;
};

// Bytes that differ from place to place and from seed to seed, over the whole 0-255 range.
inline Picture PatternPicture(std::int32_t width, std::int32_t height, std::uint32_t seed) {
    Picture picture(width, height);
    for (std::size_t i = 0; i < picture.bgr.size(); ++i) {
        std::uint32_t v = static_cast<std::uint32_t>(i) * 2654435761u + seed * 40503u;
        picture.bgr[i] = static_cast<std::uint8_t>(v ^ (v >> 11) ^ (v >> 23));
    }
    return picture;
}

inline std::vector<std::uint8_t> PngBytes(const Picture& picture) {
    kv::Surface surface;
    EXPECT_TRUE(surface.Create(picture.width, picture.height, 24));
    for (std::int32_t y = 0; y < picture.height; ++y) {
        std::copy_n(picture.At(0, y), picture.width * 3, surface.PixelAt(0, y));
    }
    kv::MemoryFile file;
    EXPECT_TRUE(surface.SavePng(file));
    return {file.Bytes().begin(), file.Bytes().end()};
}

// floor(x / 256) for any sign.
inline std::int32_t FloorDiv256(std::int32_t x) { return x >= 0 ? x / 256 : -((-x + 255) / 256); }
inline std::uint8_t Saturate(std::int32_t x) { return static_cast<std::uint8_t>(std::clamp(x, 0, 255)); }
// The masked blend: the mask byte weights what the destination holds.
inline std::uint8_t MaskedByte(std::int32_t d, std::int32_t s, std::int32_t m) {
    return static_cast<std::uint8_t>(s + FloorDiv256((d - s) * m));
}
// From a toward b by weight / 256.
inline std::uint8_t TowardByte(std::int32_t a, std::int32_t b, std::int32_t weight) {
    return static_cast<std::uint8_t>(a + FloorDiv256((b - a) * weight));
}

// One layer as the reference draws it: mode -1 plain, 0 brightness offset, 1 opacity.
struct ReferenceLayer {
    const Picture* picture = nullptr;
    const Picture* mask = nullptr;
    std::int32_t x = 0, y = 0, sourceX = 0, sourceY = 0, width = 0, height = 0;
    std::int32_t mode = -1, parameter = 0;
};

// Draws the layer over the screen byte by byte, leaving out every pixel that falls outside the
// screen, the picture or the mask.
inline void DrawReferenceLayer(Picture& screen, const ReferenceLayer& layer) {
    if (layer.mode == 1 && (layer.mask == nullptr || layer.parameter < 0)) return;
    if (layer.mode > 1) return;
    for (std::int32_t row = 0; row < layer.height; ++row) {
        for (std::int32_t column = 0; column < layer.width; ++column) {
            const std::int32_t x = layer.x + column, y = layer.y + row;
            const std::int32_t sx = layer.sourceX + column, sy = layer.sourceY + row;
            if (!screen.Contains(x, y) || !layer.picture->Contains(sx, sy)) continue;
            if (layer.mask && !layer.mask->Contains(sx, sy)) continue;
            for (int c = 0; c < 3; ++c) {
                std::uint8_t& d = screen.At(x, y)[c];
                std::int32_t s = layer.picture->At(sx, sy)[c];
                const std::int32_t m = layer.mask ? layer.mask->At(sx, sy)[c] : 0;
                if (layer.mode == 0) s = Saturate(s + layer.parameter);
                if (layer.mode == 1) {
                    d = MaskedByte(d, s, std::clamp(m + 255 - layer.parameter, 0, 255));
                } else {
                    d = layer.mask ? MaskedByte(d, s, m) : static_cast<std::uint8_t>(s);
                }
            }
        }
    }
}

inline void BrightenReference(Picture& screen, std::int32_t delta) {
    for (std::uint8_t& byte : screen.bgr) byte = Saturate(byte + delta);
}

class LayerSceneTest : public ScriptFrameTest {
public:
    static constexpr std::int32_t kScreenWidth = 800;
    static constexpr std::int32_t kScreenHeight = 600;

    void WritePicture(const std::string& name, const Picture& picture) { WriteFile(name + ".PNG", PngBytes(picture)); }
    // PatternPicture written as name.PNG. Each pattern is encoded once: the tests that loop over
    // cases restart the game, and write the same pictures, again and again.
    Picture WritePattern(const std::string& name, std::int32_t width, std::int32_t height, std::uint32_t seed) {
        static std::map<std::tuple<std::int32_t, std::int32_t, std::uint32_t>, std::vector<std::uint8_t>> encoded;
        Picture picture = PatternPicture(width, height, seed);
        auto [at, added] = encoded.try_emplace({width, height, seed});
        if (added) at->second = PngBytes(picture);
        WriteFile(name + ".PNG", at->second);
        return picture;
    }

    // The pictures presented to the window so far, whole, in order.
    std::vector<Picture> PresentedPictures() {
        std::vector<Picture> pictures;
        for (const backend::PresentedFrame& frame : Os().Windows().Frames()) {
            Picture picture(frame.width, frame.height);
            picture.bgr = frame.bgr;
            pictures.push_back(std::move(picture));
        }
        return pictures;
    }
    Picture LastPresented() {
        std::vector<Picture> pictures = PresentedPictures();
        return pictures.empty() ? Picture() : pictures.back();
    }
    static Picture Copy(const kv::Surface& surface) {
        Picture picture(surface.Width(), surface.Height());
        for (std::int32_t y = 0; y < picture.height; ++y) std::copy_n(surface.PixelAt(0, y), picture.width * 3, picture.At(0, y));
        return picture;
    }
    // Runs frames until the caption is the text (at most limit frames); false when it never is.
    bool RunUntilCaption(const std::string& caption, int limit = 200) {
        for (int i = 0; i < limit; ++i) {
            if (Caption() == caption) return true;
            Frame();
        }
        return Caption() == caption;
    }
    // The script lines that switch the effects setting on (C integer 1 = 1, bound).
    static std::string EffectsOn() { return "ref cint[1]\npush 1\nassign\ndiscard\ncalld BindEffectsVar 1\n"; }
};

}  // namespace opstest
