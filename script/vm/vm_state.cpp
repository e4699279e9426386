#include "script/vm/vm_state.h"

#include <cstring>
#include <utility>

#include "backend/file_service.h"
#include "base/byte_order.h"
#include "script/vm/snx_error.h"

namespace kv {

namespace {

std::int32_t ReadI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(ReadLe32(p));
}

constexpr std::uint64_t kCodeHeaderSize = 8;
constexpr std::uint64_t kInstructionSize = 12;
constexpr std::uint64_t kVariableHeaderSize = 32;

}  // namespace

VmState::VmState() = default;

VmState::~VmState() {
    FreeBanks();
}

void VmState::FreeBanks() {
    std::vector<std::int32_t>().swap(aInt_);
    std::vector<std::uint8_t>().swap(aByte_);
    std::vector<VmString>().swap(aString_);
    std::vector<std::int32_t>().swap(bInt_);
    std::vector<std::uint8_t>().swap(bByte_);
    std::vector<VmString>().swap(bString_);
    std::vector<std::int32_t>().swap(cInt_);
    std::vector<std::uint8_t>().swap(cByte_);
    std::vector<SnxInstruction>().swap(code_);
    std::vector<std::uint8_t>().swap(data_);
    std::vector<vm_detail::DecodedInstruction>().swap(decoded_);
    std::vector<std::int32_t>().swap(constants_);
    handlerTable_ = nullptr;
}

// ---- value stack ----

void VmState::Push(std::uint32_t type, std::uint32_t value) {
    if (stackTop_ >= kValueStackSize - 1) {
        fault_ = VmFault::ValueStackOverflow;
        return;
    }
    ++stackTop_;
    stack_[static_cast<std::size_t>(stackTop_)] = VmValue{type, value};
}

VmValue VmState::Pop() {
    if (stackTop_ < 0) {
        fault_ = VmFault::ValueStackUnderflow;
        return VmValue{};
    }
    return stack_[static_cast<std::size_t>(stackTop_--)];
}

VmValue VmState::StackEntry(std::int32_t index) const {
    if (index < 0 || index >= kValueStackSize) {
        return VmValue{};
    }
    return stack_[static_cast<std::size_t>(index)];
}

// ---- call stack ----

void VmState::PushCallFrame(std::uint8_t interruption) {
    if (callDepth_ >= kCallStackSize - 1) {
        fault_ = VmFault::CallStackOverflow;
        return;
    }
    ++callDepth_;
    VmCallFrame& frame = frames_[static_cast<std::size_t>(callDepth_)];
    std::memset(frame.scriptName, 0, sizeof frame.scriptName);
    const char* name = scriptName_.c_str();
    if (name != nullptr) {
        std::size_t length = static_cast<std::size_t>(scriptName_.GetLength());
        if (length > kScriptNameCapacity - 1) {
            length = kScriptNameCapacity - 1;
        }
        std::memcpy(frame.scriptName, name, length);
    }
    frame.pc = static_cast<std::uint32_t>(pc_);
    frame.interruption = interruption;
}

void VmState::RestoreStacks(const std::array<VmValue, kValueStackSize>& values, std::int32_t stackTop,
                            const std::array<VmCallFrame, kCallStackSize>& frames, std::int32_t callDepth) {
    stack_ = values;
    stackTop_ = stackTop >= -1 && stackTop < kValueStackSize ? stackTop : -1;
    frames_ = frames;
    for (VmCallFrame& frame : frames_) frame.scriptName[sizeof frame.scriptName - 1] = '\0';
    callDepth_ = callDepth >= -1 && callDepth < kCallStackSize ? callDepth : -1;
}

void VmState::PopCallFrame(String& name, std::uint32_t& pc, std::uint8_t& interruption) {
    if (callDepth_ < 0) {
        fault_ = VmFault::CallStackUnderflow;
        name = String();
        pc = 0;
        interruption = 0;
        return;
    }
    const VmCallFrame& frame = frames_[static_cast<std::size_t>(callDepth_)];
    --callDepth_;
    // The array is zero-filled past the copied name, so the last byte is always a terminator.
    name = String(frame.scriptName);
    pc = frame.pc;
    interruption = frame.interruption;
}

const VmCallFrame* VmState::CallFrameAt(std::int32_t index) const {
    if (index < 0 || index >= kCallStackSize) {
        return nullptr;
    }
    return &frames_[static_cast<std::size_t>(index)];
}

std::int32_t VmState::FaultCode(VmFault fault) {
    switch (fault) {
        case VmFault::None: return 0;
        case VmFault::ValueStackOverflow: return snx::kErrValueStackOverflow;
        case VmFault::ValueStackUnderflow: return snx::kErrValueStackUnderflow;
        case VmFault::CallStackOverflow: return snx::kErrCallStackOverflow;
        case VmFault::CallStackUnderflow: return snx::kErrCallStackUnderflow;
    }
    return 0;
}

// ---- code image ----

bool VmState::LoadCodeFile(backend::FileHandle& file, std::int64_t size) {
    std::vector<std::uint8_t> buffer;
    if (!backend::ReadExactly(file, size, buffer)) {
        return false;
    }
    return LoadCode(buffer.data(), buffer.size());
}

bool VmState::LoadCode(const std::uint8_t* image, std::size_t imageSize) {
    if (image == nullptr || imageSize < kCodeHeaderSize) {
        return false;
    }
    const std::uint32_t count = ReadLe32(image);
    const std::uint32_t dataSize = ReadLe32(image + 4);
    // pc is signed 32-bit: every instruction index must fit in it.
    if (count > 0x7FFFFFFFu) {
        return false;
    }
    const std::uint64_t codeBytes = kInstructionSize * count;
    const std::uint64_t needed = kCodeHeaderSize + codeBytes + dataSize;
    if (needed > imageSize) {
        return false;
    }

    std::vector<SnxInstruction> code(count);
    const std::uint8_t* p = image + kCodeHeaderSize;
    for (SnxInstruction& instruction : code) {
        instruction.kind = ReadLe32(p);
        instruction.a = ReadLe32(p + 4);
        instruction.b = ReadLe32(p + 8);
        p += kInstructionSize;
    }
    std::vector<std::uint8_t> data(p, p + dataSize);

    code_.swap(code);
    data_.swap(data);
    pc_ = 0;
    Decode();
    return true;
}

void VmState::SetInstructionFusion(bool enabled) {
    fuse_ = enabled;
    Decode();
}

vm_detail::IntegerBanks VmState::CurrentIntegerBanks() {
    return vm_detail::IntegerBanks{
        aInt_.data(), static_cast<std::uint32_t>(aInt_.size()),
        bInt_.data(), static_cast<std::uint32_t>(bInt_.size()),
        cInt_.data(), static_cast<std::uint32_t>(cInt_.size()),
    };
}

void VmState::Decode() {
    decodedBanks_ = CurrentIntegerBanks();
    vm_detail::DecodeInstructions(code_, fuse_, decodedBanks_, decoded_, constants_);
    handlerTable_ = nullptr;
}

const SnxInstruction* VmState::InstructionAt(std::uint32_t index) const {
    return index < code_.size() ? &code_[index] : nullptr;
}

bool VmState::GetLiteral(std::uint32_t offset, const std::uint8_t*& text,
                         std::uint32_t& length) const {
    const std::uint64_t size = data_.size();
    if (static_cast<std::uint64_t>(offset) + 4 > size) {
        return false;
    }
    const std::uint32_t n = ReadLe32(data_.data() + offset);
    if (static_cast<std::uint64_t>(offset) + 4 + n > size) {
        return false;
    }
    text = data_.data() + offset + 4;
    length = n;
    return true;
}

// ---- variable image and banks ----

bool VmState::LoadVariableImageFile(backend::FileHandle& file, std::int64_t size) {
    std::vector<std::uint8_t> buffer;
    if (!backend::ReadExactly(file, size, buffer)) {
        return false;
    }
    return LoadVariableImage(buffer.data(), buffer.size());
}

bool VmState::LoadVariableImage(const std::uint8_t* image, std::size_t imageSize) {
    if (image == nullptr || imageSize < kVariableHeaderSize) {
        return false;
    }
    std::int32_t counts[kVarBankCount];
    for (int i = 0; i < kVarBankCount; ++i) {
        counts[i] = ReadI32(image + 4 * i);
        if (counts[i] < 0 || counts[i] > kMaxVariableCount) {
            return false;
        }
    }
    const auto count = [&counts](VarBank bank) {
        return static_cast<std::uint64_t>(counts[static_cast<int>(bank)]);
    };

    // Walk the whole image before anything changes.
    const std::uint64_t size = imageSize;
    std::uint64_t pos = kVariableHeaderSize;
    const std::uint64_t bIntPos = pos;
    pos += 4 * count(VarBank::BInt);
    const std::uint64_t bBytePos = pos;
    pos += count(VarBank::BByte);
    if (pos > size) {
        return false;
    }
    const std::uint64_t bStringPos = pos;
    if (4 * count(VarBank::BString) > size - pos) {
        return false;
    }
    for (std::uint64_t i = 0; i < count(VarBank::BString); ++i) {
        if (size - pos < 4) {
            return false;
        }
        const std::uint32_t length = ReadLe32(image + pos);
        pos += 4;
        if (length > size - pos) {
            return false;
        }
        pos += length;
    }

    // Banks that exist keep the elements within the new count (A strings among them).
    aInt_.assign(count(VarBank::AInt), 0);
    aByte_.assign(count(VarBank::AByte), 0);
    aString_.resize(count(VarBank::AString));
    bInt_.resize(count(VarBank::BInt));
    bByte_.resize(count(VarBank::BByte));
    bString_.resize(count(VarBank::BString));
    cInt_.assign(count(VarBank::CInt), 0);
    cByte_.assign(count(VarBank::CByte), 0);

    for (std::size_t i = 0; i < bInt_.size(); ++i) {
        bInt_[i] = ReadI32(image + bIntPos + 4 * i);
    }
    if (!bByte_.empty()) {
        std::memcpy(bByte_.data(), image + bBytePos, bByte_.size());
    }
    pos = bStringPos;
    for (VmString& string : bString_) {
        const std::uint32_t length = ReadLe32(image + pos);
        pos += 4;
        string.Assign(image + pos, length);
        pos += length;
    }
    return true;
}

std::int32_t VmState::VariableCount(VarBank bank) const {
    std::size_t size = 0;
    switch (bank) {
        case VarBank::AInt: size = aInt_.size(); break;
        case VarBank::AByte: size = aByte_.size(); break;
        case VarBank::AString: size = aString_.size(); break;
        case VarBank::BInt: size = bInt_.size(); break;
        case VarBank::BByte: size = bByte_.size(); break;
        case VarBank::BString: size = bString_.size(); break;
        case VarBank::CInt: size = cInt_.size(); break;
        case VarBank::CByte: size = cByte_.size(); break;
    }
    return static_cast<std::int32_t>(size);
}

std::int32_t VmState::GetAInt(std::uint32_t index) {
    if (const std::int32_t* value = AInt(index)) {
        return *value;
    }
    ShowAccessViolation();
    return 0;
}

std::int32_t VmState::GetCInt(std::uint32_t index) {
    if (const std::int32_t* value = CInt(index)) {
        return *value;
    }
    ShowAccessViolation();
    return 0;
}

void VmState::ReplaceBankA(std::vector<std::int32_t> ints, std::vector<std::uint8_t> bytes,
                           std::vector<VmString> strings) {
    aInt_ = std::move(ints);
    aByte_ = std::move(bytes);
    aString_ = std::move(strings);
}

void VmState::SetAString(std::uint32_t index, std::int32_t length, const std::uint8_t* bytes) {
    VmString* string = AString(index);
    if (string == nullptr) {
        ShowAccessViolation();
        return;
    }
    if (length <= 0 || bytes == nullptr) {
        string->Clear();
        return;
    }
    string->Assign(bytes, static_cast<std::uint32_t>(length));
}

}  // namespace kv
