// The FFmpeg decoder on the build's test movies: pictures in order with their times and the
// test pattern, the sound as long as the movie, and files that are no movie (sound alone,
// garbage, a file cut short) refused or ended without harm.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backend/ffmpeg/movie_decoder.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "tests/support/headless_game.h"
#include "tests/support/test_movies.h"

namespace {

using backend::MovieDecoder;

class MovieDecoderTest : public kvtest::HeadlessGameTest {
public:
    std::unique_ptr<MovieDecoder> Open(const std::string& name, bool sound = true, int width = 160, int height = 120) {
        backend::MovieDecoderOptions options;
        options.pictureWidth = width;
        options.pictureHeight = height;
        options.decodeSound = sound;
        return MovieDecoder::Open(backend::Get().Files().OpenFile(EngineFolder() + name, backend::FileMode::Read),
                                  options);
    }

    struct Decoded {
        std::vector<double> times;
        int barsShown = 0;
        std::size_t soundFrames = 0;
        double soundStart = -1;
        MovieDecoder::ReadResult last = MovieDecoder::ReadResult::Read;
    };
    // Reads the whole movie, taking the pictures and the sound as they come.
    static Decoded DecodeAll(MovieDecoder& decoder) {
        Decoded result;
        std::vector<std::uint8_t> picture;
        for (int packets = 0; packets < 10000 && result.last == MovieDecoder::ReadResult::Read; ++packets) {
            result.last = decoder.ReadPacket();
            while (decoder.PendingPictures() > 0) {
                result.times.push_back(decoder.NextPictureTime());
                if (decoder.TakePicture(picture) && kvtest::ShowsColourBars(picture, 160, 120)) ++result.barsShown;
            }
            if (decoder.PendingSoundFrames() > 0 && result.soundStart < 0) result.soundStart = decoder.SoundStartTime();
            result.soundFrames += decoder.PendingSoundFrames();
            decoder.DropSound(decoder.PendingSoundFrames());
        }
        return result;
    }
};

TEST_F(MovieDecoderTest, EachContainerGivesItsPicturesInOrderWithTheirSound) {
    for (const char* name : {"bars.mpg", "bars.wmv"}) {
        SCOPED_TRACE(name);
        WriteFile(name, kvtest::ReadTestMovie(name));
        std::unique_ptr<MovieDecoder> decoder = Open(name);
        ASSERT_NE(decoder, nullptr);
        EXPECT_TRUE(decoder->HasSound());
        const Decoded decoded = DecodeAll(*decoder);
        EXPECT_EQ(decoded.last, MovieDecoder::ReadResult::End);
        ASSERT_NEAR(static_cast<int>(decoded.times.size()), kvtest::kBarsPictures, 2);
        EXPECT_EQ(decoded.barsShown, static_cast<int>(decoded.times.size()));
        EXPECT_NEAR(decoded.times.front(), 0.0, 0.05);
        for (std::size_t i = 1; i < decoded.times.size(); ++i) EXPECT_NEAR(decoded.times[i] - decoded.times[i - 1], 0.04, 0.005);
        // The sound, at the decoder's own rate, lasts as long as the pictures (give or take the
        // codec's last frame).
        EXPECT_NEAR(static_cast<double>(decoded.soundFrames) / backend::kMovieSoundRate, kvtest::kBarsSeconds, 0.15);
        EXPECT_NEAR(decoded.soundStart, 0.0, 0.1);
        // Asked for none, it decodes none.
        std::unique_ptr<MovieDecoder> silent = Open(name, false);
        ASSERT_NE(silent, nullptr);
        EXPECT_FALSE(silent->HasSound());
        EXPECT_EQ(DecodeAll(*silent).soundFrames, 0u);
    }
}

TEST_F(MovieDecoderTest, WhatIsNoMovieIsRefused) {
    WriteFile("tone.mpg", kvtest::ReadTestMovie("tone.mpg"));
    WriteFile("empty.mpg", std::string_view());
    std::string garbage(20000, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919u) >> 3);
    WriteFile("garbage.mpg", garbage);
    for (const char* name : {"tone.mpg", "empty.mpg", "garbage.mpg", "missing.mpg"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Open(name), nullptr);
    }
    // A picture size the window cannot have.
    WriteFile("bars.mpg", kvtest::ReadTestMovie("bars.mpg"));
    EXPECT_EQ(Open("bars.mpg", true, 0, 600), nullptr);
    EXPECT_EQ(Open("bars.mpg", true, 800, backend::kMaxMoviePictureSide + 1), nullptr);
}

TEST_F(MovieDecoderTest, AFileCutShortEndsWhereItIsCut) {
    for (const char* name : {"bars.mpg", "bars.wmv"}) {
        SCOPED_TRACE(name);
        std::vector<std::uint8_t> bytes = kvtest::ReadTestMovie(name);
        bytes.resize(bytes.size() / 2);
        WriteFile(name, bytes);
        std::unique_ptr<MovieDecoder> decoder = Open(name);
        ASSERT_NE(decoder, nullptr);
        const Decoded decoded = DecodeAll(*decoder);
        EXPECT_NE(decoded.last, MovieDecoder::ReadResult::Read);
        EXPECT_GT(decoded.times.size(), 5u);
        EXPECT_LT(decoded.times.size(), static_cast<std::size_t>(kvtest::kBarsPictures - 10));
    }
}

}  // namespace
