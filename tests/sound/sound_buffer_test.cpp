// Sound buffers on the headless audio device: streams heard bit-exactly across their halves,
// short sources looping without a gap, a stream that does not loop heard to its last sample,
// whole sounds, formats refused before use, and every way a buffer is released.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "base/byte_order.h"

#include "backend/headless/headless_audio.h"
#include "sound/sound_buffer.h"
#include "sound/sound_manager.h"
#include "sound/volume_db.h"
#include "tests/support/headless_game.h"
#include "tests/support/test_sounds.h"

namespace {

class SoundBufferTest : public kvtest::HeadlessGameTest {
protected:
    void SetUp() override {
        HeadlessGameTest::SetUp();
        audio_.SetCapture(true);
    }
    // Renders ms more of virtual time and returns everything heard so far.
    const std::vector<std::int16_t>& Hear(std::uint32_t ms) {
        now_ += static_cast<std::uint64_t>(ms) * 1000;
        audio_.AdvanceTo(now_);
        return audio_.Captured();
    }
    std::string Path(const std::string& name) { return EngineFolder() + name; }

    backend::HeadlessAudio audio_;
    std::uint64_t now_ = 0;
};

// The samples of a stereo 16-bit source, repeated, as the mix must give them.
void ExpectRepeats(const std::vector<std::int16_t>& heard, const std::vector<std::int16_t>& source,
                   std::size_t samples) {
    ASSERT_GE(heard.size(), samples);
    for (std::size_t i = 0; i < samples; ++i) ASSERT_EQ(heard[i], source[i % source.size()]) << "sample " << i;
}

TEST_F(SoundBufferTest, LoopingStreamsAreHeardBitExactlyAcrossTheirHalves) {
    // 2.3 s of 44.1 kHz stereo: the halves are one second, so the data ends inside a half.
    const std::vector<std::int16_t> ramp = kvtest::RampPcm(101430, 2);
    WriteFile("RAMP.WAV", kvtest::MakeWav16(2, 44100, ramp));
    const std::vector<std::uint8_t> ogg = kvtest::EncodeOgg(2, 44100, kvtest::SinePcm(101430, 2, 44100, 330, 12000));
    WriteFile("SINE.OGG", ogg);
    kv::OggDecoder decoder;
    ASSERT_TRUE(decoder.OpenImage(ogg));
    std::vector<std::uint8_t> decoded(decoder.TotalBytes());
    ASSERT_TRUE(decoder.DecodeAll(decoded.data(), decoder.TotalBytes()));
    std::vector<std::int16_t> oggPcm(decoded.size() / 2);
    std::memcpy(oggPcm.data(), decoded.data(), decoded.size());

    struct Case {
        const char* file;
        bool ogg;
        const std::vector<std::int16_t>& pcm;
    };
    for (const Case& c : {Case{"RAMP.WAV", false, ramp}, Case{"SINE.OGG", true, oggPcm}}) {
        SCOPED_TRACE(c.file);
        audio_.ClearCaptured();
        kv::SoundBuffer buffer;
        ASSERT_TRUE(c.ogg ? buffer.OpenOggStreamFile(Path(c.file), audio_) : buffer.OpenWavStreamFile(Path(c.file), audio_));
        EXPECT_EQ(buffer.StreamBytes(), 2u * 176400);
        ASSERT_TRUE(buffer.StartStream(false, true));
        ExpectRepeats(Hear(5600), c.pcm, 5500 * 441 / 10 * 2);
        EXPECT_EQ(buffer.GetStatus(), backend::kStatusPlaying | backend::kStatusLooping);
        buffer.Release();  // while playing
        EXPECT_TRUE(buffer.IsEmpty());
    }
}

TEST_F(SoundBufferTest, AShortSourceLoopsWithoutAGap) {
    const std::vector<std::int16_t> ramp = kvtest::RampPcm(13000, 2, 11);  // 0.29 s, less than a half
    WriteFile("SHORT.WAV", kvtest::MakeWav16(2, 44100, ramp));
    kv::SoundBuffer buffer;
    ASSERT_TRUE(buffer.OpenWavStreamFile(Path("SHORT.WAV"), audio_));
    ASSERT_TRUE(buffer.StartStream(false, true));
    ExpectRepeats(Hear(3100), ramp, 44100 * 3 * 2);
}

TEST_F(SoundBufferTest, AStreamThatDoesNotLoopIsHeardToItsLastSampleThenStops) {
    struct Case {
        std::uint32_t frames;  // the end in the first half, the second, a later first, right at a half
    };
    for (const std::uint32_t frames : {30000u, 70000u, 120000u, 88200u}) {
        SCOPED_TRACE(frames);
        audio_.ClearCaptured();
        const std::vector<std::int16_t> ramp = kvtest::RampPcm(frames, 2, 3);
        WriteFile("ONCE.WAV", kvtest::MakeWav16(2, 44100, ramp));
        kv::SoundBuffer buffer;
        ASSERT_TRUE(buffer.OpenWavStreamFile(Path("ONCE.WAV"), audio_));
        ASSERT_TRUE(buffer.StartStream(false, false));
        const std::vector<std::int16_t>& heard = Hear(frames / 44 + 2000);
        ExpectRepeats(heard, ramp, ramp.size());
        for (std::size_t i = ramp.size(); i < heard.size(); ++i) ASSERT_EQ(heard[i], 0) << "after the end, " << i;
        EXPECT_EQ(buffer.GetStatus(), 0u);
        buffer.Release();  // after the feeder ended by itself
        // Started again, it plays from its start.
        audio_.ClearCaptured();
        ASSERT_TRUE(buffer.OpenWavStreamFile(Path("ONCE.WAV"), audio_));
        ASSERT_TRUE(buffer.StartStream(false, false));
        Hear(300);
        ASSERT_TRUE(buffer.StartStream(false, false));
        audio_.ClearCaptured();
        ExpectRepeats(Hear(500), ramp, 44100 / 4);
    }
}

TEST_F(SoundBufferTest, WholeSoundsPlayOnceOrLoopedAndKnowTheirLength) {
    const std::vector<std::int16_t> ramp = kvtest::RampPcm(44100, 2);
    const std::vector<std::uint8_t> wav = kvtest::MakeWav16(2, 44100, ramp);
    kv::SoundBuffer buffer;
    ASSERT_TRUE(buffer.LoadWavMemory(wav.data(), 0, static_cast<std::int64_t>(wav.size()), audio_));
    EXPECT_EQ(buffer.LengthMs(), 1000u);
    EXPECT_FALSE(buffer.IsStreaming());
    EXPECT_FALSE(buffer.StartStream(false, false));
    ASSERT_TRUE(buffer.Play(false));
    const std::vector<std::int16_t>& heard = Hear(1200);
    ExpectRepeats(heard, ramp, ramp.size());
    EXPECT_EQ(heard[ramp.size()], 0);
    EXPECT_EQ(buffer.GetStatus(), 0u);

    // From a pack-like file: the WAV at an offset, streamed through a handle of its own.
    std::vector<std::uint8_t> pack(777 + wav.size(), 0x5A);
    std::copy(wav.begin(), wav.end(), pack.begin() + 777);
    WriteFile("DATA.PAK", pack);
    audio_.ClearCaptured();
    ASSERT_TRUE(buffer.OpenWavStreamPack(Path("DATA.PAK"), 777, audio_));
    ASSERT_TRUE(buffer.StartStream(false, true));
    ExpectRepeats(Hear(2500), ramp, 44100 * 2 * 2);

    const std::vector<std::uint8_t> ogg = kvtest::EncodeOgg(1, 22050, kvtest::SinePcm(11025, 1, 22050, 440, 9000));
    ASSERT_TRUE(buffer.LoadOggMemory(ogg, audio_));
    EXPECT_EQ(buffer.LengthMs(), 500u);
    EXPECT_EQ(buffer.Frequency(), 22050u);
}

TEST_F(SoundBufferTest, FormatsThatCannotPlayAreRefusedBeforeUse) {
    struct Case {
        const char* what;
        std::uint16_t channels, bits, block;
        std::uint32_t rate, perSecond;
    };
    const Case cases[] = {
        {"no channels", 0, 16, 0, 44100, 0},       {"no bits", 2, 0, 0, 44100, 0},
        {"no rate", 2, 16, 4, 0, 0},               {"block too small", 2, 16, 2, 44100, 88200},
        {"byte rate wrong", 2, 16, 4, 44100, 1},   {"24 bits", 2, 24, 6, 44100, 264600},
        {"six channels", 6, 16, 12, 44100, 529200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> wav = kvtest::MakeWav(2, 44100, 16, std::vector<std::uint8_t>(64, 1));
        auto put16 = [&](std::size_t at, std::uint16_t v) {
            wav[at] = static_cast<std::uint8_t>(v);
            wav[at + 1] = static_cast<std::uint8_t>(v >> 8);
        };
        put16(22, c.channels);
        kv::WriteLe32(wav.data() + 24, c.rate);
        kv::WriteLe32(wav.data() + 28, c.perSecond);
        put16(32, c.block);
        put16(34, c.bits);
        WriteFile("BAD.WAV", wav);
        kv::SoundBuffer buffer;
        EXPECT_FALSE(buffer.LoadWavMemory(wav.data(), 0, static_cast<std::int64_t>(wav.size()), audio_));
        EXPECT_FALSE(buffer.OpenWavStreamFile(Path("BAD.WAV"), audio_));
        EXPECT_FALSE(buffer.StartStream(false, true));
        buffer.Release();  // after a failed start
        EXPECT_TRUE(buffer.Play(false));  // empty: nothing to do
        EXPECT_FALSE(buffer.Stop());
    }
}

TEST_F(SoundBufferTest, OnlyPlainPcmIsPlayed) {
    // 8-bit mono at 8000 Hz: the same fields would pass as PCM whatever the tag says.
    struct Case {
        const char* what;
        std::uint16_t tag;
        std::uint8_t subFormat;  // first byte of the extensible sub-format (1 = PCM, 3 = float)
        bool plays;
    };
    const Case cases[] = {
        {"PCM", 1, 0, true},         {"extensible PCM", 0xFFFE, 1, true}, {"extensible float", 0xFFFE, 3, false},
        {"A-law", 6, 0, false},      {"mu-law", 7, 0, false},             {"ADPCM", 2, 0, false},
    };
    const std::uint8_t pcmGuidTail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> fmt(c.tag == 0xFFFE ? 40 : 16, 0);
        kv::WriteLe16(fmt.data(), c.tag);
        kv::WriteLe16(fmt.data() + 2, 1);
        kv::WriteLe32(fmt.data() + 4, 8000);
        kv::WriteLe32(fmt.data() + 8, 8000);
        kv::WriteLe16(fmt.data() + 12, 1);
        kv::WriteLe16(fmt.data() + 14, 8);
        if (c.tag == 0xFFFE) {
            kv::WriteLe16(fmt.data() + 16, 22);
            fmt[24] = c.subFormat;
            std::copy(std::begin(pcmGuidTail), std::end(pcmGuidTail), fmt.begin() + 26);
        }
        std::vector<std::uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
        wav.resize(wav.size() + 4);
        kv::WriteLe32(wav.data() + 16, static_cast<std::uint32_t>(fmt.size()));
        wav.insert(wav.end(), fmt.begin(), fmt.end());
        const std::uint8_t data[] = {'d', 'a', 't', 'a', 8, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
        wav.insert(wav.end(), std::begin(data), std::end(data));
        kv::WriteLe32(wav.data() + 4, static_cast<std::uint32_t>(wav.size() - 8));
        WriteFile("TAG.WAV", wav);
        kv::SoundBuffer buffer;
        EXPECT_EQ(buffer.LoadWavMemory(wav.data(), 0, static_cast<std::int64_t>(wav.size()), audio_), c.plays);
        EXPECT_EQ(buffer.OpenWavStreamFile(Path("TAG.WAV"), audio_), c.plays);
    }
}

TEST(VolumeToDbTest, PercentagesBecomeHundredthsOfADecibel) {
    struct Case {
        double value;
        bool pan;
        std::int32_t expected;
    };
    const Case cases[] = {
        {0, false, -10000}, {100, false, 0},    {50, false, -602},   {25, false, -1204},
        {10, false, -2000}, {1, false, -4000},  {40, false, -795},   {150, false, 352},
        {-5, false, INT32_MIN}, {NAN, false, INT32_MIN},
        {-100, true, -10000}, {100, true, 10000}, {0, true, 0}, {-50, true, -602}, {50, true, 602},
        {-150, true, INT32_MIN}, {150, true, INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << (c.pan ? " pan" : " volume"));
        EXPECT_EQ(kv::TruncateDb(c.pan ? kv::PanToDb(c.value, 100) : kv::VolumeToDb(c.value, 100)), c.expected);
    }
}

TEST_F(SoundBufferTest, TheManagerMakesItsChannelsOnce) {
    kv::SoundManager manager;
    EXPECT_FALSE(manager.CreatePrimary(44100));  // no device yet
    ASSERT_TRUE(manager.Create(&audio_));
    EXPECT_FALSE(manager.AllocChannels(0));
    EXPECT_FALSE(manager.AllocChannels(-3));
    ASSERT_TRUE(manager.CreatePrimary(44100));
    EXPECT_FALSE(manager.CreatePrimary(44100));
    ASSERT_TRUE(manager.AllocChannels(4));
    EXPECT_FALSE(manager.AllocChannels(8));
    EXPECT_EQ(manager.ChannelCount(), 4);
    EXPECT_NE(manager.Channel(3), nullptr);
    EXPECT_EQ(manager.Channel(4), nullptr);
    EXPECT_EQ(manager.Channel(-1), nullptr);
}

}  // namespace
