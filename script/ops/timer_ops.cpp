#include "script/ops/timer_ops.h"

#include "app/globals/globals.h"
#include "platform/input.h"
#include "backend/clock_service.h"
#include "backend/hub.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"

namespace kv {

namespace {

// Scratch words of the waits.
constexpr int kWaitMs = 0;         // 14, 15, 134: the time in milliseconds
constexpr int kAutoDeadline = 1;   // 15: the auto-mode deadline (tick)
constexpr int kClickWaitStart = 2; // 15: the tick the wait began
constexpr int kSkippable = 1;      // 134: Ctrl and skip mode may cut the wait short

std::uint32_t g_timerBase = 0;

std::uint32_t Now() { return backend::Get().Clock().TickCount(); }

// Milliseconds from since to now, right across the wrap of the 32-bit tick.
std::uint32_t Elapsed(std::uint32_t since) { return Now() - since; }

bool PlayerSkips() { return IsCtrlHeld() || g_gameState.skipMode != 0; }

}  // namespace

std::uint32_t ScriptTimerBase() { return g_timerBase; }

std::uint32_t OpResetTimer() {
    g_timerBase = Now();
    return CompleteOperation(0);
}

std::uint32_t OpWaitTimerSet() {
    OpState& op = CurrentOp();
    op.scratch[kWaitMs] = static_cast<std::uint32_t>(PopIntOperand());
    op.phase = 1;
    return kOpContinue;
}

std::uint32_t OpWaitTimerRun() {
    RefreshInput();
    if (PlayerSkips()) return CompleteOperation(1);
    // Measured from the last reset, not from the start of the wait: the script resets, does its
    // work, then waits for what is left of the interval.
    if (Elapsed(g_timerBase) < CurrentOp().scratch[kWaitMs]) return kOpContinue;
    return CompleteOperation(0);
}

std::uint32_t OpWaitClickSet() {
    OpState& op = CurrentOp();
    const std::uint32_t ms = static_cast<std::uint32_t>(PopIntOperand());
    // This read makes the current state the previous one, so that only releases that happen
    // during the wait count: a button held at the start finishes it when let go, not before.
    RefreshInput();
    const std::uint32_t now = Now();
    op.scratch[kWaitMs] = ms;
    op.scratch[kClickWaitStart] = now;
    if (g_gameState.autoMode) op.scratch[kAutoDeadline] = now + (ms != 0 ? ms : kAutoClickWaitMs);
    op.phase = 1;
    return kOpContinue;
}

std::uint32_t OpWaitClickRun() {
    RefreshInput();
    if (PlayerSkips() || IsDecidePressed()) return CompleteOperation(1);
    const OpState& op = CurrentOp();
    const std::uint32_t start = op.scratch[kClickWaitStart];
    const std::uint32_t ms = op.scratch[kWaitMs];
    if (ms != 0) {
        if (Elapsed(start) >= ms) return CompleteOperation(0);
    } else if (g_gameState.autoMode) {
        // Without a time only auto mode ends the wait; with one the time rules alone.
        if (Elapsed(start) >= op.scratch[kAutoDeadline] - start) return CompleteOperation(0);
    }
    return kOpContinue;
}

std::uint32_t ReadyTimedWait() {
    OpState& op = CurrentOp();
    op.scratch[kSkippable] = static_cast<std::uint32_t>(PopIntOperand());
    op.scratch[kWaitMs] = static_cast<std::uint32_t>(PopIntOperand());
    op.phase = 1;
    return kOpContinue;
}

std::uint32_t RunTimedWait() {
    RefreshInput();
    const OpState& op = CurrentOp();
    if (op.scratch[kSkippable] != 0 && PlayerSkips()) return CompleteOperation(1);
    if (Elapsed(g_timerBase) < op.scratch[kWaitMs]) {
        backend::Get().Clock().Sleep(1);
        return kOpContinue;
    }
    return CompleteOperation(0);
}

}  // namespace kv
