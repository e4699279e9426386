// Operation 44 run by scripts on the virtual clock: the per-character flow and its waits, pages
// and the history, auto mode's deadline, skipping read and unread messages, the read flags, the
// voice, the interruptions of the click wait, the click-wait icons, and script errors.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "backend/event_queue.h"
#include "graphics/layer_set.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/ops/player_hooks.h"
#include "script/ops/sound_channels.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/vm/vm_state.h"
#include "sound/sound_buffer.h"
#include "tests/script/ops/script_frame_fixture.h"
#include "tests/support/test_sounds.h"

namespace {

namespace key = backend::key;

constexpr std::uint32_t kMessageFlow = 44;
enum : std::uint32_t { kReady, kFlow, kWaitClick, kWaitChar, kFlush };

// Bank C: integer 0 skip-all, 1 auto wait, 2 instant text, 3 voice volume; bytes are read flags.
constexpr const char* kSetUp = R"(
    calld CreateDirectInputManager
    calld BindSkipVar 0
    calld BindAutoWaitVar 1
    calld BindInstantTextVar 2
    calld OpAllocTextWindows 2
    calld SetMessageWindowRects 1, 40, 390, 720, 160, 50, 400, 700, 140
    calld ResetTextWindow 1
    calld SetMessageCharDelay 1, 10
)";

class MessageFlowTest : public opstest::ScriptFrameTest {
public:
    void SetUp() override {
        ScriptFrameTest::SetUp();
        WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\ncbyte 8\n");
        hooks_ = kv::ReplaceHooks(kv::PlayerHooks{
            .processSystemButton = [] { return buttonPressed_; },
            .addHistoryPage = [](std::int32_t window, std::string_view text) {
                pages_.push_back(std::to_string(window) + ":" + std::string(text));
            },
            .addHistoryVoice = [](std::int32_t x, std::int32_t y, std::string_view name, std::int32_t, std::int32_t) {
                voices_.push_back(std::string(name) + "@" + std::to_string(x) + "," + std::to_string(y));
                return true;
            },
        });
        pages_.clear();
        voices_.clear();
        buttonPressed_ = false;
    }
    void TearDown() override {
        kv::ReplaceHooks(hooks_);
        kv::ShutdownGame();
        kv::DestroyStaticObjects();
        ScriptFrameTest::TearDown();
    }

    // INIT: the set-up, the given lines (ending with the message), then a loop on a line marker.
    void Run(const std::string& lines, const std::string& prelude = "") {
        WriteScript("INIT", std::string(kSetUp) + prelude + lines + "\nl: line 9\njmp l\n");
        kv::ConstructStaticObjects();  // the click-wait icons
        Start();
        for (int i = 0; i < 40 && !Showing(); ++i) Frame();
        ASSERT_TRUE(Showing()) << ::testing::PrintToString(BoxTexts());
    }
    static bool Showing() { return kv::CurrentOp().operation == kMessageFlow; }
    static std::uint32_t Phase() { return kv::CurrentOp().phase; }
    static kv::MessageWindow& Window() { return *kv::MessageWindowAt(1); }
    // Frames, the clock moving step ms before each, until the operation stands in the phase or
    // ends; the frames run.
    int FramesUntil(std::uint32_t phase, std::uint32_t step = 10, int limit = 500) {
        int frames = 0;
        while (Showing() && Phase() != phase && frames < limit) {
            Os().Clock().AdvanceClock(step);
            Frame();
            ++frames;
        }
        return frames;
    }
    std::uint8_t ReadFlag(std::uint32_t id) { return *kv::g_vm->CByte(id); }
    void SetC(std::uint32_t index, std::int32_t value) { *kv::g_vm->CInt(index) = value; }
    std::uint32_t Now() { return Os().Clock().TickCount(); }

    static inline std::vector<std::string> pages_;
    static inline std::vector<std::string> voices_;
    static inline bool buttonPressed_ = false;

private:
    kv::PlayerHooks hooks_;
};

TEST_F(MessageFlowTest, CharactersFlowOnePerTimerFiringThenWaitTurnThePageAndEnd) {
    Run(R"(call MessageFlow 1, "Hello\w\pWorld", 0, 5)");
    Frame();  // phase 0
    ASSERT_EQ(Phase(), kFlow);
    std::vector<std::string> shown;
    while (Showing() && Phase() != kWaitClick) {
        if (Phase() == kWaitChar) shown.push_back(Window().pageText);
        Os().Clock().AdvanceClock(10);
        Frame();
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"H", "He", "Hel", "Hell", "Hello"}));
    EXPECT_EQ(Window().pageText, std::string("Hello\x02"));
    Frames(5);
    EXPECT_EQ(Phase(), kWaitClick);  // no click, no end
    TapButton(0);
    FramesUntil(~0u);
    EXPECT_EQ(pages_, std::vector<std::string>{std::string("1:Hello\x02\x03")});
    EXPECT_FALSE(Showing());
    EXPECT_EQ(Window().pageText, "World");
    EXPECT_EQ(ReadFlag(5), 1);
}

TEST_F(MessageFlowTest, AClickDuringTheFlowShowsTheRestOfThePageAndWaitsAtTheNextCode) {
    Run(R"(call MessageFlow 1, "abcdefgh\wijk", 0, 1)");
    Frames(3);
    ASSERT_EQ(Phase(), kWaitChar);
    TapButton(0);
    EXPECT_EQ(Phase(), kWaitClick);
    EXPECT_EQ(Window().pageText, std::string("abcdefgh\x02"));
}

TEST_F(MessageFlowTest, AutoModeWaitsPerCharacterAndForTheVoice) {
    struct Case {
        const char* name;
        bool voiced;
        std::int32_t volume;   // of the voice channel, percent
        std::uint32_t expect;  // ms from the click-wait code to the next page
    };
    // 10 characters at 50 ms; the voice lasts 3000 ms and starts 1000 ms before the code.
    const Case cases[] = {
        {"no voice", false, 100, 500},
        {"voice", true, 100, 3000},
        {"muted voice", true, 0, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\ncbyte 8\n");
        WriteFile("VOICE.WAV", kvtest::MakeWav16(1, 22050, kvtest::RampPcm(22050 * 3, 1)));
        const std::string message = c.voiced ? R"(call MessageFlow 1, "VOICE", "0123456789\wX", 3, 2)"
                                              : R"(call MessageFlow 1, "0123456789\wX", 0, 2)";
        Run(message, "calld CreateSoundChannels 1\ncalld BindChannelVolumeVar 0, 3\ncalld SetMessageVoiceChannel 1, 0\n"
                     "calld StartAutoMode\n");
        SetC(1, 50);
        SetC(2, 1);  // instant text: the page up to the code comes at once
        SetC(3, c.volume);
        Os().Clock().AdvanceClock(5);  // tick 0 would read as "no voice"
        Frame();  // the voice starts
        ASSERT_EQ(Phase(), kFlush);
        Os().Clock().AdvanceClock(1000);
        Frame();
        ASSERT_EQ(Phase(), kWaitClick);
        const std::uint32_t codeTime = Now();
        while (Showing() && Phase() == kWaitClick && Now() - codeTime < 10000) {
            Os().Clock().AdvanceClock(1);
            Frame();
        }
        EXPECT_EQ(Now() - codeTime, c.expect);
    }
}

TEST_F(MessageFlowTest, SkippingReadMessagesAndStoppingAtUnreadOnes) {
    struct Case {
        const char* name;
        bool readBefore, skipAll, ctrl, skipMode;
        std::uint32_t phaseAfterReady;
        bool skipModeAtTheWait;
    };
    const Case cases[] = {
        {"read, Ctrl", true, false, true, false, kFlush, false},
        {"read, skip mode", true, false, false, true, kFlush, true},
        {"unread, Ctrl", false, false, true, false, kFlow, false},
        {"unread, skip mode stops", false, false, false, true, kFlow, false},
        {"unread, skip all", false, true, false, true, kFlush, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\ncbyte 8\n");
        Run(R"(call MessageFlow 1, "ab\wcd", 0, 3)");
        *kv::g_vm->CByte(3) = c.readBefore ? 1 : 0;
        SetC(0, c.skipAll ? 1 : 0);
        if (c.ctrl) Os().Events().QueueKey(key::LeftControl, true);
        kv::g_gameState.skipMode = c.skipMode ? 1 : 0;
        Frame();
        EXPECT_EQ(Phase(), c.phaseAfterReady);
        if (c.phaseAfterReady == kFlush) {
            FramesUntil(~0u);
            // Skipping runs on through the wait as well.
            EXPECT_FALSE(Showing());
        } else {
            FramesUntil(kWaitClick);
            Frame();
            EXPECT_EQ(kv::g_gameState.skipMode != 0, c.skipModeAtTheWait);
        }
        if (c.ctrl) Os().Events().QueueKey(key::LeftControl, false);
    }
}

TEST_F(MessageFlowTest, TheWaitYieldsToASystemButtonAndTheRightClick) {
    WriteScript("RCLICK", "calld OpSetCaption \"right click\"\nret\n");
    Run(R"(call MessageFlow 1, "ab\wcd", 0, 1)", "calld SetRightClickEnable 1\n");
    FramesUntil(kWaitClick);
    buttonPressed_ = true;
    Frame();
    EXPECT_FALSE(Showing());  // the button's script runs now (the hook stands for it)
    buttonPressed_ = false;

    Restart();
    WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\ncbyte 8\n");
    WriteScript("RCLICK", "calld OpSetCaption \"right click\"\nret\n");
    Run(R"(call MessageFlow 1, "ab\wcd", 0, 1)", "calld SetRightClickEnable 1\n");
    FramesUntil(kWaitClick);
    TapButton(1);
    EXPECT_EQ(kv::g_gameState.opSaveTop, 0);
    for (int i = 0; i < 10 && !(Showing() && kv::g_gameState.opSaveTop < 0); ++i) Frame();
    EXPECT_EQ(Caption().find("right click") != std::string::npos, true);
    EXPECT_TRUE(Showing());
    EXPECT_EQ(Phase(), kWaitClick);  // back in the wait it left
    TapButton(0);
    FramesUntil(~0u);
    EXPECT_FALSE(Showing());
}

TEST_F(MessageFlowTest, ALineBreakOnTheLastLineTurnsThePageIntoTheHistory) {
    // Text rectangle 30 px high: one line.
    Run(R"(call MessageFlow 1, "A\nB", 0, 1)", "calld SetMessageWindowRects 1, 40, 390, 720, 160, 50, 400, 700, 30\n");
    FramesUntil(~0u);
    EXPECT_EQ(pages_, std::vector<std::string>{std::string("1:A\x01")});
    EXPECT_EQ(Window().pageText, "B");
}

TEST_F(MessageFlowTest, AWindowArrayMadeAnewDuringTheWaitEndsTheMessageQuietly) {
    WriteScript("RCLICK", "calld OpAllocTextWindows 1\nret\n");
    Run(R"(call MessageFlow 1, "ab\wcd", 0, 1)", "calld SetRightClickEnable 1\n");
    FramesUntil(kWaitClick);
    TapButton(1);
    for (int i = 0; i < 10 && !(Showing() && kv::g_gameState.opSaveTop < 0); ++i) Frame();
    Frames(3);
    EXPECT_FALSE(Showing());
    EXPECT_EQ(kv::g_gameState.messageWindowCount, 1);
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(MessageFlowTest, TheVoiceStartsWithItsMessageAndIsRecorded) {
    WriteFile("LINE.WAV", kvtest::MakeWav16(1, 22050, kvtest::RampPcm(22050, 1)));
    Run(R"(call MessageFlow 1, "LINE", "ab", 3, 1)", "calld CreateSoundChannels 1\ncalld SetMessageVoiceChannel 1, 0\n");
    Frame();
    const kv::SoundBuffer* voice = kv::ChannelBuffer(0);
    ASSERT_NE(voice, nullptr);
    EXPECT_NE(voice->GetStatus(), 0u);
    EXPECT_EQ(kv::g_gameState.voicedWindow, 1);
    EXPECT_EQ(Window().voiceName, "LINE");
    EXPECT_EQ(voices_, std::vector<std::string>{"LINE@50,0"});
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(MessageFlowTest, ScriptErrorsAreReportedWithoutHarm) {
    struct Case {
        const char* name;
        std::string lines;
        std::string box;
        bool quits;
        std::int32_t marked;  // the read flag set, -1 none
    };
    const Case cases[] = {
        {"message id outside the flags", R"(call MessageFlow 1, "ab", 0, 99)", "error|Access violation in Scripts",
         false, -1},
        {"window outside the array", R"(call MessageFlow 7, "ab", 0, 1)",
         "error|Illiegal argments in MessageFlowReady().", true, -1},
        {"window of a text operand", R"(call MessageFlow "x", "ab", 0, 1)",
         "error|Illiegal argments in MessageFlowReady().", true, -1},
        {"voice without a channel", R"(call MessageFlow 1, "NONE", "ab", 3, 1)",
         "Warning|This game failed to load voice-files in MessageFlowReady().", false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\ncbyte 8\n");
        Run(c.lines);
        FramesUntil(~0u);
        ASSERT_FALSE(BoxTexts().empty());
        EXPECT_EQ(BoxTexts().front(), c.box);
        EXPECT_EQ(kv::CurrentOp().operation == kv::kOpQuit, c.quits);
        for (std::uint32_t id = 0; id < 8; ++id) EXPECT_EQ(ReadFlag(id), static_cast<std::int32_t>(id) == c.marked ? 1 : 0) << id;
    }
    // Before operation 29 there is no window at all.
    Restart();
    WriteScript("INIT", "call MessageFlow 0, \"ab\", 0, 1\nl: line 9\njmp l\n");
    Start();
    Frames(3);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|Illiegal argments in MessageFlowReady()."});
}

TEST_F(MessageFlowTest, ClickWaitIconsAnimateAtTheirPaceAndLeaveNothingBehind) {
    Run(R"(call MessageFlow 1, "a\wb", 0, 1)", "calld DefineClickWaitIcon 0, 0, 600, 500, 0, 0, 8, 8, 4, 100\n"
                                              "calld SetClickWaitIconEnable 0, 1\n");
    // The icon's frames: a layer of four 8 x 8 frames in four colours, masked fully.
    kv::LayerSet& layers = *kv::g_gameScreenLayers;
    ASSERT_TRUE(layers.AllocBank(1, kv::LayerBank::Picture));
    ASSERT_TRUE(layers.AllocBank(1, kv::LayerBank::Mask));
    auto& strip = layers.GetLayer(0)->surface;
    strip = std::make_unique<kv::Surface>();
    ASSERT_TRUE(strip->Create(32, 8, 24));
    for (int k = 0; k < 4; ++k) strip->FillRect24(k * 8, 0, 8, 8, static_cast<std::uint8_t>(10 + k), 0, 0);
    layers.GetLayer(0)->maskIndex = 0;
    auto& mask = layers.GetMaskLayer(0)->surface;
    mask = std::make_unique<kv::Surface>();
    ASSERT_TRUE(mask->Create(32, 8, 24));
    FramesUntil(kWaitClick);
    std::vector<int> frames;
    for (int i = 0; i < 6; ++i) {
        Os().Clock().AdvanceClock(101);  // the timer fires once the interval has fully passed
        Frame();
        frames.push_back(kv::g_screenSurface->PixelAt(600, 500)[2] - 10);
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 0, 1}));
    TapButton(0);
    EXPECT_NE(kv::g_screenSurface->PixelAt(600, 500)[2], 11);  // restored from work surface 1

    // A shorter strip keeps the current frame inside it; counts of 0 and 1 stay on frame 0.
    kv::ClickWaitIcon& icon = *kv::ClickWaitIconAt(0);
    for (std::int32_t count : {0, 1}) {
        icon.frameCount = count;
        icon.currentFrame = 0;
        kv::NextClickWaitIconFrame(icon);
        kv::NextClickWaitIconFrame(icon);
        EXPECT_EQ(icon.currentFrame, 0);
    }
    // Operation 90 with a shorter strip keeps the current frame on it.
    icon.frameCount = 4;
    icon.currentFrame = 3;
    for (std::uint32_t operand : {0u, 0u, 600u, 500u, 0u, 0u, 8u, 8u, 2u, 100u}) kv::g_vm->Push(0, operand);
    kv::DefineClickWaitIcon();
    kv::g_vm->Pop();
    EXPECT_EQ(icon.currentFrame, 1);
    EXPECT_TRUE(icon.enabled);
    // No layer, or a layer without a mask: the step draws nothing and nothing breaks.
    icon.layer = -1;
    kv::StepClickWaitIcon(0);
    icon.layer = 0;
    layers.GetLayer(0)->maskIndex = -1;
    kv::StepClickWaitIcon(0);
}

}  // namespace
