#include "tests/script/ops/script_frame_fixture.h"

#include "backend/event_queue.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/frame_dispatch.h"
#include "script/ops/interruption.h"
#include "script/ops/op_state.h"
#include "app/init_script.h"
#include "script/vm/vm_state.h"
#include "tools/asm/assembler.h"

namespace opstest {

int ScriptFrameTest::frameNumber_ = 0;
std::vector<ProbeCall> ScriptFrameTest::probes_;

std::ostream& operator<<(std::ostream& out, const FrameTrace& t) {
    return out << "{op " << t.op << " phase " << t.phase << " pc " << t.pc << " stack " << t.stackDepth
               << " calls " << t.callDepth << " saved " << t.opSaveTop << " " << t.script << "}";
}

std::ostream& operator<<(std::ostream& out, const ProbeCall& c) {
    return out << "{frame " << c.frame << " phase " << c.phase << " s0 " << c.scratch0 << " s1 " << c.scratch1
               << " " << c.script << "}";
}

void ScriptFrameTest::SetUp() {
    kvtest::HeadlessGameTest::SetUp();
    frameNumber_ = 0;
    probes_.clear();
    WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\n");
}

void ScriptFrameTest::TearDown() {
    for (auto it = replaced_.rbegin(); it != replaced_.rend(); ++it) kv::ReplaceOperationHandler(it->first, it->second);
    replaced_.clear();
    if (kv::g_mainWindow) kv::g_mainWindow->SetInput(nullptr);
    delete kv::g_input;
    kv::g_input = nullptr;
    kv::ShutdownGame();
    kvtest::HeadlessGameTest::TearDown();
}

void ScriptFrameTest::WriteScript(const std::string& name, const std::string& source) {
    const kvasm::AssembleResult result = kvasm::Assemble(source);
    ASSERT_TRUE(result.ok()) << name << ": " << kvasm::FormatDiagnostics(result.diagnostics);
    WriteFile(name + ".SNX", result.bytes);
}

void ScriptFrameTest::Start() {
    ASSERT_TRUE(kv::InitGame());
    ASSERT_TRUE(kv::InitScript());
    Pump();
    ASSERT_TRUE(kv::g_mainWindow->IsActive());
}

void ScriptFrameTest::Pump() {
    backend::WindowMessage message;
    while (Os().Events().PeekMessage(message)) Os().Windows().DispatchMessage(message);
}

FrameTrace ScriptFrameTest::Trace() const {
    const kv::OpState& op = kv::CurrentOp();
    FrameTrace trace{op.operation, op.phase, 0, 0, -1, kv::g_gameState.opSaveTop, ""};
    if (kv::g_vm) {
        trace.pc = kv::g_vm->Pc();
        trace.stackDepth = kv::g_vm->StackDepth();
        trace.callDepth = kv::g_vm->CallDepth();
        trace.script = kv::g_vm->GetScriptName().c_str();
    }
    return trace;
}

FrameTrace ScriptFrameTest::Frame() {
    Pump();
    ++frameNumber_;
    kv::ProcessScriptFrame();
    return Trace();
}

void ScriptFrameTest::Replace(std::uint32_t index, kv::OpHandler handler) {
    replaced_.emplace_back(index, kv::ReplaceOperationHandler(index, handler));
}

std::string ScriptFrameTest::Caption() {
    return WindowAlive() ? Os().Windows().GetWindowCaption(kv::g_mainWindow->Handle()) : std::string();
}

bool ScriptFrameTest::WindowAlive() { return kv::g_mainWindow && kv::g_mainWindow->Handle() != 0; }

void ScriptFrameTest::TapKey(std::uint8_t code) {
    Os().Events().QueueKey(code, true);
    Frame();
    Os().Events().QueueKey(code, false);
    Frame();
}

void ScriptFrameTest::TapButton(int button) {
    Os().Events().QueueMouseButton(button, true);
    Frame();
    Os().Events().QueueMouseButton(button, false);
    Frame();
}

void ScriptFrameTest::RecordProbe() {
    const kv::OpState& op = kv::CurrentOp();
    probes_.push_back({frameNumber_, op.phase, op.scratch[0], op.scratch[1], kv::g_vm->GetScriptName().c_str()});
}

std::uint32_t ScriptFrameTest::FinishProbe() {
    RecordProbe();
    return kv::CompleteOperation(static_cast<std::int32_t>(kv::g_vm->Pop().value * 2));
}

std::uint32_t ScriptFrameTest::WaitSetProbe() {
    RecordProbe();
    kv::OpState& op = kv::CurrentOp();
    op.scratch[0] = kv::g_vm->Pop().value;
    op.scratch[1] = 100;
    op.phase = 1;
    return kv::kOpContinue;
}

std::uint32_t ScriptFrameTest::WaitRunProbe() {
    RecordProbe();
    kv::RefreshInput();
    kv::OpState& op = kv::CurrentOp();
    if (kv::g_input && kv::g_gameState.rightClickEnabled && kv::g_input->ButtonReleased(1))
        return kv::ReadyToJumpRClickProcess();
    if (kv::g_input && kv::g_input->KeyReleased(kv::key::S))
        return kv::InterruptWithScript("SYSBTN", "This game failed to call SNX-file in ProcessSystemButton().", false);
    if (kv::IsDecidePressed()) return kv::CompleteOperation(static_cast<std::int32_t>(op.scratch[0]));
    ++op.scratch[1];
    return kv::kOpContinue;
}

}  // namespace opstest
