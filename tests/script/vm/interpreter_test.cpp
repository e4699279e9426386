// The interpreter: results, stack effects and pc of every instruction kind, and what happens on
// faulty scripts.

#include <climits>
#include <string>

#include "backend/dialog_service.h"
#include "script/vm/snx_error.h"
#include "tests/script/vm/vm_fixture.h"

namespace kv::vmtest {
namespace {

class InterpreterTest : public VmTest {
protected:
    struct Outcome {
        std::int32_t result;
        VmValue top;
        std::int32_t depth;
    };

    // left op right, then end; the operands are push instructions.
    Outcome Binary(const std::string& op, const std::string& left, const std::string& right) {
        const std::int32_t result = LoadAndRun(left + "\n" + right + "\n" + op + "\nend\n");
        const Outcome outcome{result, Top(), vm_->StackDepth()};
        while (vm_->StackDepth() > 0) {
            vm_->Pop();
        }
        return outcome;
    }

    static std::string I(std::int32_t v) { return "push " + std::to_string(v); }
    static constexpr const char* kByte0 = "push byte 0";
    static constexpr const char* kByte1 = "push byte 1";
    // A string literal: neither an integer nor a byte.
    static constexpr const char* kLiteral = "push \"\"";
};

TEST_F(InterpreterTest, ArithmeticWrapsAroundIn32Bits) {
    auto value = [this](const char* op, std::int32_t l, std::int32_t r) {
        const Outcome o = Binary(op, I(l), I(r));
        EXPECT_EQ(o.result, kEnd);
        EXPECT_EQ(o.top.type, 0u);
        EXPECT_EQ(o.depth, 1);
        return static_cast<std::int32_t>(o.top.value);
    };
    EXPECT_EQ(value("add", 2, 3), 5);
    EXPECT_EQ(value("add", INT_MAX, 1), INT_MIN);
    EXPECT_EQ(value("sub", 2, 5), -3);
    EXPECT_EQ(value("sub", INT_MIN, 1), INT_MAX);
    EXPECT_EQ(value("mul", -6, 7), -42);
    EXPECT_EQ(value("mul", 65536, 65536), 0);
    EXPECT_EQ(value("mul", INT_MIN, -1), INT_MIN);
}

TEST_F(InterpreterTest, DivisionTruncatesTowardZeroAndRemainderTakesTheSignOfTheLeft) {
    auto value = [this](const char* op, std::int32_t l, std::int32_t r) {
        const Outcome o = Binary(op, I(l), I(r));
        EXPECT_EQ(o.result, kEnd);
        return static_cast<std::int32_t>(o.top.value);
    };
    EXPECT_EQ(value("div", 7, -2), -3);
    EXPECT_EQ(value("div", -7, 2), -3);
    EXPECT_EQ(value("div", -7, -2), 3);
    EXPECT_EQ(value("mod", -7, 2), -1);
    EXPECT_EQ(value("mod", 7, -2), 1);
    EXPECT_EQ(value("mod", -7, -2), -1);
    // The one quotient that does not fit: no trap, it wraps.
    EXPECT_EQ(value("div", INT_MIN, -1), INT_MIN);
    EXPECT_EQ(value("mod", INT_MIN, -1), 0);
    EXPECT_EQ(value("mod", 5, -1), 0);
}

TEST_F(InterpreterTest, DivisionByZeroFailsAtTheInstructionWithItsOperandsPopped) {
    for (auto [op, code] : {std::pair{"div", kErrDivideByZero}, std::pair{"mod", kErrRemainderByZero}}) {
        const std::string source = std::string(R"(
push 99     ; stays below the operands
push 5
push 0
)") + op + "\nend\n";
        EXPECT_EQ(LoadAndRun(source), code);
        EXPECT_EQ(vm_->Pc(), 3);
        EXPECT_EQ(vm_->StackDepth(), 1);
        EXPECT_EQ(Top().value, 99u);
        while (vm_->StackDepth() > 0) {
            vm_->Pop();
        }
    }
}

TEST_F(InterpreterTest, ArithmeticWantsIntegersOnBothSides) {
    EXPECT_EQ(Binary("add", I(1), kByte1).result, kErrAddType);
    EXPECT_EQ(Binary("sub", kByte1, I(1)).result, kErrSubtractType);
    EXPECT_EQ(Binary("mul", kLiteral, I(1)).result, kErrMultiplyType);
    EXPECT_EQ(Binary("div", I(1), kByte1).result, kErrDivideType);
    // The type is checked before the divisor.
    EXPECT_EQ(Binary("mod", kByte1, I(0)).result, kErrRemainderType);
    EXPECT_EQ(vm_->StackDepth(), 0);

    EXPECT_EQ(LoadAndRun("push byte 1\nneg\n"), kErrNegateType);
    EXPECT_EQ(vm_->StackDepth(), 0);

    EXPECT_EQ(LoadAndRun("push -2147483648\nneg\nend\n"), kEnd);
    EXPECT_EQ(Top().value, static_cast<std::uint32_t>(INT_MIN));
}

TEST_F(InterpreterTest, CompareIsSignedAndWantsTwoIntegersOrTwoBytes) {
    auto truth = [this](const char* op, const std::string& l, const std::string& r) {
        EXPECT_EQ(LoadAndRun(l + "\n" + r + "\ncmp " + op + "\nend\n"), kEnd);
        EXPECT_EQ(Top().type, 1u);
        const std::uint32_t t = Top().value;
        vm_->Pop();
        return t;
    };
    const std::string minus1 = I(-1);
    const std::string two = I(2);
    EXPECT_EQ(truth("eq", minus1, minus1), 1u);
    EXPECT_EQ(truth("ne", minus1, two), 1u);
    EXPECT_EQ(truth("lt", minus1, two), 1u);  // signed: -1 < 2
    EXPECT_EQ(truth("le", two, two), 1u);
    EXPECT_EQ(truth("gt", minus1, two), 0u);
    EXPECT_EQ(truth("ge", minus1, two), 0u);
    EXPECT_EQ(truth("lt", kByte0, kByte1), 1u);

    EXPECT_EQ(Binary("cmp eq", I(1), kByte1).result, kErrCompareTypesDiffer);
    EXPECT_EQ(Binary("cmp eq", kLiteral, kLiteral).result, kErrCompareType);
    EXPECT_EQ(vm_->StackDepth(), 0);

    // An operator above 5 drops both operands, gives nothing and goes on.
    EXPECT_EQ(LoadAndRun(R"(
push 1
push 1
cmp 6
end
)"), kEnd);
    EXPECT_EQ(vm_->StackDepth(), 0);
    EXPECT_EQ(vm_->Pc(), 3);
}

TEST_F(InterpreterTest, ConditionalJumpsKeepTheTestedValueOnlyWhenTheyJump) {
    // jump if true, keep: true jumps and leaves {1, 1}. Kind 22 fails wherever it is run.
    EXPECT_EQ(LoadAndRun(R"(
push byte 1
jt.keep done
insn 22, 0, 0
done: end
)"), kEnd);
    EXPECT_EQ(vm_->Pc(), 3);
    ASSERT_EQ(vm_->StackDepth(), 1);
    EXPECT_EQ(Top().type, 1u);
    EXPECT_EQ(Top().value, 1u);
    vm_->Pop();

    // false goes on without pushing; any non-zero value counts as true, whatever its type.
    EXPECT_EQ(LoadAndRun(R"(
push 0
jt.keep failed
end
failed: insn 22, 0, 0
)"), kEnd);
    EXPECT_EQ(vm_->Pc(), 2);
    EXPECT_EQ(vm_->StackDepth(), 0);

    // jump if false, keep, on 0: jumps with {1, 0}; without keep nothing stays.
    for (std::uint32_t keep : {1u, 0u}) {
        const std::string source = std::string("push 0\n") + (keep ? "jf.keep" : "jf") + R"( done
insn 22, 0, 0
done: end
)";
        EXPECT_EQ(LoadAndRun(source), kEnd);
        ASSERT_EQ(vm_->StackDepth(), static_cast<std::int32_t>(keep));
        if (keep) {
            EXPECT_EQ(Top().type, 1u);
            EXPECT_EQ(Top().value, 0u);
            vm_->Pop();
        }
    }
}

TEST_F(InterpreterTest, BadJumpTargetsFailAtTheJumpAndKeepTheShortCircuitValue) {
    EXPECT_EQ(LoadAndRun("jmp 1  ; target = count\n"), kErrJumpTarget);
    EXPECT_EQ(vm_->Pc(), 0);

    EXPECT_EQ(LoadAndRun("push byte 1\njt.keep 0xFFFFFFFF\n"), kErrJumpIfTrueTarget);
    EXPECT_EQ(vm_->Pc(), 1);
    ASSERT_EQ(vm_->StackDepth(), 1);
    EXPECT_EQ(Top().value, 1u);
    vm_->Pop();

    EXPECT_EQ(LoadAndRun("push byte 0\njf 77\n"), kErrJumpIfFalseTarget);
    EXPECT_EQ(vm_->StackDepth(), 0);

    // A jump that is not taken does not look at its target.
    EXPECT_EQ(LoadAndRun("push byte 0\njt 77\nend\n"), kEnd);
}

TEST_F(InterpreterTest, ConditionalJumpToItselfGoesOnButAPlainJumpToItselfLoops) {
    EXPECT_EQ(LoadAndRun(R"(
push byte 1
self: jt.keep self
end
)"), kEnd);
    EXPECT_EQ(vm_->Pc(), 2);
    EXPECT_EQ(vm_->StackDepth(), 1);  // it counts as a jump: the kept value stays
    vm_->Pop();

    LoadSource("loop: jmp loop\n");
    EXPECT_EQ(vm_->RunBounded(1000), kStepsSpent);
    EXPECT_EQ(vm_->Pc(), 0);
}

TEST_F(InterpreterTest, AssignmentStoresByTargetTypeAndPushesOne) {
    *vm_->AByte(3) = 1;
    ASSERT_EQ(LoadAndRun(R"(
ref aint[1]
push -9
assign
ref abyte[2]
push byte 1
assign
ref abyte[3]
push byte 2     ; stored as 0
assign
ref astr[0]
push "hello"
assign
ref astr[1]
load bstr[2]
assign
ref astr[2]
load astr[0]
assign
ref cint[3]
push 44
assign
end
)"), kEnd);
    EXPECT_EQ(*vm_->AInt(1), -9);
    EXPECT_EQ(*vm_->AByte(2), 1);
    EXPECT_EQ(*vm_->AByte(3), 0);
    EXPECT_EQ(AString(0), "hello");
    EXPECT_EQ(AString(1), "third");
    EXPECT_EQ(AString(2), "hello");
    EXPECT_EQ(*vm_->CInt(3), 44);
    ASSERT_EQ(vm_->StackDepth(), 7);
    for (int i = 0; i < 7; ++i) {
        const VmValue v = vm_->Pop();
        EXPECT_EQ(v.type, 0u);
        EXPECT_EQ(v.value, 1u);
    }
}

TEST_F(InterpreterTest, AssignmentRefusesBankBAndWrongValueTypes) {
    auto assign = [this](VmValue target, VmValue value) {
        LoadSource(R"(
.string x "x"   ; a literal at offset 0
assign
end
)");
        vm_->Push(target.type, target.value);
        vm_->Push(value.type, value.value);
        const std::int32_t r = vm_->Run();
        EXPECT_EQ(vm_->StackDepth(), 0) << "operands popped";
        EXPECT_EQ(vm_->Pc(), 0);
        return r;
    };
    EXPECT_EQ(assign({6, 0}, {0, 1}), kErrAssignTarget);
    EXPECT_EQ(assign({7, 0}, {1, 1}), kErrAssignTarget);
    EXPECT_EQ(assign({8, 0}, {2, 0}), kErrAssignTarget);
    EXPECT_EQ(assign({0, 0}, {0, 1}), kErrAssignTarget);
    EXPECT_EQ(assign({2, 0}, {2, 0}), kErrAssignTarget);
    EXPECT_EQ(assign({4, 0}, {0, 1}), kErrAssignValue);  // an integer into an A byte
    EXPECT_EQ(assign({3, 0}, {1, 1}), kErrAssignValue);
    EXPECT_EQ(assign({5, 0}, {0, 0}), kErrAssignValue);
    EXPECT_EQ(assign({5, 0}, {3, 0}), kErrAssignValue);
    EXPECT_EQ(assign({9, 0}, {1, 0}), kErrAssignValue);
    EXPECT_EQ(*vm_->AByte(0), 0);
}

TEST_F(InterpreterTest, AStringAssignedFromItselfStaysIntact) {
    vm_->SetAString(1, 5, reinterpret_cast<const std::uint8_t*>("hello"));
    EXPECT_EQ(LoadAndRun(R"(
ref astr[1]
load astr[1]
assign
end
)"), kEnd);
    EXPECT_EQ(AString(1), "hello");
}

TEST_F(InterpreterTest, LoadVariableGivesValuesAndStringReferences) {
    *vm_->AInt(2) = -3;
    *vm_->AByte(1) = 1;
    *vm_->CInt(3) = 12;
    *vm_->CInt(2) = 5;
    *vm_->AByte(2) = 1;
    struct Case {
        const char* variable;
        VmValue expected;
    };
    const Case cases[] = {
        {"aint[2]", {0, static_cast<std::uint32_t>(-3)}}, {"abyte[1]", {1, 1}}, {"astr[3]", {5, 3}},
        {"bint[0]", {0, 100}}, {"bbyte[2]", {1, 2}}, {"bstr[1]", {8, 1}}, {"cint[3]", {0, 12}},
    };
    for (const Case& k : cases) {
        ASSERT_EQ(LoadAndRun(std::string("load ") + k.variable + "\nend\n"), kEnd) << k.variable;
        EXPECT_EQ(Top().type, k.expected.type) << k.variable;
        EXPECT_EQ(Top().value, k.expected.value) << k.variable;
        vm_->Pop();
    }
    // Indexed: the top entry's value (whatever its type) is added, and replaced.
    for (std::string bank : {"aint", "abyte", "astr", "bint", "bbyte", "bstr", "cint"}) {
        ASSERT_EQ(LoadAndRun("push byte 1\nloadi " + bank + "[1]\nend\n"), kEnd) << bank;
        ASSERT_EQ(vm_->StackDepth(), 1) << bank;
        const VmValue plain = Top();
        vm_->Pop();
        ASSERT_EQ(LoadAndRun("load " + bank + "[2]\nend\n"), kEnd);
        EXPECT_EQ(plain.type, Top().type) << bank;
        EXPECT_EQ(plain.value, Top().value) << bank;
        vm_->Pop();
    }
    EXPECT_EQ(LoadAndRun("insn 15, 0, 14  ; load with no such sub-kind\n"), kErrLoadVariableSubKind);
    EXPECT_EQ(vm_->StackDepth(), 0);
}

TEST_F(InterpreterTest, LoadReferenceGivesTheBankTypeAndIndex) {
    const char* const banks[7] = {"aint", "abyte", "astr", "bint", "bbyte", "bstr", "cint"};
    const std::uint32_t types[7] = {3, 4, 5, 6, 7, 8, 9};
    for (int bank = 0; bank < 7; ++bank) {
        for (bool indexed : {false, true}) {
            const std::string ref = std::string(indexed ? "push 5\nrefi " : "ref ") + banks[bank] + "[10]";
            ASSERT_EQ(LoadAndRun(ref + "\nend\n"), kEnd);
            ASSERT_EQ(vm_->StackDepth(), 1);
            EXPECT_EQ(Top().type, types[bank]) << ref;
            EXPECT_EQ(Top().value, indexed ? 15u : 10u) << ref;
            vm_->Pop();
        }
    }
    EXPECT_EQ(AccessViolations(), 0) << "references are checked where they are used";
    EXPECT_EQ(LoadAndRun("insn 16, 0, 99  ; reference with no such sub-kind\n"), kErrLoadReferenceSubKind);

    EXPECT_EQ(LoadAndRun("insn 17, 3, 0  ; constant of no such type\n"), kErrConstantType);
    EXPECT_EQ(vm_->StackDepth(), 0);
}

TEST_F(InterpreterTest, IncrementAndDecrementWriteBackAndPushTheNewValue) {
    *vm_->AInt(0) = INT_MAX;
    *vm_->CInt(1) = 10;
    ASSERT_EQ(LoadAndRun(R"(
ref aint[0]
inc
ref cint[1]
dec
end
)"), kEnd);
    EXPECT_EQ(*vm_->AInt(0), INT_MIN);
    EXPECT_EQ(*vm_->CInt(1), 9);
    EXPECT_EQ(vm_->Pop().value, 9u);
    EXPECT_EQ(vm_->Pop().value, static_cast<std::uint32_t>(INT_MIN));

    for (auto [op, code] : {std::pair{"inc", kErrIncrementType}, std::pair{"dec", kErrDecrementType}}) {
        // B integers cannot be stepped.
        EXPECT_EQ(LoadAndRun(std::string("ref bint[0]\n") + op + "\n"), code);
        EXPECT_EQ(vm_->Pc(), 1);
        EXPECT_EQ(vm_->StackDepth(), 0);
    }
}

TEST_F(InterpreterTest, ResultsAndWherePcStands) {
    LoadSource(R"(
line 42
sys 18
ret
nop
nop2
end
)");
    EXPECT_EQ(vm_->Run(), kLineMarker);
    EXPECT_EQ(vm_->Pc(), 1);
    EXPECT_EQ(vm_->Pop().value, 42u);
    EXPECT_EQ(vm_->Run(), kSystemCall);
    EXPECT_EQ(vm_->Pc(), 1) << "the handler advances pc";
    EXPECT_EQ(vm_->Run(), kSystemCall) << "running again repeats the call";
    EXPECT_EQ(vm_->Pop().value, 18u);
    EXPECT_EQ(vm_->Pop().value, 18u);
    vm_->SetPc(2);
    EXPECT_EQ(vm_->Run(), kReturn);
    EXPECT_EQ(vm_->Pc(), 2);
    vm_->SetPc(3);
    EXPECT_EQ(vm_->Run(), kEnd);
    EXPECT_EQ(vm_->Pc(), 5);
    EXPECT_EQ(vm_->StackDepth(), 0);
}

TEST_F(InterpreterTest, PcOutsideTheCodeAndBadKinds) {
    EXPECT_EQ(LoadAndRun(""), kErrPcOutOfRange);

    LoadSource("nop\n");
    EXPECT_EQ(vm_->Run(), kErrPcOutOfRange) << "running off the end";
    EXPECT_EQ(vm_->Pc(), 1);
    vm_->SetPc(-1);
    EXPECT_EQ(vm_->Run(), kErrPcOutOfRange);
    EXPECT_EQ(vm_->Pc(), -1);
    vm_->SetPc(INT_MIN);
    EXPECT_EQ(vm_->Run(), kErrPcOutOfRange);

    for (const char* kind : {"22", "24", "0xFFFFFFFF"}) {
        EXPECT_EQ(LoadAndRun(std::string("nop\ninsn ") + kind + ", 0, 0\n"), kErrBadKind) << kind;
        EXPECT_EQ(vm_->Pc(), 1);
    }
}

TEST_F(InterpreterTest, ValueStackOverflowFailsAtThePushWithItsOwnCode) {
    std::string pushes;
    for (int i = 0; i < VmState::kValueStackSize + 1; ++i) {
        pushes += I(i) + "\n";
    }
    EXPECT_EQ(LoadAndRun(pushes + "end\n"), kErrValueStackOverflow);
    EXPECT_EQ(vm_->Pc(), VmState::kValueStackSize);
    EXPECT_EQ(vm_->StackDepth(), VmState::kValueStackSize);
    EXPECT_EQ(vm_->Fault(), VmFault::ValueStackOverflow);
    EXPECT_EQ(Top().value, static_cast<std::uint32_t>(VmState::kValueStackSize - 1));
    // The fault stays until cleared, so the dispatcher ends the game.
    EXPECT_EQ(vm_->Run(), kErrValueStackOverflow);

    // A system call and a line marker on a full stack fail the same way.
    for (const char* source : {"sys 1\n", "line 1\n"}) {
        vm_->ClearFault();
        EXPECT_EQ(LoadAndRun(source), kErrValueStackOverflow) << source;
        EXPECT_EQ(vm_->Pc(), 0);
    }
}

TEST_F(InterpreterTest, ValueStackUnderflowFailsWithItsOwnCode) {
    for (const char* popping : {"discard", "add", "cmp eq", "assign", "neg", "jt 0", "inc"}) {
        vm_->ClearFault();
        EXPECT_EQ(LoadAndRun(std::string("nop\n") + popping + "\n"), kErrValueStackUnderflow) << popping;
        EXPECT_EQ(vm_->Pc(), 1);
        EXPECT_EQ(vm_->StackDepth(), 0);
    }
    // An indexed load needs its index on the stack.
    vm_->ClearFault();
    EXPECT_EQ(LoadAndRun("loadi aint[0]\n"), kErrValueStackUnderflow);

    // One operand where two are needed: the one there is gone too.
    vm_->ClearFault();
    EXPECT_EQ(LoadAndRun("push 1\nadd\n"), kErrValueStackUnderflow);
    EXPECT_EQ(vm_->StackDepth(), 0);
}

TEST_F(InterpreterTest, FaultsLeftByHandlersEndTheNextBurst) {
    LoadSource("end\n");
    vm_->Pop();
    EXPECT_EQ(vm_->Run(), kErrValueStackUnderflow);
    EXPECT_EQ(vm_->Pc(), 0);

    vm_->ClearFault();
    for (int i = 0; i < VmState::kCallStackSize + 1; ++i) {
        vm_->PushCallFrame(0);
    }
    EXPECT_EQ(vm_->Run(), kErrCallStackOverflow);

    vm_->ClearFault();
    EXPECT_EQ(vm_->Run(), kEnd);
}

TEST_F(InterpreterTest, VariableIndexOutsideItsBankReportsAndReadsZeroWritesNothing) {
    *vm_->CInt(1) = 31;
    ASSERT_EQ(LoadAndRun(R"(
load aint[4]    ; one past the end
load bbyte[3]
push -1
loadi cint[2]   ; [2 + 0xFFFFFFFF] wraps to 1: inside
ref aint[99]
push 5
assign
ref cint[7]
inc
end
)"), kEnd);
    EXPECT_EQ(AccessViolations(), 4);
    ASSERT_EQ(vm_->StackDepth(), 5);
    EXPECT_EQ(vm_->Pop().value, 1u);  // 0 + 1
    EXPECT_EQ(vm_->Pop().value, 1u);  // the assignment's value
    EXPECT_EQ(vm_->Pop().value, 31u);
    EXPECT_EQ(vm_->Pop().value, 0u);
    EXPECT_EQ(vm_->Pop().value, 0u);
    for (std::uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(*vm_->AInt(i), 0);
    }
}

TEST_F(InterpreterTest, StringAssignmentFromOutsideReportsAndLeavesTheTarget) {
    vm_->SetAString(0, 3, reinterpret_cast<const std::uint8_t*>("old"));
    // Literals (kind 17, type 2): offset past the data area, a length word cut short, a length
    // past the end.
    ASSERT_EQ(LoadAndRun(R"(
.string abc "abc"       ; offset 0, 7 bytes
ref astr[0]
insn 17, 2, 100
assign
ref astr[0]
insn 17, 2, 5
assign
ref astr[0]
insn 17, 2, 0xFFFFFFFE
assign
ref astr[0]
load astr[9]
assign
ref astr[0]
load bstr[3]
assign
ref astr[4]
push @abc
assign
end
)"), kEnd);
    EXPECT_EQ(AccessViolations(), 6);
    EXPECT_EQ(AString(0), "old");

    // A length word that claims more bytes than the data area holds.
    ASSERT_EQ(LoadAndRun(R"(
.data ff ff ff 7f 61
ref astr[0]
insn 17, 2, 0   ; the literal at offset 0
assign
end
)"), kEnd);
    EXPECT_EQ(AccessViolations(), 7);
    EXPECT_EQ(AString(0), "old");
}

TEST_F(InterpreterTest, ShowSnxErrorShowsTheCodeInDecimal) {
    ShowSnxError(-24);
    ShowSnxError(-1);
    const auto& boxes = headless_->Dialogs().MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Error code is -24");
    EXPECT_EQ(boxes[0].caption, "SNXError");
    EXPECT_EQ(boxes[0].owner, 0u);
    EXPECT_EQ(boxes[0].buttons, backend::MessageBoxButtons::Ok);
    EXPECT_EQ(boxes[1].text, "Error code is -1");
}

}  // namespace
}  // namespace kv::vmtest
