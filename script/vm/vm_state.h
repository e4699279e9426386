#pragma once
// The script virtual machine: the loaded code image with its pc, the value stack and call stack
// that the bytecode and the operation handlers share, and the eight variable banks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/string.h"
#include "backend/file_service.h"
#include "script/vm/decoded_code.h"
#include "script/vm/vm_string.h"

namespace kv {

// One value-stack entry. Types: 0 integer, 1 byte or truth value, 2 string literal (offset into
// the data area), 3/4/5 reference to an A integer/byte/string, 6/7/8 the same in bank B,
// 9 reference to a C integer.
struct VmValue {
    std::uint32_t type = 0;
    std::uint32_t value = 0;
    bool operator==(const VmValue&) const = default;
};

namespace vm_type {
inline constexpr std::uint32_t kInt = 0;
inline constexpr std::uint32_t kByte = 1;
inline constexpr std::uint32_t kLiteral = 2;
inline constexpr std::uint32_t kAIntRef = 3;
inline constexpr std::uint32_t kAByteRef = 4;
inline constexpr std::uint32_t kAStringRef = 5;
inline constexpr std::uint32_t kBIntRef = 6;
inline constexpr std::uint32_t kBByteRef = 7;
inline constexpr std::uint32_t kBStringRef = 8;
inline constexpr std::uint32_t kCIntRef = 9;
}  // namespace vm_type

struct VmCallFrame {
    char scriptName[128] = {};  // NUL-terminated
    std::uint32_t pc = 0;
    std::uint8_t interruption = 0;  // 1: a system button or right-click script, 0: a script call
    bool operator==(const VmCallFrame&) const = default;
};

struct SnxInstruction {
    std::uint32_t kind = 0;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
};

// The banks in the order of their counts in the variable image.
enum class VarBank : std::uint8_t { AInt, AByte, AString, BInt, BByte, BString, CInt, CByte };
inline constexpr int kVarBankCount = 8;

// What went wrong with a stack. The stacks never grow past their arrays nor pop below empty;
// such a push or pop records the fault here instead, and the interpreter reports it.
enum class VmFault : std::uint8_t {
    None,
    ValueStackOverflow,
    ValueStackUnderflow,
    CallStackOverflow,
    CallStackUnderflow,
};

// Results of VmState::Run.
namespace snx {
inline constexpr std::int32_t kStepsSpent = 0;  // only from VmState::RunBounded
inline constexpr std::int32_t kEnd = 1;
inline constexpr std::int32_t kSystemCall = 2;
inline constexpr std::int32_t kLineMarker = 3;
inline constexpr std::int32_t kReturn = 4;

inline constexpr std::int32_t kErrPcOutOfRange = -1;
inline constexpr std::int32_t kErrAddType = -2;
inline constexpr std::int32_t kErrSubtractType = -3;
inline constexpr std::int32_t kErrMultiplyType = -4;
inline constexpr std::int32_t kErrDivideType = -5;
inline constexpr std::int32_t kErrDivideByZero = -6;
inline constexpr std::int32_t kErrRemainderType = -7;
inline constexpr std::int32_t kErrRemainderByZero = -8;
inline constexpr std::int32_t kErrNegateType = -9;
inline constexpr std::int32_t kErrCompareTypesDiffer = -10;
inline constexpr std::int32_t kErrCompareType = -11;
inline constexpr std::int32_t kErrJumpTarget = -12;
inline constexpr std::int32_t kErrJumpIfTrueTarget = -13;
inline constexpr std::int32_t kErrJumpIfFalseTarget = -14;
inline constexpr std::int32_t kErrAssignTarget = -15;
inline constexpr std::int32_t kErrAssignValue = -16;
inline constexpr std::int32_t kErrLoadVariableSubKind = -18;
inline constexpr std::int32_t kErrLoadReferenceSubKind = -19;
inline constexpr std::int32_t kErrConstantType = -20;
inline constexpr std::int32_t kErrIncrementType = -21;
inline constexpr std::int32_t kErrDecrementType = -22;
inline constexpr std::int32_t kErrBadKind = -23;
inline constexpr std::int32_t kErrValueStackOverflow = -24;
inline constexpr std::int32_t kErrValueStackUnderflow = -25;
inline constexpr std::int32_t kErrCallStackOverflow = -26;
inline constexpr std::int32_t kErrCallStackUnderflow = -27;

// Instruction kinds.
inline constexpr std::uint32_t kOpEnd = 0;
inline constexpr std::uint32_t kOpAdd = 1;
inline constexpr std::uint32_t kOpSubtract = 2;
inline constexpr std::uint32_t kOpMultiply = 3;
inline constexpr std::uint32_t kOpDivide = 4;
inline constexpr std::uint32_t kOpRemainder = 5;
inline constexpr std::uint32_t kOpNegate = 6;
inline constexpr std::uint32_t kOpCompare = 7;
inline constexpr std::uint32_t kOpJump = 8;
inline constexpr std::uint32_t kOpJumpIfTrue = 9;
inline constexpr std::uint32_t kOpJumpIfFalse = 10;
inline constexpr std::uint32_t kOpAssign = 11;
inline constexpr std::uint32_t kOpDiscard = 12;
inline constexpr std::uint32_t kOpSystemCall = 13;
inline constexpr std::uint32_t kOpReturn = 14;
inline constexpr std::uint32_t kOpLoadVariable = 15;
inline constexpr std::uint32_t kOpLoadReference = 16;
inline constexpr std::uint32_t kOpLoadConstant = 17;
inline constexpr std::uint32_t kOpIncrement = 18;
inline constexpr std::uint32_t kOpDecrement = 19;
inline constexpr std::uint32_t kOpNop = 20;
inline constexpr std::uint32_t kOpNop2 = 21;
inline constexpr std::uint32_t kOpInvalid = 22;
inline constexpr std::uint32_t kOpLineMarker = 23;
}  // namespace snx

class VmState {
public:
    static constexpr std::int32_t kValueStackSize = 768;
    static constexpr std::int32_t kCallStackSize = 32;
    static constexpr std::size_t kScriptNameCapacity = 128;  // with the terminator
    // A variable image asking for more elements in one bank is refused: no game comes near it,
    // and a damaged header must not make us allocate gigabytes.
    static constexpr std::int32_t kMaxVariableCount = 1 << 20;

    VmState();
    ~VmState();
    VmState(const VmState&) = delete;
    VmState& operator=(const VmState&) = delete;

    // Frees the variable banks, the instructions and the data area; the banks are then empty.
    void FreeBanks();

    // ---- value stack ----
    // A push onto a full stack and a pop of an empty one change nothing but the fault; the pop
    // then gives {0, 0}.
    void Push(std::uint32_t type, std::uint32_t value);
    VmValue Pop();
    std::int32_t StackTop() const { return stackTop_; }  // -1: empty
    std::int32_t StackDepth() const { return stackTop_ + 1; }
    // Any of the 768 slots, in use or not; {0, 0} outside the array.
    VmValue StackEntry(std::int32_t index) const;

    // ---- call stack ----
    // Saves the current script name (cut to 127 bytes) and pc with the flag.
    void PushCallFrame(std::uint8_t interruption);
    // Takes the innermost frame. On an empty call stack: empty name, pc 0, flag 0, and the fault.
    void PopCallFrame(String& name, std::uint32_t& pc, std::uint8_t& interruption);
    std::int32_t CallDepth() const { return callDepth_; }  // -1: empty
    // Null outside 0 .. 31.
    const VmCallFrame* CallFrameAt(std::int32_t index) const;

    // Puts both stacks back as a snapshot holds them. A top or depth outside its stack leaves that
    // stack empty; every frame's name ends within its field.
    void RestoreStacks(const std::array<VmValue, kValueStackSize>& values, std::int32_t stackTop,
                       const std::array<VmCallFrame, kCallStackSize>& frames, std::int32_t callDepth);

    // ---- stack faults ----
    VmFault Fault() const { return fault_; }
    bool StackFault() const { return fault_ != VmFault::None; }
    void ClearFault() { fault_ = VmFault::None; }
    // The interpreter's result for a fault (-24 .. -27), 0 for none.
    static std::int32_t FaultCode(VmFault fault);

    // ---- code image ----
    // Reads size bytes from the file and loads them; false on a short read or a refused image.
    bool LoadCodeFile(backend::FileHandle& file, std::int64_t size);
    // Replaces the code image and sets pc to 0. An image that is too short for its header, or
    // whose counts ask for more bytes than it holds, is refused with false and nothing changes.
    // The stacks and the banks are never touched.
    bool LoadCode(const std::uint8_t* image, std::size_t imageSize);
    std::uint32_t InstructionCount() const { return static_cast<std::uint32_t>(code_.size()); }
    std::uint32_t DataSize() const { return static_cast<std::uint32_t>(data_.size()); }
    // Null outside the code.
    const SnxInstruction* InstructionAt(std::uint32_t index) const;
    // The string literal at offset: false when its length word or its text would reach past
    // the data area.
    bool GetLiteral(std::uint32_t offset, const std::uint8_t*& text, std::uint32_t& length) const;
    std::int32_t Pc() const { return pc_; }
    void SetPc(std::int32_t pc) { pc_ = pc; }

    // ---- variable image and banks ----
    // Reads size bytes from the file and loads them; false on a short read or a refused image.
    bool LoadVariableImageFile(backend::FileHandle& file, std::int64_t size);
    // Sizes the eight banks by the image's counts, fills bank B from it and zeroes A integers,
    // A bytes and bank C. Negative or oversized counts and short images are refused with false
    // and nothing changes.
    bool LoadVariableImage(const std::uint8_t* image, std::size_t imageSize);
    // Elements in the bank: its count from the variable image, 0 before one and after FreeBanks.
    std::int32_t VariableCount(VarBank bank) const;

    // Checked element access: null when the index lies outside the bank.
    std::int32_t* AInt(std::uint32_t index) { return Element(aInt_, index); }
    std::uint8_t* AByte(std::uint32_t index) { return Element(aByte_, index); }
    VmString* AString(std::uint32_t index) { return Element(aString_, index); }
    const std::int32_t* BInt(std::uint32_t index) const { return Element(bInt_, index); }
    const std::uint8_t* BByte(std::uint32_t index) const { return Element(bByte_, index); }
    const VmString* BString(std::uint32_t index) const { return Element(bString_, index); }
    std::int32_t* CInt(std::uint32_t index) { return Element(cInt_, index); }
    std::uint8_t* CByte(std::uint32_t index) { return Element(cByte_, index); }

    // The A or C integer; outside the bank the access violation is shown and 0 given.
    std::int32_t GetAInt(std::uint32_t index);
    std::int32_t GetCInt(std::uint32_t index);
    // A string [index] := length bytes; a length of 0 or below, or null bytes, leaves it empty.
    // The bytes may lie inside the variable itself. Outside the bank: the access violation.
    void SetAString(std::uint32_t index, std::int32_t length, const std::uint8_t* bytes);
    // Bank A replaced as a whole, its sizes with it (a restored snapshot).
    void ReplaceBankA(std::vector<std::int32_t> ints, std::vector<std::uint8_t> bytes, std::vector<VmString> strings);

    // ---- names ----
    String GetScriptName() const { return scriptName_; }
    void SetScriptName(const String& name) { scriptName_ = name; }
    String GetSaveFolder() const { return saveFolder_; }
    void SetSaveFolder(const String& folder) { saveFolder_ = folder; }
    String GetSaveTitle() const { return saveTitle_; }
    void SetSaveTitle(const String& title) { saveTitle_ = title; }

    // ---- interpreter ----
    // Runs from pc until an instruction hands control back: 1 end, 2 system call, 3 line
    // marker, 4 return, negative a script error (snx::kErr...). A stack fault left by a
    // handler is reported at once.
    std::int32_t Run();

    // Run fuses a few common instruction sequences into one step (script/vm/decoded_code.h).
    // The results are the same either way; tests and the fuzzer switch it off to compare.
    void SetInstructionFusion(bool enabled);

    // Run, but ending the burst with snx::kStepsSpent once it has taken maxSteps steps (a
    // fused sequence is one step), with pc and the stack as they then stand. Running on
    // resumes exactly there. For the fuzzer and tests, whose scripts may loop forever.
    std::int32_t RunBounded(std::uint64_t maxSteps);

private:
    template <bool kBounded>
    std::int32_t RunLoop(std::uint64_t budget);
    vm_detail::IntegerBanks CurrentIntegerBanks();
    void Decode();

    template <typename T>
    static T* Element(std::vector<T>& bank, std::uint32_t index) {
        return index < bank.size() ? &bank[index] : nullptr;
    }
    template <typename T>
    static const T* Element(const std::vector<T>& bank, std::uint32_t index) {
        return index < bank.size() ? &bank[index] : nullptr;
    }

    String scriptName_;
    String saveFolder_;
    String saveTitle_;

    std::array<VmValue, kValueStackSize> stack_{};
    std::int32_t stackTop_ = -1;
    std::array<VmCallFrame, kCallStackSize> frames_{};
    std::int32_t callDepth_ = -1;
    VmFault fault_ = VmFault::None;

    std::vector<SnxInstruction> code_;
    std::vector<std::uint8_t> data_;
    std::int32_t pc_ = 0;
    // What Run executes: code_ decoded for the integer banks as they were then, and the
    // constants its fused operations read.
    std::vector<vm_detail::DecodedInstruction> decoded_;
    std::vector<std::int32_t> constants_;
    vm_detail::IntegerBanks decodedBanks_;
    // The handler table of the Run loop that filled in the decoded entries' handlers.
    const void* const* handlerTable_ = nullptr;
    bool fuse_ = true;

    // Bank sizes are the vectors' sizes: every check goes against the array itself.
    std::vector<std::int32_t> aInt_;
    std::vector<std::uint8_t> aByte_;
    std::vector<VmString> aString_;
    std::vector<std::int32_t> bInt_;
    std::vector<std::uint8_t> bByte_;
    std::vector<VmString> bString_;
    std::vector<std::int32_t> cInt_;
    std::vector<std::uint8_t> cByte_;
};

}  // namespace kv
