#pragma once
// The movies the build makes for the tests (tools/make_movie.sh): "bars.mpg" and "bars.wmv", two
// seconds of SMPTE colour bars at 25 pictures a second with a 440 Hz tone, "silent.avi", the
// bars without sound, and "tone.mpg", the tone alone. Header only: KV_TEST_MOVIES is a
// definition of the test programs.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kvtest {

inline constexpr double kBarsSeconds = 2.0;
inline constexpr int kBarsPictures = 50;

inline std::vector<std::uint8_t> ReadTestMovie(const std::string& name) {
    std::ifstream in(std::string(KV_TEST_MOVIES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when the BGR picture (top row first) shows the seven upper bars of the test pattern:
// grey, yellow, cyan, green, magenta, red, blue, each at 75 % (about 191), sampled in the
// middle of each bar a third of the way down.
inline bool ShowsColourBars(const std::vector<std::uint8_t>& bgr, int width, int height) {
    if (width <= 0 || height <= 0 || bgr.size() < static_cast<std::size_t>(width) * height * 3u) return false;
    static const bool kBarLit[7][3] = {  // red, green, blue
        {true, true, true}, {true, true, false}, {false, true, true}, {false, true, false},
        {true, false, true}, {true, false, false}, {false, false, true}};
    for (int bar = 0; bar < 7; ++bar) {
        const int x = (2 * bar + 1) * width / 14;
        const std::uint8_t* pixel = &bgr[(static_cast<std::size_t>(height / 3) * width + x) * 3u];
        const int rgb[3] = {pixel[2], pixel[1], pixel[0]};
        for (int channel = 0; channel < 3; ++channel) {
            const int expected = kBarLit[bar][channel] ? 191 : 0;
            if (std::abs(rgb[channel] - expected) > 40) return false;
        }
    }
    return true;
}

}  // namespace kvtest
