// Fused instruction sequences must behave exactly like the instructions they stand for:
// every program here runs twice, with and without fusion, and must leave the same state.

#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "tests/script/vm/vm_fixture.h"

namespace kv::vmtest {
namespace {

class FusionTest : public VmTest {
protected:
    void SetUp() override {
        VmTest::SetUp();
        plain_ = std::make_unique<VmState>();
        plain_->SetInstructionFusion(false);
        LoadBoth(R"(
aint 4
bint 3
cint 2
bint[0] = 100
bint[1] = -5
bint[2] = 7
)");
    }

    void LoadBoth(std::string_view declarations) {
        const std::vector<std::uint8_t> image = AssembledVariables(declarations);
        ASSERT_FALSE(image.empty());
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
    std::string RunBoth(std::string_view source, int bursts = 1,
                        const std::function<void(VmState&)>& prepare = {}) {
        const std::vector<std::uint8_t> image = AssembledScript(source);
        EXPECT_TRUE(vm_->LoadCode(image.data(), image.size()));
        EXPECT_TRUE(plain_->LoadCode(image.data(), image.size()));
        if (prepare) {
            prepare(*vm_);
            prepare(*plain_);
        }
        std::string last;
        for (int i = 0; i < bursts; ++i) {
            headless_->Dialogs().ClearMessageBoxes();
            const std::int32_t fusedResult = vm_->RunBounded(100'000);
            const std::size_t fusedBoxes = headless_->Dialogs().MessageBoxes().size();
            headless_->Dialogs().ClearMessageBoxes();
            const std::int32_t plainResult = plain_->RunBounded(100'000);
            const std::size_t plainBoxes = headless_->Dialogs().MessageBoxes().size();
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
    // i = 0; s = 0; while (i < 1000) { s = s + i * 3; c0 = c0 - b2; i++; } c1--; copy = s;
    RunBoth(R"(
.var aint i 0
.var aint s 1
.var aint t 2
.var aint copy 3
top:
load i
push 1000
cmp lt
jf done
ref t
load i
push 3
mul
assign
discard
ref s
load s
load t
add
assign
discard
ref cint[0]
load cint[0]
load bint[2]
sub
assign
discard
ref i
inc
discard
jmp top
done:
ref cint[1]
dec
discard
ref copy
load s
assign
discard
end
)");
    EXPECT_EQ(*vm_->AInt(1), 3 * 999 * 1000 / 2);
    EXPECT_EQ(*vm_->AInt(3), 3 * 999 * 1000 / 2);
    EXPECT_EQ(*vm_->CInt(0), -7000);
    EXPECT_EQ(*vm_->CInt(1), -1);
}

TEST_F(FusionTest, JumpsIntoTheMiddleOfASequenceRunItAsWritten) {
    // Into "x; y; compare; jump" at its y, so the compare sees 5 and y.
    EXPECT_EQ(RunBoth(R"(
push 5
jmp y
done: end
load bint[1]    ; x (skipped)
y: push 9
cmp lt          ; 5 < 9
jt.keep done
insn 22, 0, 0   ; fails if run
)"), "result 1 pc 2 fault 0 stack {1,1} A 0 0 0 0 C 0 0");

    // Into the middle of "ref; x; y; add; assign; discard" at its add.
    const char* const intoAdd = R"(
ref aint[0]
push 40
push 2
jmp sum
ref aint[1]
load bint[0]
load bint[1]
sum: add
assign
discard
end
)";
    EXPECT_EQ(RunBoth(intoAdd, 1, EmptyStack), "result 1 pc 10 fault 0 stack A 42 0 0 0 C 0 0");

    // A handler that resumes after a system call inside what would be a sequence.
    const char* const afterCall = R"(
ref aint[2]
sys 7           ; its result {0, 0} becomes the value assigned
assign
discard
end
)";
    EXPECT_EQ(RunBoth(afterCall, 3, EmptyStack), "result 1 pc 4 fault 0 stack A 42 0 0 0 C 0 0");
}

TEST_F(FusionTest, AFullStackFailsAtTheSameInstruction) {
    // Three sequences, starting at 0, 4 and 10.
    const char* const source = R"(
load aint[0]    ; compare-jump
push 1
cmp eq
jf.keep 0
ref aint[1]     ; add
load aint[1]
push 1
add
assign
discard
ref aint[0]     ; step
inc
discard
end
)";
    for (int free = 0; free <= 4; ++free) {
        for (std::uint32_t start : {0u, 4u, 10u}) {
            const std::string state = RunBoth(source, 1, [free, start](VmState& vm) {
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
    EXPECT_EQ(RunBoth(R"(
load aint[9]    ; does not exist
push 0
cmp eq
jf 0
ref cint[1]
load bint[3]    ; outside
assign
discard
ref cint[8]     ; outside
inc
discard
end
)"), "result 1 pc 11 fault 0 stack A 0 0 0 0 C 0 0");
    EXPECT_EQ(AccessViolations(), 3);
}

TEST_F(FusionTest, NewBanksAfterLoadingTheCodeAreFollowed) {
    const char* const source = R"(
ref aint[3]
load bint[2]
load cint[1]
add
assign
discard
end
)";
    RunBoth(source);
    EXPECT_EQ(*vm_->AInt(3), 7);

    // Bigger banks move; smaller ones make the same instructions reach outside.
    LoadBoth(R"(
aint 5000
bint 3
cint 5000
bint[2] = 50
)");
    *vm_->CInt(1) = 3;
    *plain_->CInt(1) = 3;
    RunBoth(source);
    EXPECT_EQ(*vm_->AInt(3), 53);

    LoadBoth("aint 1\n");
    headless_->Dialogs().ClearMessageBoxes();
    vm_->SetPc(0);
    EXPECT_EQ(vm_->Run(), kEnd);
    EXPECT_EQ(AccessViolations(), 3);
}

TEST_F(FusionTest, KeptValuesSelfJumpsAndJumpsAfterASequence) {
    // Keep flag on a taken fused jump; a fused conditional jump to itself goes on.
    EXPECT_EQ(RunBoth(R"(
push 1
push 1
cmp eq
self: jt.keep self  ; to itself: goes on, value kept
load aint[0]
push 0
cmp ne
jf.keep step        ; 0 != 0 is false: jumps, keeps {1, 0}
insn 22, 0, 0
insn 22, 0, 0
step: ref aint[0]
inc
discard
jmp 99              ; a bad target after a sequence still fails at the jump
)"), "result -12 pc 13 fault 0 stack {1,1} {1,0} A 1 0 0 0 C 0 0");
}

// A random program made mostly of fusable pieces, with random operands and jump targets.
std::string RandomProgram(std::mt19937& random) {
    auto pick = [&random](std::uint32_t n) {
        return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random);
    };
    auto number = [&pick](std::uint32_t n) { return std::to_string(pick(n)); };
    const char* const loads[] = {"load aint", "load bint", "load cint", "load abyte", "loadi aint"};
    const char* const compares[] = {"eq", "ne", "lt", "le", "gt", "ge", "6"};
    const char* const arithmetic[] = {"add", "sub", "mul"};
    std::string source;
    std::uint32_t count = 0;
    auto emit = [&source, &count](const std::string& line) {
        source += line + "\n";
        ++count;
    };
    const std::uint32_t length = 8 + pick(40);
    auto operand = [&]() {
        if (pick(3) == 0) {
            emit("push " + std::to_string(static_cast<std::int32_t>(pick(5)) - 2));
        } else {
            const std::string load = loads[pick(5)];
            emit(load + "[" + number(5) + "]");
        }
    };
    auto reference = [&]() {
        const std::string bank = pick(3) == 0 ? "cint" : "aint";
        emit("ref " + bank + "[" + number(5) + "]");
    };
    while (count < length) {
        switch (pick(7)) {
            case 0: {  // compare and branch
                operand();
                operand();
                emit(std::string("cmp ") + compares[pick(7)]);
                const std::string target = number(length + 2);
                const std::string keep = pick(2) ? ".keep " : " ";
                emit((pick(2) ? "jf" : "jt") + keep + target);
                break;
            }
            case 1:  // assignment statement
                reference();
                operand();
                if (pick(2)) {
                    operand();
                    emit(arithmetic[pick(3)]);
                }
                emit("assign");
                emit("discard");
                break;
            case 2:  // step
                reference();
                emit(pick(2) ? "dec" : "inc");
                emit("discard");
                break;
            case 3:
                emit("jmp " + number(length + 2));
                break;
            case 4:
                emit("sys 1");
                break;
            case 5:
                operand();
                break;
            default: {  // any kind, valid or not, with any operands
                const std::string b = number(length);
                const std::string a = number(4);
                emit("insn " + number(24) + ", " + a + ", " + b);
                break;
            }
        }
    }
    emit("end");
    return source;
}

TEST_F(FusionTest, RandomProgramsBehaveTheSame) {
    std::mt19937 random(20240611);
    for (int program = 0; program < 300; ++program) {
        const std::string source = RandomProgram(random);
        RunBoth(source, 8, [](VmState& vm) {
            EmptyStack(vm);
            for (std::uint32_t i = 0; i < 8; ++i) {
                vm.Push(i & 1, i);  // something for stray pops to take
            }
        });
        if (HasFailure()) {
            ADD_FAILURE() << "program " << program << ":\n" << source;
            break;
        }
    }
}

}  // namespace
}  // namespace kv::vmtest
