#pragma once
// The real engine run frame by frame on the headless backend: start-up as the program does it,
// scripts assembled from source, probe handlers in the operation table (restored after each
// test), and a trace of the machine after each frame.

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "script/ops/op_table.h"
#include "tests/support/headless_game.h"

namespace opstest {

struct FrameTrace {
    std::uint32_t op = 0, phase = 0;
    std::int32_t pc = 0, stackDepth = 0, callDepth = -1, opSaveTop = -1;
    std::string script;
    bool operator==(const FrameTrace&) const = default;
};
std::ostream& operator<<(std::ostream& out, const FrameTrace& trace);

// The frame a probe ran in and the operation's words it saw.
struct ProbeCall {
    int frame = 0;
    std::uint32_t phase = 0, scratch0 = 0, scratch1 = 0;
    std::string script;
    bool operator==(const ProbeCall&) const = default;
};
std::ostream& operator<<(std::ostream& out, const ProbeCall& call);

class ScriptFrameTest : public kvtest::HeadlessGameTest {
public:
    void SetUp() override;
    void TearDown() override;
    // Fresh game folder and engine, for tests that loop over cases.
    void Restart() { TearDown(); SetUp(); }

    void WriteScript(const std::string& name, const std::string& source);
    // InitGame and InitScript as the program runs them, then the window's first messages.
    void Start();
    void Pump();
    FrameTrace Frame();  // pump, one script frame, the trace
    void Frames(int count) { for (int i = 0; i < count; ++i) Frame(); }
    FrameTrace Trace() const;
    void Replace(std::uint32_t index, kv::OpHandler handler);
    std::string Caption();
    bool WindowAlive();
    // Down in one frame, up in the next.
    void TapKey(std::uint8_t code);
    void TapButton(int button);
    // The click-wait probes in the entries of operation 15's two phases.
    void UseWaitProbes() { Replace(137, WaitSetProbe); Replace(138, WaitRunProbe); }

    static int frameNumber_;
    static std::vector<ProbeCall> probes_;

    // Probes. One frame: pops one operand and finishes with it doubled.
    static std::uint32_t FinishProbe();
    // Phase 0: the wait's tag from the stack into scratch 0, scratch 1 := 100, phase 1.
    static std::uint32_t WaitSetProbe();
    // Phase 1: reads the input; a right-button release runs the right-click interruption (when
    // enabled), a release of S the system-button one with "SYSBTN", a decide release finishes
    // with the tag; otherwise scratch 1 counts frames.
    static std::uint32_t WaitRunProbe();

private:
    static void RecordProbe();
    std::vector<std::pair<std::uint32_t, kv::OpHandler>> replaced_;
};

}  // namespace opstest
