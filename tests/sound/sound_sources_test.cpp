// The WAV and Ogg Vorbis sources: headers that must be refused, the data size bounded by the
// file, the stream reads' wrap and end, and decoding that gives every sample.

#include <gtest/gtest.h>

#include <cstring>

#include "base/byte_order.h"
#include "sound/ogg_decoder.h"
#include "sound/wav_reader.h"
#include "tests/support/headless_game.h"
#include "tests/support/test_sounds.h"

namespace {

using kvtest::MakeWav;
using kvtest::RampPcm;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(WavReaderTest, HeadersThatAreNotAWaveSoundAreRefused) {
    const std::vector<std::uint8_t> good = MakeWav(2, 44100, 16, std::vector<std::uint8_t>(400, 1));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        bool opens;
        bool seeks;
    };
    auto patched = [&](std::size_t at, const std::string& text) {
        std::vector<std::uint8_t> file = good;
        std::memcpy(file.data() + at, text.data(), text.size());
        return file;
    };
    // "fmt " of 14 bytes: the chunk size says 14 and the data chunk follows at once.
    std::vector<std::uint8_t> shortFmt = good;
    kv::WriteLe32(shortFmt.data() + 16, 14);
    std::vector<std::uint8_t> noData = good;
    noData.resize(44 - 8);
    kv::WriteLe32(noData.data() + 4, static_cast<std::uint32_t>(noData.size() - 8));
    std::vector<std::uint8_t> hugeFmt = good;
    kv::WriteLe32(hugeFmt.data() + 16, 0x7FFFFFF0);
    const Case cases[] = {
        {"good", good, true, true},
        {"not RIFF", patched(0, "RIFX"), false, false},
        {"not WAVE", patched(8, "AVI "), false, false},
        {"no fmt", patched(12, "junk"), false, false},
        {"fmt of 14 bytes", shortFmt, false, false},
        {"fmt larger than the file (cut to it)", hugeFmt, true, false},
        {"no data", noData, true, false},
        {"empty", {}, false, false},
        {"only the RIFF word", Bytes("RIFF"), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kv::WavReader reader;
        const bool opened = reader.OpenMemory(c.file.data(), 0, static_cast<std::int64_t>(c.file.size()));
        EXPECT_EQ(opened, c.opens);
        if (opened) {
            EXPECT_EQ(reader.SeekData(), c.seeks);
        }
    }
}

TEST(WavReaderTest, FormatChunksLongerThanSixteenBytesAndOddChunksAreRead) {
    // An 18-byte fmt chunk and an odd-sized chunk before the data (padded to even).
    std::vector<std::uint8_t> file = MakeWav(1, 22050, 16, std::vector<std::uint8_t>(10, 9));
    std::vector<std::uint8_t> extended(file.begin(), file.begin() + 20);
    kv::WriteLe32(extended.data() + 16, 18);
    extended.insert(extended.end(), file.begin() + 20, file.begin() + 36);
    extended.insert(extended.end(), {0, 0});  // cbSize
    const char odd[] = "odd \x03\x00\x00\x00xyz\x00";
    extended.insert(extended.end(), odd, odd + 12);
    extended.insert(extended.end(), file.begin() + 36, file.end());
    kv::WriteLe32(extended.data() + 4, static_cast<std::uint32_t>(extended.size() - 8));
    kv::WavReader reader;
    ASSERT_TRUE(reader.OpenMemory(extended.data(), 0, static_cast<std::int64_t>(extended.size())));
    EXPECT_EQ(reader.Format().samplesPerSecond, 22050u);
    EXPECT_EQ(reader.Format().blockAlign, 2u);
    ASSERT_TRUE(reader.SeekData());
    EXPECT_EQ(reader.DataBytes(), 10u);
}

TEST(WavReaderTest, ADataSizeBeyondTheFileIsCutAndAShortReadFails) {
    std::vector<std::uint8_t> file = MakeWav(2, 44100, 16, std::vector<std::uint8_t>(400, 3));
    kv::WriteLe32(file.data() + 40, 0xFFFFFFF0);  // data size far beyond the file
    kv::WriteLe32(file.data() + 4, 0xFFFFFFF0);
    kv::WavReader reader;
    ASSERT_TRUE(reader.OpenMemory(file.data(), 0, static_cast<std::int64_t>(file.size())));
    ASSERT_TRUE(reader.SeekData());
    EXPECT_EQ(reader.DataBytes(), 400u);
    std::vector<std::uint8_t> out(800);
    EXPECT_FALSE(reader.Read(800, out.data()));
    EXPECT_TRUE(reader.Read(400, out.data()));
}

TEST(WavReaderTest, StreamReadsWrapAtTheEndOfTheData) {
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<std::uint8_t> file = MakeWav(1, 8000, 8, data);
    kv::WavReader reader;
    ASSERT_TRUE(reader.OpenMemory(file.data(), 0, static_cast<std::int64_t>(file.size())));
    ASSERT_TRUE(reader.SeekData());
    std::uint8_t out[20];
    // Exactly the bytes left: no wrap.
    ASSERT_TRUE(reader.StreamRead(8, out));
    EXPECT_FALSE(reader.End());
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 8), data);
    // The next read wraps at once, and a read longer than the data wraps twice.
    ASSERT_TRUE(reader.StreamRead(20, out));
    EXPECT_TRUE(reader.End());
    EXPECT_EQ(reader.EndPosition(), 0u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(out[i], data[i % 8]) << i;
    ASSERT_TRUE(reader.StreamRead(5, out));  // 4 left, then the start again
    EXPECT_TRUE(reader.End());
    EXPECT_EQ(reader.EndPosition(), 4u);
    EXPECT_EQ(out[4], 1);
    ASSERT_TRUE(reader.StreamRead(3, out));
    EXPECT_FALSE(reader.End());
    EXPECT_EQ(out[0], 2);

    // Data of 0 bytes streams silence instead of spinning.
    const std::vector<std::uint8_t> empty = MakeWav(1, 8000, 8, {});
    ASSERT_TRUE(reader.OpenMemory(empty.data(), 0, static_cast<std::int64_t>(empty.size())));
    ASSERT_TRUE(reader.SeekData());
    ASSERT_TRUE(reader.StreamRead(6, out));
    EXPECT_TRUE(reader.End());
    EXPECT_EQ(out[5], 0x80);
}

class OggDecoderTest : public kvtest::HeadlessGameTest {};

TEST_F(OggDecoderTest, FormatsAndWholeDecodes) {
    struct Case {
        std::uint16_t channels;
        std::uint32_t rate;
        std::uint16_t block;
        std::uint32_t perSecond;
    };
    for (const Case c : {Case{2, 44100, 4, 176400}, Case{1, 22050, 2, 44100}}) {
        SCOPED_TRACE(c.rate);
        const std::uint32_t frames = c.rate / 3;
        kv::OggDecoder decoder;
        ASSERT_TRUE(decoder.OpenImage(kvtest::EncodeOgg(c.channels, c.rate, kvtest::SinePcm(frames, c.channels, c.rate, 440, 8000))));
        EXPECT_EQ(decoder.Format().blockAlign, c.block);
        EXPECT_EQ(decoder.Format().averageBytesPerSecond, c.perSecond);
        EXPECT_EQ(decoder.TotalBytes(), frames * c.block);
        // Room for one frame less than a whole frame more: decoding stops short of it.
        std::vector<std::uint8_t> pcm(decoder.TotalBytes() + c.block - 1, 0xEE);
        ASSERT_TRUE(decoder.DecodeAll(pcm.data(), static_cast<std::uint32_t>(pcm.size())));
        EXPECT_EQ(pcm.back(), 0xEE);
        double energy = 0;
        for (std::size_t i = pcm.size() / 2; i + 1 < decoder.TotalBytes(); i += 2) {
            energy += std::abs(static_cast<std::int16_t>(pcm[i] | (pcm[i + 1] << 8)));
        }
        EXPECT_GT(energy, 0);  // the sound reaches its end
    }
    kv::OggDecoder decoder;
    EXPECT_FALSE(decoder.OpenImage(Bytes("OggS but not really a vorbis stream at all")));
    EXPECT_FALSE(decoder.OpenImage({}));
}

TEST_F(OggDecoderTest, StreamFillWrapsToTheFirstSamples) {
    const std::vector<std::uint8_t> ogg = kvtest::EncodeOgg(2, 44100, kvtest::SinePcm(1000, 2, 44100, 300, 9000));
    kv::OggDecoder whole;
    ASSERT_TRUE(whole.OpenImage(ogg));
    std::vector<std::uint8_t> reference(whole.TotalBytes());
    ASSERT_TRUE(whole.DecodeAll(reference.data(), whole.TotalBytes()));

    WriteFile("SHORT.OGG", ogg);
    kv::OggDecoder stream;
    ASSERT_FALSE(stream.StreamFill(reference.data(), 4));  // not opened on a file
    ASSERT_TRUE(stream.OpenFile(EngineFolder() + "SHORT.OGG"));
    std::vector<std::uint8_t> out(reference.size() * 2 + 400);
    ASSERT_TRUE(stream.StreamFill(out.data(), static_cast<std::uint32_t>(out.size())));
    EXPECT_TRUE(stream.End());
    EXPECT_EQ(stream.EndPosition(), reference.size());
    for (std::size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], reference[i % reference.size()]) << i;
    // The next fill goes on where the last stopped and meets no end.
    std::vector<std::uint8_t> more(100);
    ASSERT_TRUE(stream.StreamFill(more.data(), 100));
    EXPECT_FALSE(stream.End());
    EXPECT_EQ(more[0], reference[400]);
}

TEST(OggMemoryTest, SeekAndReadStayInsideTheImage) {
    kv::OggDecoder decoder;
    ASSERT_TRUE(decoder.OpenImage(kvtest::EncodeOgg(1, 22050, kvtest::SinePcm(500, 1, 22050, 200, 5000))));
    char byte = 0;
    EXPECT_EQ(kv::OggDecoder::MemSeek(&decoder, 0, SEEK_END), 0);
    EXPECT_EQ(kv::OggDecoder::MemRead(&byte, 1, 1, &decoder), 0u);
    EXPECT_EQ(kv::OggDecoder::MemSeek(&decoder, 1 << 20, SEEK_CUR), 0);
    EXPECT_EQ(kv::OggDecoder::MemRead(&byte, 1, 1, &decoder), 0u);
    EXPECT_EQ(kv::OggDecoder::MemSeek(&decoder, -5, SEEK_SET), -1);
    EXPECT_EQ(kv::OggDecoder::MemSeek(&decoder, 0, 99), -1);
    EXPECT_EQ(kv::OggDecoder::MemSeek(nullptr, 0, SEEK_SET), -1);
    EXPECT_EQ(kv::OggDecoder::MemTell(nullptr), -1);
    EXPECT_EQ(kv::OggDecoder::MemRead(&byte, 1, 1, nullptr), 0u);
}

}  // namespace
