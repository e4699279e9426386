// Operation 26 driven by scripts: each of the six screen effects presented step by step and
// compared with reference pictures computed from the formulas, the ways an effect is skipped,
// the script running on during an effect, clicks made while it runs on, and the argument
// errors.

#include <gtest/gtest.h>

#include "app/globals/globals.h"
#include "backend/key_codes.h"
#include "graphics/layer_set.h"
#include "script/ops/op_state.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/layer_scene_fixture.h"

namespace {

using opstest::Picture;

class EffectOpsTest : public opstest::LayerSceneTest {
public:
    void SetUp() override {
        LayerSceneTest::SetUp();
        old_ = WritePattern("OLD", 800, 600, 11);
        new_ = WritePattern("NEW", 800, 600, 12);
        wipe_ = WritePattern("WIPE", 800, 600, 13);
    }

    // A scene of OLD shown at once, then NEW brought in by op 26 with the arguments given (in
    // script order, count included); the caption "over" follows it.
    void WriteEffectScript(const std::string& effectArguments, const std::string& before = "",
                           const std::string& after = "") {
        WriteScript("INIT", EffectsOn() + before + R"(
            calld CreateDirectInputManager
            calld AllocLayers 1
            calld AllocMaskLayers 1
            calld LoadMaskLayer 0, "wipe"
            calld LoadLayer 0, "old"
            calld SetLayerRect 0, 0, 0, -1, -1
            calld SetLayerVisible 0, 1
            calld StartupGraphicEffect -1, 1
            calld OpSetCaption "old shown"
            calld LoadLayer 0, "new"
            calld SetGraphicEffectInterval 10
            calld StartupGraphicEffect )" + effectArguments + "\n" + after + R"(
            calld OpSetCaption "over"
        l:  line 1
            jmp l
        )");
    }

    // Runs the effect to its end, one step a frame, and gives the pictures presented meanwhile.
    // The clock stands still until the script has reached the caption given.
    std::vector<Picture> RunEffect(const std::string& caption = "") {
        Start();
        EXPECT_TRUE(RunUntilCaption("old shown"));
        for (int i = 0; i < 10 && !kv::g_gameState.effectRunning; ++i) Frame();
        EXPECT_EQ(kv::g_gameState.effectRunning, 1);
        if (!caption.empty()) {
            EXPECT_TRUE(RunUntilCaption(caption));
        }
        Os().Windows().ClearFrames();
        for (int i = 0; i < 100 && kv::g_gameState.effectRunning; ++i) {
            Os().Clock().AdvanceClock(11);
            Frame();
        }
        EXPECT_EQ(kv::g_gameState.effectRunning, 0);
        return PresentedPictures();
    }

    // What each step shows, from the formulas: the first source's byte moves toward the
    // second's by a weight; the strips copy whole lines of the new picture over the old.
    Picture CrossFade(std::int32_t step) const {
        Picture out = old_;
        for (std::size_t i = 0; i < out.bgr.size(); ++i) out.bgr[i] = opstest::TowardByte(old_.bgr[i], new_.bgr[i], step);
        return out;
    }
    Picture MaskWipe(std::int32_t step, const Picture* mask = nullptr) const {
        Picture out = old_;
        for (std::size_t i = 0; i < out.bgr.size(); ++i) {
            const std::int32_t m = mask ? mask->bgr[i] : wipe_.bgr[i];
            out.bgr[i] = opstest::TowardByte(old_.bgr[i], new_.bgr[i], std::clamp(m + step - 256, 0, 255));
        }
        return out;
    }
    // Lines that are open: for the blinds every line 20 i + t with t up to the step; for the
    // cascades line 20 j + k of strip j with k up to step - j (at most 19).
    Picture Strips(std::int32_t step, bool columns, bool cascade) const {
        Picture out = old_;
        const std::int32_t strips = columns ? 40 : 30;
        for (std::int32_t strip = 0; strip < strips; ++strip) {
            const std::int32_t opened = cascade ? std::min(step - strip, 19) : step;
            for (std::int32_t k = 0; k <= opened; ++k) {
                const std::int32_t line = 20 * strip + k;
                for (std::int32_t along = 0; along < (columns ? 600 : 800); ++along) {
                    const std::int32_t x = columns ? line : along, y = columns ? along : line;
                    if (out.Contains(x, y)) std::copy_n(new_.At(x, y), 3, out.At(x, y));
                }
            }
        }
        return out;
    }

    Picture old_, new_, wipe_;
};

TEST_F(EffectOpsTest, EachEffectShowsTheStepsItsFormulaGives) {
    struct Case {
        const char* arguments;  // kind, parameters, run-on flag, count
        std::vector<std::int32_t> steps;
    };
    std::vector<std::int32_t> blinds, cascade;
    for (std::int32_t s = 0; s <= 20; ++s) blinds.push_back(s);
    for (std::int32_t s = 0; s <= 60; ++s) cascade.push_back(s);
    const Case cases[] = {
        {"0, 4, byte 0, 3", {0, 64, 128, 192, 256}},
        {"0, 0, byte 0, 3", {0, 256}},  // no step count: two steps
        {"1, 4, 0, byte 0, 4", {0, 128, 256, 384, 511}},
        {"1, 1, 0, byte 0, 4", {0, 256, 511}},  // half a step rounds to none: the whole way at once
        {"2, byte 0, 2", blinds},
        {"3, byte 0, 2", blinds},
        {"4, byte 0, 2", cascade},
        {"5, byte 0, 2", cascade},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        Restart();
        WriteEffectScript(c.arguments);
        const std::vector<Picture> frames = RunEffect();
        const int kind = c.arguments[0] - '0';
        ASSERT_EQ(frames.size(), c.steps.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const std::int32_t step = c.steps[i];
            const Picture expected = kind == 0   ? CrossFade(step)
                                     : kind == 1 ? MaskWipe(step)
                                                 : Strips(step, kind % 2 == 0, kind >= 4);
            EXPECT_TRUE(frames[i] == expected) << "step " << step;
        }
        EXPECT_TRUE(BoxTexts().empty());
    }
}

// The script runs on and frees every layer, the wipe's mask with them, while the wipe runs: the
// wipe goes on as through a black mask, reading nothing that was freed.
TEST_F(EffectOpsTest, LayersFreedDuringTheEffectAreNotReadByIt) {
    WriteEffectScript("1, 4, 0, byte 1, 4", "", "calld AllocMaskLayers 0\ncalld AllocLayers 0\n");
    const std::vector<Picture> frames = RunEffect("over");
    const Picture black(800, 600);
    const std::vector<std::int32_t> steps = {0, 128, 256, 384, 511};
    ASSERT_EQ(frames.size(), steps.size());
    for (std::size_t i = 0; i < frames.size(); ++i) EXPECT_TRUE(frames[i] == MaskWipe(steps[i], &black)) << steps[i];
    EXPECT_EQ(kv::g_currentLayers->MaskLayerCount(), 0);
}

// Ctrl held, skip mode and the effects setting at 0 each show the new scene at once; the
// script waits for a running effect unless it asked to run on.
TEST_F(EffectOpsTest, SkippedEffectsShowTheNewSceneAtOnceAndRunOnLetsTheScriptGo) {
    enum class Skip { Ctrl, SkipMode, Setting };
    for (Skip skip : {Skip::Ctrl, Skip::SkipMode, Skip::Setting}) {
        SCOPED_TRACE(static_cast<int>(skip));
        Restart();
        WriteEffectScript("0, 16, byte 0, 3", skip == Skip::Setting ? "ref cint[1]\npush 0\nassign\ndiscard\n" : "");
        Start();
        ASSERT_TRUE(RunUntilCaption("old shown"));
        if (skip == Skip::Ctrl) Os().Events().QueueKey(backend::key::LeftControl, true);
        if (skip == Skip::SkipMode) kv::g_gameState.skipMode = 1;
        Os().Windows().ClearFrames();
        ASSERT_TRUE(RunUntilCaption("over", 10));
        EXPECT_EQ(kv::g_gameState.effectRunning, 0);
        ASSERT_EQ(Os().Windows().Frames().size(), 1u);
        EXPECT_TRUE(LastPresented() == new_);
    }

    for (bool runsOn : {false, true}) {
        SCOPED_TRACE(runsOn);
        Restart();
        WriteEffectScript(runsOn ? "0, 16, byte 1, 3" : "0, 16, byte 0, 3");
        Start();
        ASSERT_TRUE(RunUntilCaption("old shown"));
        Frames(8);  // the clock stands still: the effect does not step
        EXPECT_EQ(kv::g_gameState.effectRunning, 1);
        EXPECT_EQ(Caption() == "over", runsOn);
    }
}

// ---- clicks while the script runs on ----

constexpr std::uint32_t kWaitClick = 15;
constexpr std::uint32_t kMessageFlow = 44;
constexpr std::uint32_t kMessageClickWait = 2;  // the message's phase that waits for a click

// Window 1, its text shown at once.
constexpr const char* kMessageWindow = R"(
    calld OpAllocTextWindows 2
    calld SetMessageWindowRects 1, 40, 390, 720, 160, 50, 400, 700, 140
    calld SetMessageInstant 1, byte 1
    calld ResetTextWindow 1
)";

// Each kind run on, with its number of steps (the pictures it presents).
struct RunOnEffect {
    const char* arguments;
    int steps;
};
constexpr RunOnEffect kRunOnEffects[] = {
    {"0, 4, byte 1, 3", 5}, {"1, 4, 0, byte 1, 4", 5}, {"2, byte 1, 2", 21},
    {"3, byte 1, 2", 21},   {"4, byte 1, 2", 61},      {"5, byte 1, 2", 61},
};

class EffectClickTest : public EffectOpsTest {
public:
    // Runs frames on a still clock (the effect does not step) until the operation waits in the
    // phase given.
    bool ReachWait(std::uint32_t operation, std::uint32_t phase) {
        for (int i = 0; i < 50; ++i) {
            if (kv::CurrentOp().operation == operation && kv::CurrentOp().phase == phase) return true;
            Frame();
        }
        return false;
    }
    // One frame in which the effect takes its next step.
    void StepFrame() {
        Os().Clock().AdvanceClock(11);
        Frame();
    }
    std::int32_t StackTopValue() const {
        return static_cast<std::int32_t>(kv::g_vm->StackEntry(kv::g_vm->StackTop()).value);
    }
};

// A release that comes in a frame in which a run-on effect steps reaches the click wait of that
// frame, at the effect's first step and at its last.
TEST_F(EffectClickTest, AReleaseInAFrameWhereTheEffectStepsEndsTheClickWait) {
    for (const RunOnEffect& effect : kRunOnEffects) {
        for (int releaseStep : {1, effect.steps}) {
            SCOPED_TRACE(testing::Message() << effect.arguments << ", release at step " << releaseStep);
            Restart();
            WriteEffectScript(effect.arguments, "", "call OpWaitClick 0\n");
            Start();
            ASSERT_TRUE(RunUntilCaption("old shown"));
            ASSERT_TRUE(ReachWait(kWaitClick, 1));
            ASSERT_EQ(kv::g_gameState.effectRunning, 1);
            for (int step = 1; step < releaseStep; ++step) StepFrame();
            Os().Events().QueueMouseButton(0, true);
            Frame();
            ASSERT_EQ(kv::CurrentOp().operation, kWaitClick);
            Os().Events().QueueMouseButton(0, false);
            StepFrame();
            EXPECT_EQ(kv::g_gameState.effectRunning, releaseStep < effect.steps ? 1 : 0);
            EXPECT_NE(kv::CurrentOp().operation, kWaitClick);
            EXPECT_EQ(StackTopValue(), 1);
        }
    }
}

// The same for a message waiting for its click: the release turns to the rest of the text.
TEST_F(EffectClickTest, AReleaseInAFrameWhereTheEffectStepsGoesOnWithTheMessage) {
    WriteEffectScript("0, 16, byte 1, 3", kMessageWindow, "call MessageFlow 1, \"ab\\wcd\", 0, 1\n");
    Start();
    ASSERT_TRUE(RunUntilCaption("old shown"));
    ASSERT_TRUE(ReachWait(kMessageFlow, kMessageClickWait));
    StepFrame();
    Os().Events().QueueMouseButton(0, true);
    StepFrame();
    ASSERT_EQ(kv::CurrentOp().phase, kMessageClickWait);
    Os().Events().QueueMouseButton(0, false);
    StepFrame();
    EXPECT_EQ(kv::g_gameState.effectRunning, 1);
    EXPECT_NE(kv::CurrentOp().phase, kMessageClickWait);
}

// The click with which the player takes the game back from auto mode does with the waiting
// click wait or message what it does when no effect runs.
TEST_F(EffectClickTest, TheClickThatEndsAutoModeActsAsItDoesWithoutAnEffect) {
    struct Outcome {
        bool autoModeAfterPress, waitingAfterPress, waitingAfterRelease;
        bool operator==(const Outcome&) const = default;
    };
    struct Wait {
        const char* name;
        const char* prelude;
        const char* lines;
        std::uint32_t operation, phase;
    };
    const Wait waits[] = {
        {"click wait", "", "calld StartAutoMode\ncall OpWaitClick 0\n", kWaitClick, 1},
        {"message", kMessageWindow, "calld StartAutoMode\ncall MessageFlow 1, \"ab\\wcd\", 0, 1\n", kMessageFlow,
         kMessageClickWait},
    };
    auto waiting = [](const Wait& wait) {
        return kv::CurrentOp().operation == wait.operation && kv::CurrentOp().phase == wait.phase;
    };
    auto play = [&](const Wait& wait, const char* effect, bool tapInOneFrame) {
        Restart();
        WriteEffectScript(effect, wait.prelude, wait.lines);
        Start();
        EXPECT_TRUE(RunUntilCaption("old shown"));
        EXPECT_TRUE(ReachWait(wait.operation, wait.phase));
        EXPECT_EQ(kv::g_gameState.autoMode, 1);
        Os().Events().QueueMouseButton(0, true);
        if (tapInOneFrame) Os().Events().QueueMouseButton(0, false);
        StepFrame();
        Outcome outcome{kv::g_gameState.autoMode != 0, waiting(wait), false};
        Os().Events().QueueMouseButton(0, false);
        StepFrame();
        outcome.waitingAfterRelease = waiting(wait);
        return outcome;
    };
    for (const Wait& wait : waits) {
        for (bool tapInOneFrame : {false, true}) {
            SCOPED_TRACE(testing::Message() << wait.name << ", "
                                            << (tapInOneFrame ? "pressed and released between two frames"
                                                              : "released a frame later"));
            const Outcome withoutEffect = play(wait, "-1, 1", tapInOneFrame);
            const Outcome withEffect = play(wait, "0, 16, byte 1, 3", tapInOneFrame);
            EXPECT_FALSE(withoutEffect.autoModeAfterPress);
            EXPECT_TRUE(withEffect == withoutEffect);
        }
    }
}

TEST_F(EffectOpsTest, CountsKindsAndOperandsTheEffectCannotUseAreArgumentErrors) {
    const char* cases[] = {
        "0",                       // no operands at all
        "3",                       // more operands than the stack holds
        "0, 1, 2, 3, byte 0, 5",   // three parameters
        "0, byte 0, 2",            // a cross-fade without its step count
        "1, 4, byte 0, 3",         // a mask wipe without its mask layer
        "7, byte 0, 2",            // no such kind
        "-1, byte 0, 2",           // "at once" takes no flag
        "0, 1",                    // only a negative kind is shown at once
        "2, 1, 2",                 // a number where the run-on flag belongs
        "\"fade\", byte 0, 2",     // a text where the kind belongs
        "0, \"x\", byte 0, 3",     // a text where the step count belongs
    };
    for (const char* arguments : cases) {
        SCOPED_TRACE(arguments);
        Restart();
        WriteEffectScript(arguments);
        Start();
        ASSERT_TRUE(RunUntilCaption("old shown"));
        Os().Windows().ClearFrames();
        Frames(10);
        EXPECT_EQ(BoxTexts(),
                  std::vector<std::string>{"error|Illiegal argments to set effects in StartupGraphicEffect()."});
        EXPECT_FALSE(WindowAlive());
        // Nothing was committed: the working layer still differs from the shown one.
        EXPECT_TRUE(Os().Windows().Frames().empty());
        EXPECT_STREQ(kv::g_currentLayers->GetShownLayer(0)->name.c_str(), "OLD");
    }
}

}  // namespace
