// The VM state: stacks and their limits, call frames, and the two loaders against short,
// negative and oversized headers.

#include <cstring>

#include "backend/file_service.h"
#include "tests/script/vm/vm_fixture.h"
#include "tests/support/snx_image_builder.h"

namespace kv::vmtest {
namespace {

// The byte builders stay for images whose headers lie, which the assembler never writes.
using kvtest::SnxImageBuilder;
using kvtest::VariableImageBuilder;

// A file that hands out its bytes, optionally fewer than it claims to hold.
class MemoryFile : public backend::FileHandle {
public:
    explicit MemoryFile(std::vector<std::uint8_t> bytes, std::size_t chunk = SIZE_MAX)
        : bytes_(std::move(bytes)), chunk_(chunk) {}
    std::size_t Read(void* buffer, std::size_t n) override {
        n = std::min({n, bytes_.size() - pos_, chunk_});
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    bool Seek(std::int64_t offset) override {
        pos_ = static_cast<std::size_t>(offset);
        return true;
    }
    std::int64_t Tell() override { return static_cast<std::int64_t>(pos_); }
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
    bool Flush() override { return true; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::size_t chunk_;
};

class VmStateTest : public VmTest {
protected:
    bool TryLoadCode(const std::vector<std::uint8_t>& image) {
        return vm_->LoadCode(image.data(), image.size());
    }
    bool TryLoadVars(const std::vector<std::uint8_t>& image) {
        return vm_->LoadVariableImage(image.data(), image.size());
    }

    // A script "end" that the tests load first, to see that a refused image changes nothing.
    void LoadMarkerScript() {
        LoadSource(R"(
line 7
.string kept "kept"
)");
        vm_->SetPc(0);
    }
    void ExpectMarkerScript() {
        EXPECT_EQ(vm_->InstructionCount(), 1u);
        EXPECT_EQ(vm_->DataSize(), 8u);
        EXPECT_EQ(vm_->Run(), kLineMarker);
        EXPECT_EQ(vm_->Pop().value, 7u);
    }
};

TEST_F(VmStateTest, ValueStackIsLastInFirstOutAndStopsAtItsLimits) {
    vm_->Push(0, 1);
    vm_->Push(5, 2);
    EXPECT_EQ(vm_->StackTop(), 1);
    const VmValue top = vm_->Pop();
    EXPECT_EQ(top.type, 5u);
    EXPECT_EQ(top.value, 2u);
    EXPECT_EQ(vm_->Pop().value, 1u);
    EXPECT_FALSE(vm_->StackFault());

    const VmValue none = vm_->Pop();
    EXPECT_EQ(none.type, 0u);
    EXPECT_EQ(none.value, 0u);
    EXPECT_EQ(vm_->StackTop(), -1);
    EXPECT_EQ(vm_->Fault(), VmFault::ValueStackUnderflow);
    vm_->ClearFault();

    for (int i = 0; i < VmState::kValueStackSize; ++i) {
        vm_->Push(0, static_cast<std::uint32_t>(i));
    }
    EXPECT_FALSE(vm_->StackFault());
    vm_->Push(0, 9999);
    EXPECT_EQ(vm_->Fault(), VmFault::ValueStackOverflow);
    EXPECT_EQ(vm_->StackDepth(), VmState::kValueStackSize);
    EXPECT_EQ(vm_->Pop().value, static_cast<std::uint32_t>(VmState::kValueStackSize - 1));
    EXPECT_EQ(vm_->StackEntry(VmState::kValueStackSize).value, 0u);
    EXPECT_EQ(vm_->StackEntry(-1).value, 0u);
}

TEST_F(VmStateTest, CallFramesKeepNamePcAndFlagAndStopAtTheirLimits) {
    vm_->SetScriptName("INIT");
    vm_->SetPc(12);
    vm_->PushCallFrame(0);
    vm_->SetScriptName(String(std::string(200, 'N').c_str()));
    vm_->SetPc(34);
    vm_->PushCallFrame(1);
    EXPECT_EQ(vm_->CallDepth(), 1);
    const VmCallFrame* frame = vm_->CallFrameAt(1);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(std::strlen(frame->scriptName), 127u) << "cut to fit with its terminator";

    String name;
    std::uint32_t pc = 0;
    std::uint8_t flag = 9;
    vm_->PopCallFrame(name, pc, flag);
    EXPECT_EQ(name.GetLength(), 127);
    EXPECT_EQ(pc, 34u);
    EXPECT_EQ(flag, 1);
    vm_->PopCallFrame(name, pc, flag);
    EXPECT_STREQ(name.c_str(), "INIT");
    EXPECT_EQ(pc, 12u);
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(vm_->StackFault());

    vm_->PopCallFrame(name, pc, flag);
    EXPECT_EQ(vm_->Fault(), VmFault::CallStackUnderflow);
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_EQ(pc, 0u);
    EXPECT_EQ(vm_->CallDepth(), -1);
    EXPECT_EQ(VmState::FaultCode(vm_->Fault()), kErrCallStackUnderflow);
    vm_->ClearFault();

    for (int i = 0; i < VmState::kCallStackSize; ++i) {
        vm_->PushCallFrame(0);
    }
    EXPECT_FALSE(vm_->StackFault());
    vm_->PushCallFrame(0);
    EXPECT_EQ(vm_->Fault(), VmFault::CallStackOverflow);
    EXPECT_EQ(vm_->CallDepth(), VmState::kCallStackSize - 1);
    EXPECT_EQ(vm_->CallFrameAt(VmState::kCallStackSize), nullptr);
}

TEST_F(VmStateTest, LoadCodeReadsTheLayoutAndLeavesStacksAndBanksAlone) {
    vm_->Push(0, 5);
    vm_->SetPc(3);
    vm_->PushCallFrame(0);
    *vm_->AInt(0) = 77;
    ASSERT_TRUE(TryLoadCode(AssembledScript(R"(
insn 0x01020304, 0xA0B0C0D0, 7
end
.string text "text"
)")));
    EXPECT_EQ(vm_->Pc(), 0);
    EXPECT_EQ(vm_->InstructionCount(), 2u);
    EXPECT_EQ(vm_->DataSize(), 8u);
    const SnxInstruction* first = vm_->InstructionAt(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->kind, 0x01020304u);
    EXPECT_EQ(first->a, 0xA0B0C0D0u);
    EXPECT_EQ(first->b, 7u);
    EXPECT_EQ(vm_->InstructionAt(2), nullptr);
    const std::uint8_t* text = nullptr;
    std::uint32_t length = 0;
    ASSERT_TRUE(vm_->GetLiteral(0, text, length));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text), length), "text");
    EXPECT_EQ(vm_->StackDepth(), 1);
    EXPECT_EQ(vm_->CallDepth(), 0);
    EXPECT_EQ(*vm_->AInt(0), 77);

    ASSERT_TRUE(TryLoadCode(AssembledScript("")));
    EXPECT_EQ(vm_->InstructionCount(), 0u);
    EXPECT_EQ(vm_->DataSize(), 0u);
    EXPECT_EQ(vm_->Run(), kErrPcOutOfRange);
}

TEST_F(VmStateTest, MalformedCodeImagesAreRefusedAndChangeNothing) {
    LoadMarkerScript();
    vm_->SetPc(0);

    const std::vector<std::uint8_t> good = AssembledScript(R"(
end
end
.string abc "abc"
)");
    ASSERT_EQ(good.size(), 8u + 2 * 12 + 7);

    // Every cut short of the whole image.
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(vm_->LoadCode(good.data(), size)) << size;
    }
    EXPECT_FALSE(vm_->LoadCode(nullptr, 100));

    SnxImageBuilder overflow;  // 12 * count does not fit 32 bits
    overflow.OverrideCount(0xFFFFFFFFu);
    EXPECT_FALSE(TryLoadCode(overflow.Build()));
    SnxImageBuilder wraps;  // 12 * 0x15555556 wraps to 8 in 32 bits
    wraps.OverrideCount(0x15555556u);
    wraps.AddData(std::vector<std::uint8_t>(16, 0));
    EXPECT_FALSE(TryLoadCode(wraps.Build()));
    SnxImageBuilder data;
    data.Emit(kOpEnd);
    data.OverrideDataSize(0xFFFFFFFFu);
    EXPECT_FALSE(TryLoadCode(data.Build()));

    ExpectMarkerScript();
}

TEST_F(VmStateTest, VariableImageSizesTheBanksAndFillsBankB) {
    EXPECT_EQ(vm_->VariableCount(VarBank::AInt), 4);
    EXPECT_EQ(vm_->VariableCount(VarBank::BInt), 3);
    EXPECT_EQ(vm_->VariableCount(VarBank::BString), 3);
    EXPECT_EQ(vm_->VariableCount(VarBank::CByte), 4);
    EXPECT_EQ(*vm_->BInt(1), -5);
    EXPECT_EQ(*vm_->BByte(2), 2);
    EXPECT_EQ(vm_->BString(0)->Length(), 3u);
    EXPECT_EQ(std::memcmp(vm_->BString(0)->Bytes(), "bee", 3), 0);
    EXPECT_EQ(vm_->BString(1)->Length(), 0u);
    EXPECT_EQ(vm_->BString(1)->Bytes(), nullptr);
    EXPECT_EQ(vm_->BInt(3), nullptr);
    EXPECT_EQ(vm_->AString(4), nullptr);

    // Loading again zeroes banks A (but its strings) and C.
    *vm_->AInt(1) = 5;
    *vm_->AByte(1) = 1;
    *vm_->CInt(1) = 5;
    *vm_->CByte(1) = 1;
    vm_->SetAString(1, 2, reinterpret_cast<const std::uint8_t*>("hi"));
    LoadVars(R"(
aint 4
abyte 4
astr 4
cint 4
cbyte 4
)");
    EXPECT_EQ(*vm_->AInt(1), 0);
    EXPECT_EQ(*vm_->AByte(1), 0);
    EXPECT_EQ(*vm_->CInt(1), 0);
    EXPECT_EQ(*vm_->CByte(1), 0);
    EXPECT_EQ(AString(1), "hi");
    EXPECT_EQ(vm_->VariableCount(VarBank::BInt), 0);

    // All eight counts 0: 32 bytes, every bank empty.
    ASSERT_EQ(AssembledVariables("").size(), 32u);
    LoadVars("");
    for (int bank = 0; bank < kVarBankCount; ++bank) {
        EXPECT_EQ(vm_->VariableCount(static_cast<VarBank>(bank)), 0);
    }
    EXPECT_EQ(vm_->AInt(0), nullptr);
}

TEST_F(VmStateTest, MalformedVariableImagesAreRefusedAndChangeNothing) {
    const std::vector<std::uint8_t> image = AssembledVariables(R"(
aint 2
bint 2
bbyte 1
bstr 1
bint[0] = 1
bint[1] = 2
bbyte[0] = 3
bstr[0] = "four"
)");
    ASSERT_EQ(image.size(), 32u + 2 * 4 + 1 + 4 + 4);
    for (std::size_t size = 0; size < image.size(); ++size) {
        EXPECT_FALSE(vm_->LoadVariableImage(image.data(), size)) << size;
    }
    EXPECT_FALSE(vm_->LoadVariableImage(nullptr, 64));

    auto refused = [this](VariableImageBuilder vars) {
        EXPECT_FALSE(TryLoadVars(vars.Build()));
    };
    for (int bank = 0; bank < kVarBankCount; ++bank) {
        VariableImageBuilder negative;
        negative.OverrideCount(bank, -1);
        refused(negative);
        VariableImageBuilder huge;
        huge.OverrideCount(bank, VmState::kMaxVariableCount + 1);
        refused(huge);
    }
    VariableImageBuilder moreInts;  // counts more B integers than the image holds
    moreInts.bInts = {1};
    moreInts.OverrideCount(3, 2);
    refused(moreInts);
    VariableImageBuilder moreStrings;
    moreStrings.AddBString("a");
    moreStrings.OverrideCount(5, 1000);
    refused(moreStrings);
    // A B string whose length reaches past the end.
    std::vector<std::uint8_t> bytes = AssembledVariables("bstr 1\nbstr[0] = \"abc\"\n");
    ASSERT_EQ(bytes.size(), 32u + 4 + 3);
    bytes[32] = 4;
    EXPECT_FALSE(TryLoadVars(bytes));
    bytes[32] = 0xFF;
    bytes[35] = 0xFF;
    EXPECT_FALSE(TryLoadVars(bytes));

    // The banks of the fixture are still there.
    EXPECT_EQ(vm_->VariableCount(VarBank::AInt), 4);
    EXPECT_EQ(*vm_->BInt(0), 100);
    EXPECT_EQ(AString(0), "");
}

TEST_F(VmStateTest, FileLoadersReadTheWholeSizeOrNothing) {
    const std::vector<std::uint8_t> code = AssembledScript("line 3\n");
    {
        MemoryFile file(code, 5);  // delivered in pieces
        EXPECT_TRUE(vm_->LoadCodeFile(file, static_cast<std::int64_t>(code.size())));
        EXPECT_EQ(vm_->InstructionCount(), 1u);
    }
    LoadMarkerScript();
    {
        MemoryFile file(code);
        EXPECT_FALSE(vm_->LoadCodeFile(file, static_cast<std::int64_t>(code.size()) + 1));
        MemoryFile again(code);
        EXPECT_FALSE(vm_->LoadCodeFile(again, -1));
    }
    ExpectMarkerScript();

    const std::vector<std::uint8_t> image = AssembledVariables("aint 9\n");
    {
        MemoryFile file(image);
        EXPECT_FALSE(vm_->LoadVariableImageFile(file, 40));
        EXPECT_EQ(vm_->VariableCount(VarBank::AInt), 4);
        MemoryFile again(image, 3);
        EXPECT_TRUE(vm_->LoadVariableImageFile(again, 32));
        EXPECT_EQ(vm_->VariableCount(VarBank::AInt), 9);
    }
}

TEST_F(VmStateTest, SetAStringCopiesOrEmptiesAndChecksItsIndex) {
    const auto* hello = reinterpret_cast<const std::uint8_t*>("hello");
    vm_->SetAString(2, 5, hello);
    EXPECT_EQ(AString(2), "hello");
    // From inside itself.
    vm_->SetAString(2, 3, vm_->AString(2)->Bytes() + 2);
    EXPECT_EQ(AString(2), "llo");
    vm_->SetAString(2, -4, hello);
    EXPECT_EQ(vm_->AString(2)->Length(), 0u);
    vm_->SetAString(2, 1, nullptr);  // a length without bytes leaves it empty
    EXPECT_EQ(vm_->AString(2)->Length(), 0u);
    EXPECT_EQ(AccessViolations(), 0);
    vm_->SetAString(4, 5, hello);
    EXPECT_EQ(AccessViolations(), 1);
}

TEST_F(VmStateTest, CheckedIntegerReadsReportOutsideTheBank) {
    *vm_->AInt(3) = 8;
    *vm_->CInt(0) = -2;
    EXPECT_EQ(vm_->GetAInt(3), 8);
    EXPECT_EQ(vm_->GetCInt(0), -2);
    EXPECT_EQ(AccessViolations(), 0);
    EXPECT_EQ(vm_->GetAInt(4), 0);
    EXPECT_EQ(vm_->GetCInt(0xFFFFFFFFu), 0);
    EXPECT_EQ(AccessViolations(), 2);
}

}  // namespace
}  // namespace kv::vmtest
