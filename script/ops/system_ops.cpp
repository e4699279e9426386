#include "script/ops/system_ops.h"

#include <cstring>

#include "backend/hub.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "app/globals/globals.h"
#include "base/message_box.h"
#include "base/text_utils.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/vm/resource_lookup.h"
#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

backend::WindowId OwnerWindow() { return g_mainWindow ? g_mainWindow->Handle() : 0; }

// Bytes of text that fit in capacity - 1 without splitting a double-byte character.
std::size_t FittingLength(const char* text, std::size_t capacity) {
    std::size_t length = 0;
    while (text[length] != '\0') {
        std::size_t width = IsDbcsLeadPair(text + length) ? 2 : 1;
        if (length + width > capacity - 1) break;
        length += width;
    }
    return length;
}

}  // namespace

std::uint32_t OpRunScript() {
    if (!g_vm) {
        SetCurrentOperation(kOpQuit);
        return kOpContinue;
    }
    const std::int32_t result = g_vm->Run();
    switch (result) {
        case snx::kEnd:
            SetCurrentOperation(kOpQuit);
            break;
        case snx::kSystemCall:
            // Its handler runs from the next frame; a number outside the table is caught there.
            SetCurrentOperation(g_vm->Pop().value);
            break;
        case snx::kLineMarker:
            // One frame a line: the interpreter goes on at the next frame.
            SetScriptLineCaption(static_cast<std::int32_t>(g_vm->Pop().value));
            break;
        case snx::kReturn:
            SetCurrentOperation(kOpReturnSNX);
            break;
        default:
            // Script errors, the stack faults (-24 .. -27) among them, end the game.
            if (result < 0) {
                ShowSnxError(result);
                g_vm->ClearFault();  // reported: the frame must not report it again
                SetCurrentOperation(kOpQuit);
            }
            break;
    }
    return kOpContinue;
}

std::uint32_t OpQuit() {
    if (g_mainWindow) g_mainWindow->Destroy();
    return kOpFinished;
}

std::uint32_t ReturnSNX() {
    if (!g_vm) return FailOperation("This game failed to call SNX-file in ReturnSNX().");
    // A return with no caller is the script's fault, reported like every other stack fault.
    if (g_vm->CallDepth() < 0) {
        ShowSnxError(snx::kErrCallStackUnderflow);
        SetCurrentOperation(kOpQuit);
        return kOpContinue;
    }
    String name;
    std::uint32_t pc = 0;
    std::uint8_t interruption = 0;
    g_vm->PopCallFrame(name, pc, interruption);
    if (!LoadScriptFile(name)) return FailOperation("This game failed to call SNX-file in ReturnSNX().");
    g_vm->SetPc(static_cast<std::int32_t>(pc));
    // Back from an interruption: the interrupted operation resumes in its phase from the next
    // frame. With nothing saved there is nothing to resume, and the return acts as after a call.
    if (interruption == 1 && PopOpState()) return kOpContinue;
    return kOpFinished;
}

std::uint32_t OpDummy() {
    MessageBoxOk(OwnerWindow(), "This game made a dummy op to run.", "error");
    return kOpFinished;
}

std::uint32_t LoadSNX() {
    if (!g_vm) return FailOperation("This game failed to load SNX-file in LoadSNX().");
    char name[128];
    FetchOperandText(g_vm->Pop(), name);
    if (!LoadScriptFile(String(name))) return FailOperation("This game failed to load SNX-file in LoadSNX().");
    return kOpFinished;
}

std::uint32_t CallSNX() {
    if (!g_vm) return FailOperation("This game failed to load SNX-file in CallSNX().");
    const VmValue operand = g_vm->Pop();
    g_vm->SetPc(g_vm->Pc() + 1);
    g_vm->PushCallFrame(0);
    char name[128];
    FetchOperandText(operand, name);
    if (!LoadScriptFile(String(name))) return FailOperation("This game failed to load SNX-file in CallSNX().");
    g_vm->Push(vm_type::kInt, 0);
    return kOpFinished;
}

std::uint32_t OpSetCaption() {
    if (!g_vm) return FailIllegalArguments("OpSetCaption");
    char text[128];
    FetchOperandText(g_vm->Pop(), text);
    char* caption = g_gameState.caption;
    const std::size_t length = FittingLength(text, sizeof g_gameState.caption);
    std::memset(caption, 0, sizeof g_gameState.caption);
    std::memcpy(caption, text, length);
    if (g_mainWindow) g_mainWindow->ShowCaption(std::string_view(caption, length));
    return CompleteOperation(0);
}

}  // namespace kv
