// Fused instruction sequences must behave exactly like the instructions they stand for:
// every program here runs twice, with and without fusion, and must leave the same state.

#include <functional>
#include <random>
#include <sstream>

#include "tests/script/vm/vm_fixture.h"

namespace kv::vmtest {
namespace {

class FusionTest : public VmTest {
protected:
    void SetUp() override {
        VmTest::SetUp();
        plain_ = std::make_unique<VmState>();
        plain_->SetInstructionFusion(false);
        LoadBoth(Vars());
    }

    static VariableImageBuilder Vars() {
        VariableImageBuilder vars;
        vars.aInts = 4;
        vars.bInts = {100, -5, 7};
        vars.cInts = 2;
        return vars;
    }

    void LoadBoth(const VariableImageBuilder& vars) {
        const std::vector<std::uint8_t> image = vars.Build();
        ASSERT_TRUE(vm_->LoadVariableImage(image.data(), image.size()));
        ASSERT_TRUE(plain_->LoadVariableImage(image.data(), image.size()));
    }

    // What a burst leaves behind, as text so that a difference reads well.
    static std::string State(VmState& vm, std::int32_t result) {
        std::ostringstream out;
        out << "result " << result << " pc " << vm.Pc() << " fault "
            << static_cast<int>(vm.Fault()) << " stack";
        for (std::int32_t i = 0; i <= vm.StackTop(); ++i) {
            out << " {" << vm.StackEntry(i).type << "," << vm.StackEntry(i).value << "}";
        }
        out << " A";
        for (std::int32_t i = 0; i < vm.VariableCount(VarBank::AInt); ++i) {
            out << " " << *vm.AInt(static_cast<std::uint32_t>(i));
        }
        out << " C";
        for (std::int32_t i = 0; i < vm.VariableCount(VarBank::CInt); ++i) {
            out << " " << *vm.CInt(static_cast<std::uint32_t>(i));
        }
        return out.str();
    }

    // Loads the code into both machines, prepares both alike, runs up to `bursts` bursts
    // (emulating a handler after each system call or line marker) and compares after each.
    std::string RunBoth(const SnxImageBuilder& code, int bursts = 1,
                        const std::function<void(VmState&)>& prepare = {}) {
        const std::vector<std::uint8_t> image = code.Build();
        EXPECT_TRUE(vm_->LoadCode(image.data(), image.size()));
        EXPECT_TRUE(plain_->LoadCode(image.data(), image.size()));
        if (prepare) {
            prepare(*vm_);
            prepare(*plain_);
        }
        std::string last;
        for (int i = 0; i < bursts; ++i) {
            headless_->ClearMessageBoxes();
            const std::int32_t fusedResult = vm_->RunBounded(100'000);
            const std::size_t fusedBoxes = headless_->MessageBoxes().size();
            headless_->ClearMessageBoxes();
            const std::int32_t plainResult = plain_->RunBounded(100'000);
            const std::size_t plainBoxes = headless_->MessageBoxes().size();
            if (fusedResult == kStepsSpent || plainResult == kStepsSpent) {
                // A fused sequence is one step: the two stop at different places.
                return "endless";
            }
            last = State(*vm_, fusedResult);
            EXPECT_EQ(last, State(*plain_, plainResult));
            EXPECT_EQ(fusedBoxes, plainBoxes);
            if (fusedResult != kSystemCall && fusedResult != kLineMarker) {
                break;
            }
            for (VmState* vm : {vm_.get(), plain_.get()}) {
                if (fusedResult == kSystemCall) {
                    vm->Pop();
                    vm->SetPc(vm->Pc() + 1);
                    vm->Push(0, 0);
                }
            }
        }
        return last;
    }

    static void EmptyStack(VmState& vm) {
        while (vm.StackDepth() > 0) {
            vm.Pop();
        }
        vm.ClearFault();
    }

    std::unique_ptr<VmState> plain_;
};

TEST_F(FusionTest, LoopsComputeTheSameSums) {
    // i = 0; s = 0; while (i < 1000) { s = s + i * 3; c0 = c0 - b2; i++; } c1--;
    SnxImageBuilder c;
    const std::uint32_t top = c.Emit(kOpLoadVariable, 0, 0);
    Int(c, 1000);
    c.Emit(kOpCompare, 2);
    const std::uint32_t exit = c.Emit(kOpJumpIfFalse, 0, 0);
    c.Emit(kOpLoadReference, 2, 0);
    c.Emit(kOpLoadVariable, 0, 0);
    Int(c, 3);
    c.Emit(kOpMultiply);
    c.Emit(kOpAssign);
    c.Emit(kOpDiscard);
    c.Emit(kOpLoadReference, 1, 0);
    c.Emit(kOpLoadVariable, 1, 0);
    c.Emit(kOpLoadVariable, 2, 0);
    c.Emit(kOpAdd);
    c.Emit(kOpAssign);
    c.Emit(kOpDiscard);
    c.Emit(kOpLoadReference, 0, 12);
    c.Emit(kOpLoadVariable, 0, 12);
    c.Emit(kOpLoadVariable, 2, 6);
    c.Emit(kOpSubtract);
    c.Emit(kOpAssign);
    c.Emit(kOpDiscard);
    c.Emit(kOpLoadReference, 0, 0);
    c.Emit(kOpIncrement);
    c.Emit(kOpDiscard);
    c.Emit(kOpJump, 0, top);
    c.PatchB(exit, c.Here());
    c.Emit(kOpLoadReference, 1, 12);
    c.Emit(kOpDecrement);
    c.Emit(kOpDiscard);
    c.Emit(kOpLoadReference, 3, 0);
    c.Emit(kOpLoadVariable, 1, 0);
    c.Emit(kOpAssign);
    c.Emit(kOpDiscard);
    c.Emit(kOpEnd);
    RunBoth(c);
    EXPECT_EQ(*vm_->AInt(1), 3 * 999 * 1000 / 2);
    EXPECT_EQ(*vm_->AInt(3), 3 * 999 * 1000 / 2);
    EXPECT_EQ(*vm_->CInt(0), -7000);
    EXPECT_EQ(*vm_->CInt(1), -1);
}

TEST_F(FusionTest, JumpsIntoTheMiddleOfASequenceRunItAsWritten) {
    // 0: const 5; 1: jump 4 -> into "x; y; compare; jump" at its y, so the compare sees 5 and y.
    SnxImageBuilder c;
    Int(c, 5);
    c.Emit(kOpJump, 0, 4);
    c.Emit(kOpEnd);
    c.Emit(kOpLoadVariable, 1, 6);  // 3: x (skipped)
    Int(c, 9);                      // 4: y
    c.Emit(kOpCompare, 2);          // 5 < 9
    c.Emit(kOpJumpIfTrue, 1, 2);
    c.Emit(kOpInvalid);
    EXPECT_EQ(RunBoth(c), "result 1 pc 2 fault 0 stack {1,1} A 0 0 0 0 C 0 0");

    // Into the middle of "ref; x; y; add; assign; discard" at its add.
    SnxImageBuilder a;
    a.Emit(kOpLoadReference, 0, 0);
    Int(a, 40);
    Int(a, 2);
    a.Emit(kOpJump, 0, 7);
    a.Emit(kOpLoadReference, 1, 0);  // 4
    a.Emit(kOpLoadVariable, 0, 6);
    a.Emit(kOpLoadVariable, 1, 6);
    a.Emit(kOpAdd);                  // 7
    a.Emit(kOpAssign);
    a.Emit(kOpDiscard);
    a.Emit(kOpEnd);
    EXPECT_EQ(RunBoth(a, 1, EmptyStack), "result 1 pc 10 fault 0 stack A 42 0 0 0 C 0 0");

    // A handler that resumes after a system call inside what would be a sequence.
    SnxImageBuilder s;
    s.Emit(kOpLoadReference, 2, 0);
    s.Emit(kOpSystemCall, 7);  // its result {0, 0} becomes the value assigned
    s.Emit(kOpAssign);
    s.Emit(kOpDiscard);
    s.Emit(kOpEnd);
    EXPECT_EQ(RunBoth(s, 3, EmptyStack), "result 1 pc 4 fault 0 stack A 42 0 0 0 C 0 0");
}

TEST_F(FusionTest, AFullStackFailsAtTheSameInstruction) {
    SnxImageBuilder c;
    c.Emit(kOpLoadVariable, 0, 0);  // compare-jump
    Int(c, 1);
    c.Emit(kOpCompare, 0);
    c.Emit(kOpJumpIfFalse, 1, 0);
    c.Emit(kOpLoadReference, 1, 0);  // add
    c.Emit(kOpLoadVariable, 1, 0);
    Int(c, 1);
    c.Emit(kOpAdd);
    c.Emit(kOpAssign);
    c.Emit(kOpDiscard);
    c.Emit(kOpLoadReference, 0, 0);  // step
    c.Emit(kOpIncrement);
    c.Emit(kOpDiscard);
    c.Emit(kOpEnd);
    for (int free = 0; free <= 4; ++free) {
        for (std::uint32_t start : {0u, 4u, 10u}) {
            const std::string state = RunBoth(c, 1, [free, start](VmState& vm) {
                EmptyStack(vm);
                for (int i = 0; i < VmState::kValueStackSize - free; ++i) {
                    vm.Push(0, 0);
                }
                vm.SetPc(static_cast<std::int32_t>(start));
            });
            if (free == 0) {
                EXPECT_NE(state.find("result -24"), std::string::npos) << state;
            }
        }
    }
}

TEST_F(FusionTest, IndexesOutsideTheBanksReportAsWithoutFusion) {
    SnxImageBuilder c;
    c.Emit(kOpLoadVariable, 9, 0);  // A int 9 does not exist
    Int(c, 0);
    c.Emit(kOpCompare, 0);
    c.Emit(kOpJumpIfFalse, 0, 0);
    c.Emit(kOpLoadReference, 1, 12);  // C int 1 := B int 3 (outside)
    c.Emit(kOpLoadVariable, 3, 6);
    c.Emit(kOpAssign);
    c.Emit(kOpDiscard);
    c.Emit(kOpLoadReference, 8, 12);  // C int 8 ++ (outside)
    c.Emit(kOpIncrement);
    c.Emit(kOpDiscard);
    c.Emit(kOpEnd);
    EXPECT_EQ(RunBoth(c), "result 1 pc 11 fault 0 stack A 0 0 0 0 C 0 0");
    EXPECT_EQ(AccessViolations(), 3);
}

TEST_F(FusionTest, NewBanksAfterLoadingTheCodeAreFollowed) {
    SnxImageBuilder c;
    c.Emit(kOpLoadReference, 3, 0);  // A int 3 := B int 2 + C int 1
    c.Emit(kOpLoadVariable, 2, 6);
    c.Emit(kOpLoadVariable, 1, 12);
    c.Emit(kOpAdd);
    c.Emit(kOpAssign);
    c.Emit(kOpDiscard);
    c.Emit(kOpEnd);
    RunBoth(c);
    EXPECT_EQ(*vm_->AInt(3), 7);

    // Bigger banks move; smaller ones make the same instructions reach outside.
    VariableImageBuilder big;
    big.aInts = 5000;
    big.bInts = {0, 0, 50};
    big.cInts = 5000;
    LoadBoth(big);
    *vm_->CInt(1) = 3;
    *plain_->CInt(1) = 3;
    RunBoth(c);
    EXPECT_EQ(*vm_->AInt(3), 53);

    VariableImageBuilder small;
    small.aInts = 1;
    LoadBoth(small);
    headless_->ClearMessageBoxes();
    vm_->SetPc(0);
    EXPECT_EQ(vm_->Run(), kEnd);
    EXPECT_EQ(AccessViolations(), 3);
}

TEST_F(FusionTest, KeptValuesSelfJumpsAndJumpsAfterASequence) {
    // Keep flag on a taken fused jump; a fused conditional jump to itself goes on.
    SnxImageBuilder c;
    Int(c, 1);
    Int(c, 1);
    c.Emit(kOpCompare, 0);
    c.Emit(kOpJumpIfTrue, 1, 3);  // to itself: goes on, value kept
    c.Emit(kOpLoadVariable, 0, 0);
    Int(c, 0);
    c.Emit(kOpCompare, 1);
    c.Emit(kOpJumpIfFalse, 1, 10);  // 0 != 0 is false: jumps, keeps {1, 0}
    c.Emit(kOpInvalid);
    c.Emit(kOpInvalid);
    c.Emit(kOpLoadReference, 0, 0);  // 10
    c.Emit(kOpIncrement);
    c.Emit(kOpDiscard);
    c.Emit(kOpJump, 0, 99);  // a bad target after a sequence still fails at the jump
    EXPECT_EQ(RunBoth(c), "result -12 pc 13 fault 0 stack {1,1} {1,0} A 1 0 0 0 C 0 0");
}

// Random programs made mostly of fusable pieces, with random operands and jump targets.
TEST_F(FusionTest, RandomProgramsBehaveTheSame) {
    std::mt19937 random(20240611);
    auto pick = [&random](std::uint32_t n) {
        return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random);
    };
    const std::uint32_t loadSubKinds[] = {0, 6, 12, 2, 1};
    for (int program = 0; program < 300; ++program) {
        SnxImageBuilder c;
        const std::uint32_t length = 8 + pick(40);
        auto operand = [&]() {
            if (pick(3) == 0) {
                Int(c, static_cast<std::int32_t>(pick(5)) - 2);
            } else {
                c.Emit(kOpLoadVariable, pick(5), loadSubKinds[pick(5)]);
            }
        };
        while (c.Here() < length) {
            switch (pick(7)) {
                case 0:  // compare and branch
                    operand();
                    operand();
                    c.Emit(kOpCompare, pick(7));
                    c.Emit(kOpJumpIfTrue + pick(2), pick(2), pick(length + 2));
                    break;
                case 1:  // assignment statement
                    c.Emit(kOpLoadReference, pick(5), pick(3) == 0 ? 12 : 0);
                    operand();
                    if (pick(2)) {
                        operand();
                        c.Emit(kOpAdd + pick(3));
                    }
                    c.Emit(kOpAssign);
                    c.Emit(kOpDiscard);
                    break;
                case 2:  // step
                    c.Emit(kOpLoadReference, pick(5), pick(3) == 0 ? 12 : 0);
                    c.Emit(kOpIncrement + pick(2));
                    c.Emit(kOpDiscard);
                    break;
                case 3:
                    c.Emit(kOpJump, 0, pick(length + 2));
                    break;
                case 4:
                    c.Emit(kOpSystemCall, 1);
                    break;
                case 5:
                    operand();
                    break;
                default:
                    c.Emit(pick(24), pick(4), pick(length));
                    break;
            }
        }
        c.Emit(kOpEnd);
        RunBoth(c, 8, [](VmState& vm) {
            EmptyStack(vm);
            for (std::uint32_t i = 0; i < 8; ++i) {
                vm.Push(i & 1, i);  // something for stray pops to take
            }
        });
        if (HasFailure()) {
            ADD_FAILURE() << "program " << program;
            break;
        }
    }
}

}  // namespace
}  // namespace kv::vmtest
