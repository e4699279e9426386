// Fuzz target for the script VM: the loaders and the interpreter on arbitrary images.
//
// Input layout: u16 (little-endian) length L of the variable image, then L bytes of variable
// image, then the code image. A byte past L's two bytes, when the input is long enough, picks
// options (bit 0: load the variable image again half-way, which moves the banks under the
// decoded code).
//
// Two machines run the same input, one with fused instruction sequences and one without; any
// difference in results, pc, stacks, banks or message boxes is a bug and stops the fuzzer, as
// does every sanitizer report. Scripts may loop forever, so bursts are bounded.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_backend.h"
#include "backend/headless/headless_hub.h"
#include "script/vm/vm_state.h"

namespace {

constexpr int kBursts = 64;
constexpr std::uint64_t kStepsPerBurst = 4096;
// Larger banks load (that is fuzzed too) but are not run: comparing them every burst would
// make each input slow.
constexpr std::int64_t kMaxRunElements = 1 << 16;

backend::HeadlessHub* Backend() { return &kvfuzz::Backend(); }

void Check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "fused and plain runs differ: %s\n", what);
        abort();
    }
}

template <typename T>
void CheckBank(kv::VmState& a, kv::VmState& b, kv::VarBank bank, T* (kv::VmState::*element)(std::uint32_t)) {
    Check(a.VariableCount(bank) == b.VariableCount(bank), "bank size");
    for (std::int32_t i = 0; i < a.VariableCount(bank); ++i) {
        Check(*(a.*element)(static_cast<std::uint32_t>(i)) == *(b.*element)(static_cast<std::uint32_t>(i)),
              "bank element");
    }
}

void CheckSame(kv::VmState& a, kv::VmState& b) {
    Check(a.Pc() == b.Pc(), "pc");
    Check(a.Fault() == b.Fault(), "fault");
    Check(a.StackTop() == b.StackTop(), "stack top");
    for (std::int32_t i = 0; i <= a.StackTop(); ++i) {
        Check(a.StackEntry(i).type == b.StackEntry(i).type &&
                  a.StackEntry(i).value == b.StackEntry(i).value,
              "stack entry");
    }
    CheckBank(a, b, kv::VarBank::AInt, &kv::VmState::AInt);
    CheckBank(a, b, kv::VarBank::AByte, &kv::VmState::AByte);
    CheckBank(a, b, kv::VarBank::CInt, &kv::VmState::CInt);
    for (std::int32_t i = 0; i < a.VariableCount(kv::VarBank::AString); ++i) {
        const kv::VmString* x = a.AString(static_cast<std::uint32_t>(i));
        const kv::VmString* y = b.AString(static_cast<std::uint32_t>(i));
        Check(x->Length() == y->Length() &&
                  (x->Length() == 0 || std::memcmp(x->Bytes(), y->Bytes(), x->Length()) == 0),
              "A string");
    }
}

std::int64_t Elements(const kv::VmState& vm) {
    std::int64_t total = 0;
    for (int bank = 0; bank < kv::kVarBankCount; ++bank) {
        total += vm.VariableCount(static_cast<kv::VarBank>(bank));
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    backend::HeadlessHub* hub = Backend();
    if (size < 2) {
        return 0;
    }
    std::size_t varSize = static_cast<std::size_t>(data[0]) | (static_cast<std::size_t>(data[1]) << 8);
    data += 2;
    size -= 2;
    if (varSize > size) {
        varSize = size;
    }
    const std::uint8_t* vars = data;
    const std::uint8_t* code = data + varSize;
    const std::size_t codeSize = size - varSize;
    const std::uint8_t options = codeSize > 0 ? code[0] : 0;

    kv::VmState fused;
    kv::VmState plain;
    plain.SetInstructionFusion(false);

    const bool varsLoaded = fused.LoadVariableImage(vars, varSize);
    Check(varsLoaded == plain.LoadVariableImage(vars, varSize), "variable image result");
    const bool codeLoaded = fused.LoadCode(code, codeSize);
    Check(codeLoaded == plain.LoadCode(code, codeSize), "code image result");
    if (Elements(fused) > kMaxRunElements) {
        return 0;
    }

    for (int burst = 0; burst < kBursts; ++burst) {
        if (burst == kBursts / 2 && (options & 1) != 0) {
            Check(fused.LoadVariableImage(vars, varSize) == plain.LoadVariableImage(vars, varSize),
                  "reloaded variable image result");
        }
        hub->Dialogs().ClearMessageBoxes();
        const std::int32_t a = fused.RunBounded(kStepsPerBurst);
        const std::size_t boxesA = hub->Dialogs().MessageBoxes().size();
        hub->Dialogs().ClearMessageBoxes();
        const std::int32_t b = plain.RunBounded(kStepsPerBurst);
        const std::size_t boxesB = hub->Dialogs().MessageBoxes().size();
        if (a == kv::snx::kStepsSpent || b == kv::snx::kStepsSpent) {
            break;  // a fused sequence is one step, so the two stop at different places
        }
        Check(a == b, "result");
        Check(boxesA == boxesB, "message boxes");
        CheckSame(fused, plain);
        if (a != kv::snx::kSystemCall && a != kv::snx::kLineMarker) {
            break;
        }
        // What the handlers would do: a system call pops its number, finishes and pushes its
        // result; the frame takes the line number of a line marker.
        for (kv::VmState* vm : {&fused, &plain}) {
            vm->Pop();
            if (a == kv::snx::kSystemCall) {
                vm->SetPc(vm->Pc() + 1);
                vm->Push(0, 0);
            }
        }
    }
    hub->Dialogs().ClearMessageBoxes();
    return 0;
}
