// The mixing core: positions, loops, notifications and stops of a buffer, its locked regions and
// controls, conversion from other rates to the last sample, and a stream fed from another thread.

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "backend/headless/headless_audio.h"
#include "tests/support/test_sounds.h"

namespace {

using backend::kStatusLooping;
using backend::kStatusPlaying;

backend::PcmFormat Pcm(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    const auto block = static_cast<std::uint16_t>(channels * bits / 8);
    return {channels, rate, bits, block, rate * block};
}

std::unique_ptr<backend::AudioBuffer> BufferOf(backend::AudioDevice& device, const std::vector<std::int16_t>& stereo) {
    auto buffer = device.CreateBuffer(Pcm(2, 44100, 16), static_cast<std::uint32_t>(stereo.size() * 2));
    backend::LockedRegion region;
    EXPECT_TRUE(buffer->Lock(0, static_cast<std::uint32_t>(stereo.size() * 2), region));
    std::memcpy(region.first, stereo.data(), region.firstBytes);
    EXPECT_TRUE(buffer->Unlock(region));
    return buffer;
}

// Renders frames more and returns them (stereo samples).
std::vector<std::int16_t> Render(backend::HeadlessAudio& audio, std::uint32_t frames) {
    std::vector<std::int16_t> out(frames * 2);
    audio.Render(out.data(), frames);
    return out;
}

bool Signalled(backend::AudioDevice& device, const backend::AudioEventPtr& event) {
    const backend::AudioEventPtr events[] = {event};
    return device.WaitForEvents(events, 0) == 0;
}

TEST(MixerTest, ABufferPlaysLoopsStopsAndNotifies) {
    backend::HeadlessAudio audio;
    const std::vector<std::int16_t> ramp = kvtest::RampPcm(1000, 2);
    auto buffer = BufferOf(audio, ramp);
    auto atStart = audio.CreateEvent();
    auto atHalf = audio.CreateEvent();
    auto atStop = audio.CreateEvent();
    ASSERT_TRUE(buffer->SetNotificationPositions({{0, atStart}, {2000, atHalf}, {backend::kNotifyAtStop, atStop}}));
    EXPECT_FALSE(buffer->SetNotificationPositions({{4000, atStart}}));  // outside the buffer

    ASSERT_TRUE(buffer->Play(true));
    EXPECT_EQ(buffer->Status(), kStatusPlaying | kStatusLooping);
    EXPECT_TRUE(Signalled(audio, atStart));
    std::vector<std::int16_t> heard = Render(audio, 499);
    EXPECT_FALSE(Signalled(audio, atHalf));
    std::vector<std::int16_t> more = Render(audio, 1001);  // through the half, the end and the start again
    heard.insert(heard.end(), more.begin(), more.end());
    EXPECT_TRUE(Signalled(audio, atHalf));
    EXPECT_TRUE(Signalled(audio, atStart));
    for (std::size_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], ramp[i % ramp.size()]) << i;
    std::uint32_t play = 0, write = 0;
    buffer->GetPositions(play, write);
    EXPECT_EQ(play, 500u * 4);
    EXPECT_EQ(write, (play + 512 * 4) % 4000);  // one period ahead

    // Once: it ends at the last frame, goes back to the start and tells its stop.
    ASSERT_TRUE(buffer->Play(false));
    more = Render(audio, 600);
    EXPECT_EQ(more[2 * 499], ramp[2 * 999]);
    EXPECT_EQ(more[2 * 500], 0);
    EXPECT_EQ(buffer->Status(), 0u);
    EXPECT_TRUE(Signalled(audio, atStop));
    buffer->GetPositions(play, write);
    EXPECT_EQ(play, 0u);

    // Stopped at a point, it stays there.
    ASSERT_TRUE(buffer->Play(false));
    buffer->StopAt(400);
    more = Render(audio, 200);
    EXPECT_EQ(more[2 * 99], ramp[2 * 99]);
    EXPECT_EQ(more[2 * 100], 0);
    buffer->GetPositions(play, write);
    EXPECT_EQ(play, 400u);
    EXPECT_TRUE(buffer->Stop());
}

TEST(MixerTest, LockedRegionsWrapAndControlsKeepTheirRanges) {
    backend::HeadlessAudio audio;
    auto buffer = audio.CreateBuffer(Pcm(2, 44100, 16), 400);
    backend::LockedRegion region;
    ASSERT_TRUE(buffer->Lock(300, 200, region));
    EXPECT_EQ(region.firstBytes, 100u);
    EXPECT_EQ(region.secondBytes, 100u);
    EXPECT_FALSE(buffer->Lock(0, 4, region));  // one lock at a time
    std::memset(region.first, 0x11, 100);
    std::memset(region.second, 0x22, 100);
    ASSERT_TRUE(buffer->Unlock(region));
    ASSERT_TRUE(buffer->Lock(0, 400, region));
    EXPECT_EQ(region.first[0], 0x22);
    EXPECT_EQ(region.first[99], 0x22);
    EXPECT_EQ(region.first[100], 0);
    EXPECT_EQ(region.first[300], 0x11);
    ASSERT_TRUE(buffer->Unlock(region));
    EXPECT_FALSE(buffer->Lock(400, 4, region));
    EXPECT_EQ(audio.CreateBuffer(Pcm(2, 44100, 16), 401), nullptr);  // not whole frames
    EXPECT_EQ(audio.CreateBuffer(Pcm(3, 44100, 16), 600), nullptr);
    EXPECT_EQ(audio.CreateBuffer(Pcm(2, 44100, 16), 0), nullptr);

    struct Case {
        std::int32_t value;
        bool volume;  // else pan
        bool taken;
    };
    for (const Case c : {Case{-10000, true, true}, Case{0, true, true}, Case{1, true, false},
                         Case{-10001, true, false}, Case{10000, false, true}, Case{-10001, false, false},
                         Case{10001, false, false}}) {
        SCOPED_TRACE(c.value);
        const std::int32_t before = c.volume ? buffer->Volume() : buffer->Pan();
        EXPECT_EQ(c.volume ? buffer->SetVolume(c.value) : buffer->SetPan(c.value), c.taken);
        EXPECT_EQ(c.volume ? buffer->Volume() : buffer->Pan(), c.taken ? c.value : before);
    }
    EXPECT_FALSE(buffer->SetFrequency(99));
    EXPECT_FALSE(buffer->SetFrequency(200001));
    EXPECT_TRUE(buffer->SetFrequency(22050));
    EXPECT_EQ(buffer->Frequency(), 22050u);
}

TEST(MixerTest, VolumeAndPanScaleEachSide) {
    backend::HeadlessAudio audio;
    const std::vector<std::int16_t> level(2 * 64, 16000);
    auto buffer = BufferOf(audio, level);
    struct Case {
        std::int32_t volume, pan;
        std::int16_t left, right;
    };
    // -602 is half the amplitude; a pan attenuates the side away from it.
    for (const Case c : {Case{0, 0, 16000, 16000}, Case{-602, 0, 8000, 8000}, Case{0, 602, 8000, 16000},
                         Case{0, -602, 16000, 8000}, Case{0, 10000, 0, 16000}, Case{-10000, 0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan);
        ASSERT_TRUE(buffer->SetVolume(c.volume));
        ASSERT_TRUE(buffer->SetPan(c.pan));
        ASSERT_TRUE(buffer->SetPosition(0));
        ASSERT_TRUE(buffer->Play(false));
        const std::vector<std::int16_t> out = Render(audio, 8);
        EXPECT_NEAR(out[0], c.left, 2);
        EXPECT_NEAR(out[1], c.right, 2);
        buffer->Stop();
    }
    // Two loud voices saturate instead of wrapping around.
    auto second = BufferOf(audio, std::vector<std::int16_t>(2 * 64, 30000));
    buffer->SetVolume(0);
    buffer->SetPan(0);
    buffer->SetPosition(0);
    buffer->Play(false);
    second->Play(false);
    EXPECT_EQ(Render(audio, 4)[0], 32767);
}

// A whole sound at another rate is converted once, when written; a ring with notifications as
// it plays. Both give the same frames: once, to the last sample; looped, without a seam (a
// loop that makes a whole number of mix-rate frames; another comes round a fraction of a frame
// early).
TEST(MixerTest, OtherRatesAreConvertedWholeOrWhilePlayingAlike) {
    for (std::uint32_t rate : {22050u, 11025u, 48000u, 32000u, 8000u}) {
        for (int form = 0; form < 3; ++form) {
            const bool looping = form == 1;
            const std::uint32_t frames = rate / 4 + (form == 2 ? 1 : 0);  // a quarter of a second
            SCOPED_TRACE(testing::Message() << rate << (looping ? " looped " : " once ") << frames);
            backend::HeadlessAudio audio;
            const std::vector<std::uint8_t> pcm = kvtest::PcmBytes(kvtest::SinePcm(frames, 1, rate, 210, 12000));
            std::unique_ptr<backend::AudioBuffer> buffers[2];
            for (int ring = 0; ring < 2; ++ring) {
                buffers[ring] = audio.CreateBuffer(Pcm(1, rate, 16), frames * 2);
                if (ring) {
                    ASSERT_TRUE(buffers[ring]->SetNotificationPositions({{0, audio.CreateEvent()}}));
                }
                backend::LockedRegion region;
                ASSERT_TRUE(buffers[ring]->Lock(0, frames * 2, region));
                std::memcpy(region.first, pcm.data(), pcm.size());
                ASSERT_TRUE(buffers[ring]->Unlock(region));
            }
            std::vector<std::int16_t> heard[2];
            for (int ring = 0; ring < 2; ++ring) {
                ASSERT_TRUE(buffers[ring]->Play(looping));
                heard[ring] = Render(audio, 44100 * 3 / 4);
                buffers[ring]->Stop();
            }
            for (std::size_t i = 0; i < heard[0].size(); ++i) ASSERT_EQ(heard[0][i], heard[1][i]) << i / 2;
            // Heard once, the last loud sample lies within a few samples of the quarter second.
            std::size_t last = 0;
            for (std::size_t i = 0; i < heard[0].size() / 2; ++i) {
                if (std::abs(heard[0][2 * i]) > 1000) last = i;
            }
            EXPECT_NEAR(static_cast<double>(last), looping ? 44100 * 3 / 4 - 1 : frames * 44100.0 / rate, 30.0);
        }
    }
}

TEST(MixerTest, AWholeSoundKeepsItsPlaceWhenItsRateOrBytesChange) {
    backend::HeadlessAudio audio;
    const std::vector<std::uint8_t> pcm = kvtest::PcmBytes(kvtest::RampPcm(22050, 1));
    auto buffer = audio.CreateBuffer(Pcm(1, 22050, 16), 44100);
    backend::LockedRegion region;
    ASSERT_TRUE(buffer->Lock(0, 44100, region));
    std::memcpy(region.first, pcm.data(), pcm.size());
    ASSERT_TRUE(buffer->Unlock(region));
    ASSERT_TRUE(buffer->Play(false));
    struct Step {
        std::uint32_t hz;        // set before rendering; 0: the bytes are written again
        std::uint32_t rendered;  // mix-rate frames
        std::uint32_t at;        // the buffer's frame afterwards
    };
    for (const Step s : {Step{22050, 22050, 11025}, Step{11025, 11025, 13781}, Step{0, 4410, 14883},
                         Step{44100, 4410, 19293}}) {
        SCOPED_TRACE(s.at);
        if (s.hz) {
            ASSERT_TRUE(buffer->SetFrequency(s.hz));
        } else {
            ASSERT_TRUE(buffer->Lock(0, 4, region));
            ASSERT_TRUE(buffer->Unlock(region));
        }
        Render(audio, s.rendered);
        std::uint32_t play = 0, write = 0;
        buffer->GetPositions(play, write);
        EXPECT_NEAR(play / 2.0, s.at, 1.0);
        EXPECT_EQ(buffer->Status(), kStatusPlaying);
    }
}

TEST(MixerTest, AStreamPlaysWhatAnotherThreadWrites) {
    backend::HeadlessAudio audio;
    auto stream = audio.CreateStream(Pcm(2, 44100, 16), 4096);
    ASSERT_NE(stream, nullptr);
    const std::vector<std::int16_t> ramp = kvtest::RampPcm(6000, 2);
    std::vector<std::int16_t> heard;
    std::thread producer([&] {
        std::size_t done = 0;
        while (done < 6000) {
            done += stream->Write(reinterpret_cast<const std::uint8_t*>(ramp.data() + 2 * done), 6000 - done);
            std::this_thread::yield();
        }
    });
    while (heard.size() < ramp.size()) {
        const std::size_t queued = stream->QueuedFrames();
        std::vector<std::int16_t> out = Render(audio, static_cast<std::uint32_t>(std::min<std::size_t>(queued, 512)));
        heard.insert(heard.end(), out.begin(), out.end());
    }
    producer.join();
    EXPECT_EQ(heard, ramp);
    EXPECT_EQ(stream->PlayedFrames(), 6000u);
    EXPECT_EQ(Render(audio, 10)[0], 0);  // nothing queued: silence
}

TEST(MixerTest, AFeederThreadNeverResumedEndsWithoutRunning) {
    backend::HeadlessAudio audio;
    bool ran = false;
    auto thread = audio.CreateFeederThread([&] { ran = true; });
    thread->Join();
    EXPECT_FALSE(ran);
    auto resumed = audio.CreateFeederThread([&] { ran = true; });
    resumed->Resume();
    resumed.reset();
    EXPECT_TRUE(ran);
}

}  // namespace
