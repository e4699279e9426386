// The script's timer and its three waits on the virtual clock: when each wait ends, with which
// result, which inputs cut it short, and that deadlines hold across the wrap of the 32-bit tick.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "backend/clock_service.h"
#include "backend/event_queue.h"
#include "app/globals/globals.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/ops/timer_ops.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/script_frame_fixture.h"

namespace {

namespace key = backend::key;

constexpr std::uint32_t kWaitTimer = 14;
constexpr std::uint32_t kWaitClick = 15;
constexpr std::uint32_t kTimedWait = 134;

class WaitOpsTest : public opstest::ScriptFrameTest {
public:
    // INIT makes the input object, runs the given lines (the last one starts the wait with
    // `call`, so its result stays on the stack), then loops on a line marker. Returns once the
    // wait stands in its first phase, before that phase has run.
    void StartScript(const std::string& lines, std::uint32_t waitOp) {
        waitOp_ = waitOp;
        WriteScript("INIT", "calld CreateDirectInputManager\n" + lines + "\nl: line 9\njmp l\n");
        Start();
        for (int i = 0; i < 30 && !Waiting(); ++i) Frame();
        ASSERT_TRUE(Waiting());
        ASSERT_EQ(kv::CurrentOp().phase, 0u);
    }
    bool Waiting() const { return kv::CurrentOp().operation == waitOp_; }
    // Frames, each first moving the clock on by step ms, while the wait lasts; the frames run.
    int FramesWhileWaiting(std::uint32_t step, int limit = 1000) {
        int frames = 0;
        while (Waiting() && frames < limit) {
            Os().Clock().AdvanceClock(step);
            Frame();
            ++frames;
        }
        return frames;
    }
    // The wait's result, the top of the value stack once it has finished.
    std::int32_t Result() const {
        return static_cast<std::int32_t>(kv::g_vm->StackEntry(kv::g_vm->StackTop()).value);
    }
    std::uint32_t Now() { return Os().Clock().TickCount(); }

    std::uint32_t waitOp_ = 0;
};

// ---- operation 14 ----

TEST_F(WaitOpsTest, TheTimerWaitCountsFromTheLastResetNotFromItsOwnStart) {
    StartScript("calld OpResetTimer\nline 2\ncall OpWaitTimer 100", kWaitTimer);
    const std::uint32_t base = kv::ScriptTimerBase();
    Os().Clock().AdvanceClock(60);  // the script's own work between the reset and the wait
    Frame();                // phase 0 takes the time
    ASSERT_TRUE(Waiting());
    EXPECT_EQ(FramesWhileWaiting(10), 4);  // 70, 80, 90: still waiting; 100: done
    EXPECT_EQ(Now() - base, 100u);
    EXPECT_EQ(Result(), 0);
}

TEST_F(WaitOpsTest, ATimerWaitAlreadyDueEndsOnItsFirstRunningFrame) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"call OpWaitTimer 0", kWaitTimer},
        {"line 2\ncall OpWaitTimer 50", kWaitTimer},
        {"line 2\ncall OpTimedWait 50, 1", kTimedWait},
    };
    for (const auto& [wait, waitOp] : cases) {
        SCOPED_TRACE(wait);
        Restart();
        StartScript(std::string("calld OpResetTimer\n") + wait, waitOp);
        Os().Clock().AdvanceClock(50);
        Frame();  // phase 0
        Frame();  // phase 1
        EXPECT_FALSE(Waiting());
        EXPECT_EQ(Result(), 0);
    }
}

// ---- operation 134 ----

TEST_F(WaitOpsTest, TheTimedWaitSleepsAMillisecondAFrameUntilItsTime) {
    StartScript("calld OpResetTimer\ncall OpTimedWait 20, 1", kTimedWait);
    const std::uint32_t base = kv::ScriptTimerBase();
    const std::uint64_t sleeps = Os().Clock().SleepCalls();
    const int frames = FramesWhileWaiting(0);
    EXPECT_EQ(frames, 22);  // phase 0, 20 frames of sleeping, the one that finds the time come
    EXPECT_EQ(Os().Clock().SleepCalls() - sleeps, 20u);
    EXPECT_EQ(Now() - base, 20u);
    EXPECT_EQ(Result(), 0);
}

// ---- operation 15 ----

TEST_F(WaitOpsTest, AClickWaitWithoutTimeOutsideAutoModeEndsOnlyOnADecideRelease) {
    struct Case {
        bool isKey;
        int code;
    };
    for (const Case c : {Case{true, key::Return}, Case{true, key::NumpadEnter}, Case{true, key::LeftShift},
                         Case{true, key::RightShift}, Case{false, 0}}) {
        SCOPED_TRACE(testing::Message() << (c.isKey ? "key " : "button ") << c.code);
        Restart();
        StartScript("call OpWaitClick 0", kWaitClick);
        Frame();
        Os().Clock().AdvanceClock(600000);
        // Neither the right button, the middle one nor Space decides.
        TapButton(1);
        TapButton(2);
        TapKey(key::Space);
        if (c.isKey) Os().Events().QueueKey(static_cast<std::uint8_t>(c.code), true);
        else Os().Events().QueueMouseButton(c.code, true);
        Frame();
        EXPECT_TRUE(Waiting());  // a press is not yet a decision
        if (c.isKey) Os().Events().QueueKey(static_cast<std::uint8_t>(c.code), false);
        else Os().Events().QueueMouseButton(c.code, false);
        Frame();
        EXPECT_FALSE(Waiting());
        EXPECT_EQ(Result(), 1);
    }
}

TEST_F(WaitOpsTest, AButtonHeldWhenTheClickWaitStartsCountsOnlyWhenReleased) {
    for (bool isKey : {false, true}) {
        SCOPED_TRACE(isKey ? "Return" : "left button");
        Restart();
        StartScript("call OpWaitClick 0", kWaitClick);
        if (isKey) Os().Events().QueueKey(key::Return, true);
        else Os().Events().QueueMouseButton(0, true);
        Frames(5);  // held through the start and on
        EXPECT_TRUE(Waiting());
        if (isKey) Os().Events().QueueKey(key::Return, false);
        else Os().Events().QueueMouseButton(0, false);
        Frame();
        EXPECT_FALSE(Waiting());
        EXPECT_EQ(Result(), 1);
    }
}

TEST_F(WaitOpsTest, AClickMadeBeforeTheWaitDoesNotEndIt) {
    // Skip mode makes the frame read the input, so the press is seen before the wait begins;
    // the release falls in frames that read nothing.
    WriteScript("INIT", "calld CreateDirectInputManager\nline 1\nline 2\nline 3\ncall OpWaitClick 0\nl: line 9\njmp l\n");
    waitOp_ = kWaitClick;
    Start();
    Frames(2);
    ASSERT_NE(kv::g_input, nullptr);
    kv::g_gameState.skipMode = 1;
    Os().Events().QueueMouseButton(0, true);
    Frame();
    ASSERT_EQ(kv::g_gameState.skipMode, 0);
    Os().Events().QueueMouseButton(0, false);
    Frame();
    ASSERT_FALSE(Waiting());
    Frames(6);
    EXPECT_TRUE(Waiting());
    EXPECT_EQ(kv::CurrentOp().phase, 1u);
}

TEST_F(WaitOpsTest, TheClickWaitsTimeAndTheAutoModeDeadline) {
    struct Case {
        const char* lines;
        std::uint32_t endsAfter;  // ms after the start; 0: does not end by time
    };
    const Case cases[] = {
        {"call OpWaitClick 500", 500},
        {"calld StartAutoMode\ncall OpWaitClick 500", 500},  // the time rules, not the 800 ms
        {"calld StartAutoMode\ncall OpWaitClick 0", kv::kAutoClickWaitMs},
        {"call OpWaitClick 0", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        Restart();
        StartScript(c.lines, kWaitClick);
        const std::uint32_t start = Now();
        const int frames = FramesWhileWaiting(100, 20);
        if (c.endsAfter == 0) {
            EXPECT_TRUE(Waiting());
            continue;
        }
        EXPECT_EQ(frames, static_cast<int>(c.endsAfter / 100) + 1);
        EXPECT_EQ(Now() - start, c.endsAfter + 100);  // the start is taken on the first frame
        EXPECT_EQ(Result(), 0);
    }
}

// ---- Ctrl and skip mode ----

TEST_F(WaitOpsTest, CtrlAndSkipModeCutWaitsShortOnlyWhereTheyMay) {
    struct Case {
        const char* lines;
        std::uint32_t waitOp;
        std::int32_t result;  // 0: the wait runs its time (30 ms)
    };
    const Case cases[] = {
        {"calld OpResetTimer\ncall OpWaitTimer 30", kWaitTimer, 1},
        {"call OpWaitClick 30", kWaitClick, 1},
        {"calld OpResetTimer\ncall OpTimedWait 30, 1", kTimedWait, 1},
        {"calld OpResetTimer\ncall OpTimedWait 30, 0", kTimedWait, 0},
    };
    for (const Case& c : cases) {
        for (bool ctrl : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.lines << (ctrl ? " / Ctrl" : " / skip mode"));
            Restart();
            StartScript(c.lines, c.waitOp);
            const std::uint32_t start = Now();
            if (ctrl) Os().Events().QueueKey(key::LeftControl, true);
            else kv::g_gameState.skipMode = 1;
            // The timed wait sleeps by itself; the others are given 1 ms a frame.
            FramesWhileWaiting(c.waitOp == kTimedWait ? 0 : 1);
            EXPECT_EQ(Result(), c.result);
            EXPECT_EQ(Now() - start, c.result == 1 ? (c.waitOp == kTimedWait ? 0u : 2u) : 30u);
        }
    }
}

// ---- the wrap of the millisecond tick ----

TEST_F(WaitOpsTest, DeadlinesHoldAcrossTheWrapOfTheTick) {
    struct Case {
        const char* lines;
        std::uint32_t waitOp;
        std::uint32_t ms;
    };
    const Case cases[] = {
        {"calld OpResetTimer\ncall OpWaitTimer 200", kWaitTimer, 200},
        {"calld OpResetTimer\ncall OpTimedWait 200, 1", kTimedWait, 200},
        {"call OpWaitClick 200", kWaitClick, 200},
        {"calld StartAutoMode\ncall OpWaitClick 0", kWaitClick, kv::kAutoClickWaitMs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        Restart();
        backend::HeadlessOptions options = DefaultOptions();
        options.startTick = 0xFFFFFFFFu - 100;  // the deadline lies past the wrap
        Reinstall(options);
        StartScript(c.lines, c.waitOp);
        Frame();  // phase 0: the start of the click wait
        const std::uint32_t start = c.waitOp == kWaitClick ? Now() : kv::ScriptTimerBase();
        const std::uint32_t step = c.waitOp == kTimedWait ? 0 : 10;
        FramesWhileWaiting(step);
        EXPECT_EQ(Now() - start, c.ms);
        EXPECT_LT(Now(), 1000u);  // it did wrap
        EXPECT_EQ(Result(), 0);
    }
}

}  // namespace
