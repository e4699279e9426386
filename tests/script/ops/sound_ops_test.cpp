// The sound channel operations run by scripts: channels made once, sounds found and played at
// the volume and pan of their settings, fades at their midpoints and ends, stops, the channel
// volume settings, what bad channel or pack numbers do, and a message window's voice played
// again.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/globals/globals.h"
#include "script/ops/sound_channels.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "sound/sound_buffer.h"
#include "sound/sound_manager.h"
#include "tests/script/ops/line_script_fixture.h"
#include "tests/support/test_sounds.h"

namespace {

class SoundOpsTest : public opstest::LineScriptTest {
public:
    void WriteSounds() {
        WriteFile("SE.WAV", kvtest::MakeWav16(2, 44100, kvtest::RampPcm(44100, 2)));
        WriteFile("snd/BGM.OGG", kvtest::EncodeOgg(2, 44100, kvtest::SinePcm(22050, 2, 44100, 220, 8000)));
    }
    kv::SoundBuffer& Channel(int i) { return *kv::g_soundManager->Channel(i); }
    std::vector<std::string> Boxes() { return BoxTexts(); }
};

TEST_F(SoundOpsTest, PlayedSoundsTakeTheVolumeAndPanOfTheirSettings) {
    WriteSounds();
    // Channel 0: base 80, volume variable 50 (40 %); channel 1 unbound (100 %), panned by C int 2.
    WriteScript("INIT",
                "ref cint[1]\npush 50\nassign\ndiscard\nref cint[2]\npush -50\nassign\ndiscard\n"
                "calld CreateSoundChannels 3\ncalld BindChannelVolumeVar 0, 1\ncalld SetChannelVolume 0, 80\n"
                "calld SetTableEntry 1, 2\ncalld SetChannelStreaming 1, 1\n"
                "calld PlayDSB 0, \"SE\", 0\ncalld PlayDSB 1, \"BGM\", 1\nline 1\n"
                "calld StopChannel 1\nline 2\n"
                "calld BindChannelVolumeVar 2, 99\ncalld PlayDSB 2, \"SE\", 0\nline 3\n"
                "l: line 4\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(kv::g_gameState.soundChannelCount, 3);
    EXPECT_EQ(Channel(0).Volume(), -795);
    EXPECT_EQ(Channel(0).GetStatus(), backend::kStatusPlaying);
    EXPECT_STREQ(kv::g_soundChannels[0].name, "SE");
    EXPECT_EQ(Channel(1).Volume(), 0);
    EXPECT_EQ(Channel(1).Pan(), -602);
    EXPECT_TRUE(Channel(1).IsStreaming());
    EXPECT_EQ(Channel(1).GetStatus(), backend::kStatusPlaying | backend::kStatusLooping);
    ASSERT_TRUE(RunToLine(2));
    EXPECT_TRUE(Channel(1).IsEmpty());
    // A volume variable outside bank C: the report, and the sound plays at the level it had.
    ASSERT_TRUE(RunToLine(3));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"error|Access violation in Scripts"});
    EXPECT_EQ(Channel(2).GetStatus(), backend::kStatusPlaying);
}

TEST_F(SoundOpsTest, FadesReachTheirMidpointsAndEnd) {
    WriteSounds();
    WriteScript("INIT",
                "calld CreateSoundChannels 2\ncalld PlayDSB 0, \"SE\", 1\ncalld StartVolumeFade 0, 2000\n"
                "calld FadeInPlayDSB 1, \"SE\", 1, 1000\nline 1\n"
                "l: line 2\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(Channel(1).Volume(), -10000);
    struct Step {
        std::uint32_t advance;
        std::int32_t fadeOut, fadeIn;
    };
    // After 500 ms the fade out is at 75 % (-249) and the fade-in at 50 % (-602); at 1000 ms 50 %
    // and 100 %; past its end the fade-in keeps its level and the fade out empties its channel.
    for (const Step s : {Step{500, -249, -602}, Step{500, -602, 0}, Step{600, -1397, 0}}) {
        Os().Clock().AdvanceClock(s.advance);
        Frame();
        EXPECT_EQ(Channel(0).Volume(), s.fadeOut);
        EXPECT_EQ(Channel(1).Volume(), s.fadeIn);
    }
    Os().Clock().AdvanceClock(500);
    Frame();
    EXPECT_TRUE(Channel(0).IsEmpty());
    EXPECT_EQ(kv::g_fades[0].active, 0);
    EXPECT_EQ(Channel(1).GetStatus(), backend::kStatusPlaying | backend::kStatusLooping);
}

TEST_F(SoundOpsTest, AFadeOfNoDurationEndsAtOnce) {
    WriteSounds();
    WriteScript("INIT", "calld CreateSoundChannels 1\ncalld PlayDSB 0, \"SE\", 1\ncalld StartVolumeFade 0, 0\n"
                        "line 1\nl: line 2\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(2));
    EXPECT_TRUE(Channel(0).IsEmpty());
}

TEST_F(SoundOpsTest, TheChannelVolumeSettingsClampAndApply) {
    WriteSounds();
    WriteScript("INIT",
                "calld CreateSoundChannels 1\ncalld PlayDSB 0, \"SE\", 1\ncalld BindChannelVolumeVar 0, 1\n"
                "ref cint[1]\npush 25\nassign\ndiscard\ncalld ApplyChannelVolume 0\nline 1\n"
                "calld SetChannelVolume 0, 150\nline 2\ncalld SetChannelVolume 0, -5\nline 3\n"
                // Settings far out of range: the product needs 64 bits, and the buffer refuses
                // the level it gives, keeping the one it had.
                "calld SetChannelVolume 0, 50\nref cint[1]\npush 2147483647\nassign\ndiscard\n"
                "calld ApplyChannelVolume 0\nline 4\n"
                "ref cint[1]\npush -2147483648\nassign\ndiscard\ncalld ApplyChannelVolume 0\nline 5\n"
                "l: line 6\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(Channel(0).Volume(), -1204);
    ASSERT_TRUE(RunToLine(2));
    EXPECT_EQ(kv::g_soundChannels[0].baseVolume, 100);
    ASSERT_TRUE(RunToLine(3));
    EXPECT_EQ(kv::g_soundChannels[0].baseVolume, 0);
    EXPECT_EQ(Channel(0).Volume(), -10000);
    for (int line : {4, 5}) {
        ASSERT_TRUE(RunToLine(line));
        EXPECT_EQ(Channel(0).Volume(), -1841);  // 50 x 25 / 100 = 12 %, set before line 4
    }
}

TEST_F(SoundOpsTest, BadChannelsPacksAndSoundsAreReportedAndHarmless) {
    WriteSounds();
    WriteScript("INIT",
                "calld PlayDSB 0, \"SE\", 0\ncalld StartVolumeFade 0, 100\ncalld CreateSoundChannels 2\n"
                "calld CreateSoundChannels 8\ncalld PlayDSB 2, \"SE\", 0\ncalld SetChannelVolume -1, 5\n"
                "calld PlayDSB 0, \"NONE\", 0\ncalld CreatePackFiles 1\ncalld SetPackFileName 0, \"MISSING\"\n"
                "calld SetPackFileName 3, \"X\"\nline 1\nl: line 2\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));
    EXPECT_EQ(kv::g_gameState.soundChannelCount, 2);
    EXPECT_EQ(kv::g_soundManager->ChannelCount(), 2);
    const std::vector<std::string> expected = {
        "error|There is no sound channel 0 in PlayDSB().",
        "error|There is no sound channel 0 in StartVolumeFade().",
        "error|There is no sound channel 2 in PlayDSB().",
        "error|There is no sound channel -1 in SetChannelVolume().",
        "error|NONE.OGG(or .WAV) is not found.",
        "error|This game failed to load a file in PlayDSB().",
        "warning|MISSING packfile is not found in SetPackFileName().",
        "error|There is no pack file 3 in SetPackFileName().",
    };
    EXPECT_EQ(Boxes(), expected);
    EXPECT_TRUE(WindowAlive());
}

TEST_F(SoundOpsTest, TheMixOfAPlayedSoundIsHeard) {
    Reinstall([&] {
        backend::HeadlessOptions options = DefaultOptions();
        options.captureAudio = true;
        return options;
    }());
    const std::vector<std::int16_t> ramp = kvtest::RampPcm(4410, 2);
    WriteFile("SE.WAV", kvtest::MakeWav16(2, 44100, ramp));
    WriteScript("INIT", "calld CreateSoundChannels 1\ncalld PlayDSB 0, \"SE\", 0\nline 1\nl: line 2\njmp l\n");
    Start();
    ASSERT_TRUE(RunToLine(1));
    Os().Audio().ClearCaptured();
    Os().Clock().AdvanceClock(200);
    const std::vector<std::int16_t>& heard = Os().Audio().Captured();
    ASSERT_EQ(heard.size(), 8820u * 2);
    EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), heard.begin()));
    EXPECT_EQ(heard[ramp.size()], 0);
}

TEST_F(SoundOpsTest, AWindowsVoicePlaysAgainOrWhatItsChannelHolds) {
    struct Case {
        const char* what;
        std::function<void(SoundOpsTest&)> change;  // after the voice was played once
        int window;
        std::vector<std::string> boxes;
        bool heard;  // the voice again, from its start
    };
    const std::vector<Case> cases = {
        {"the voice again", [](SoundOpsTest&) {}, 1, {}, true},
        {"the voice file gone: the channel's copy plays", [](SoundOpsTest& t) { t.RemoveFile("VOICE.WAV"); }, 1,
         {"error|VOICE.OGG(or .WAV) is not found.", "Warning|This game failed to load a voicefile in ReplayMsgBoxSound()."},
         true},
        {"a window without a voice", [](SoundOpsTest&) { kv::MessageWindowAt(1)->voiceName.clear(); }, 1, {}, false},
        {"a window that does not exist", [](SoundOpsTest&) {}, 5, {"error|Illiegal argments in ReplayMsgBoxSound()."},
         false},
        {"a voice on no channel", [](SoundOpsTest&) { kv::MessageWindowAt(0)->voiceName = "VOICE"; }, 0,
         {"Warning|This game failed to load a voicefile in ReplayMsgBoxSound().",
          "error|This game failed to play a voicefile in ReplayMsgBoxSound()."},
         false},
    };
    const std::vector<std::int16_t> voice = kvtest::RampPcm(441, 2, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        backend::HeadlessOptions options = DefaultOptions();
        options.captureAudio = true;
        Reinstall(options);
        WriteFile("VOICE.WAV", kvtest::MakeWav16(2, 44100, voice));
        WriteScript("INIT", "calld CreateSoundChannels 2\ncalld OpAllocTextWindows 2\ncalld SetMessageVoiceChannel 1, 1\n"
                            "line 1\ncalld ReplayMsgBoxSound 1\nline 2\ncalld ReplayMsgBoxSound " +
                                std::to_string(c.window) + "\nline 3\nl: line 4\njmp l\n");
        Start();
        ASSERT_TRUE(RunToLine(1));
        kv::MessageWindowAt(1)->voiceName = "VOICE";
        Os().Audio().ClearCaptured();
        ASSERT_TRUE(RunToLine(2));
        Os().Clock().AdvanceClock(50);
        const std::vector<std::int16_t>& first = Os().Audio().Captured();
        ASSERT_TRUE(first.size() >= voice.size() && std::equal(voice.begin(), voice.end(), first.begin()));

        c.change(*this);
        Os().Audio().ClearCaptured();
        ASSERT_TRUE(RunToLine(3));
        Os().Clock().AdvanceClock(50);
        const std::vector<std::int16_t>& heard = Os().Audio().Captured();
        const bool voiceHeard = heard.size() >= voice.size() && std::equal(voice.begin(), voice.end(), heard.begin());
        EXPECT_EQ(voiceHeard, c.heard);
        if (!c.heard) {
            EXPECT_TRUE(std::all_of(heard.begin(), heard.end(), [](std::int16_t v) { return v == 0; }));
        }
        EXPECT_EQ(Boxes(), c.boxes);
        EXPECT_TRUE(WindowAlive());
    }
}

}  // namespace
