// The interpreter: results, stack effects and pc of every instruction kind, and what happens on
// faulty scripts.

#include <climits>

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

    // left op right, then end.
    Outcome Binary(std::uint32_t kind, VmValue left, VmValue right) {
        SnxImageBuilder c;
        c.Emit(kOpLoadConstant, left.type, left.value);
        c.Emit(kOpLoadConstant, right.type, right.value);
        c.Emit(kind);
        c.Emit(kOpEnd);
        const std::int32_t result = LoadAndRun(c);
        const Outcome outcome{result, Top(), vm_->StackDepth()};
        while (vm_->StackDepth() > 0) {
            vm_->Pop();
        }
        return outcome;
    }

    static VmValue I(std::int32_t v) { return {0, static_cast<std::uint32_t>(v)}; }
};

TEST_F(InterpreterTest, ArithmeticWrapsAroundIn32Bits) {
    auto value = [this](std::uint32_t kind, std::int32_t l, std::int32_t r) {
        const Outcome o = Binary(kind, I(l), I(r));
        EXPECT_EQ(o.result, kEnd);
        EXPECT_EQ(o.top.type, 0u);
        EXPECT_EQ(o.depth, 1);
        return static_cast<std::int32_t>(o.top.value);
    };
    EXPECT_EQ(value(kOpAdd, 2, 3), 5);
    EXPECT_EQ(value(kOpAdd, INT_MAX, 1), INT_MIN);
    EXPECT_EQ(value(kOpSubtract, 2, 5), -3);
    EXPECT_EQ(value(kOpSubtract, INT_MIN, 1), INT_MAX);
    EXPECT_EQ(value(kOpMultiply, -6, 7), -42);
    EXPECT_EQ(value(kOpMultiply, 65536, 65536), 0);
    EXPECT_EQ(value(kOpMultiply, INT_MIN, -1), INT_MIN);
}

TEST_F(InterpreterTest, DivisionTruncatesTowardZeroAndRemainderTakesTheSignOfTheLeft) {
    auto value = [this](std::uint32_t kind, std::int32_t l, std::int32_t r) {
        const Outcome o = Binary(kind, I(l), I(r));
        EXPECT_EQ(o.result, kEnd);
        return static_cast<std::int32_t>(o.top.value);
    };
    EXPECT_EQ(value(kOpDivide, 7, -2), -3);
    EXPECT_EQ(value(kOpDivide, -7, 2), -3);
    EXPECT_EQ(value(kOpDivide, -7, -2), 3);
    EXPECT_EQ(value(kOpRemainder, -7, 2), -1);
    EXPECT_EQ(value(kOpRemainder, 7, -2), 1);
    EXPECT_EQ(value(kOpRemainder, -7, -2), -1);
    // The one quotient that does not fit: no trap, it wraps.
    EXPECT_EQ(value(kOpDivide, INT_MIN, -1), INT_MIN);
    EXPECT_EQ(value(kOpRemainder, INT_MIN, -1), 0);
    EXPECT_EQ(value(kOpRemainder, 5, -1), 0);
}

TEST_F(InterpreterTest, DivisionByZeroFailsAtTheInstructionWithItsOperandsPopped) {
    for (auto [kind, code] : {std::pair{kOpDivide, kErrDivideByZero},
                              std::pair{kOpRemainder, kErrRemainderByZero}}) {
        SnxImageBuilder c;
        Int(c, 99);  // stays below the operands
        Int(c, 5);
        Int(c, 0);
        c.Emit(kind);
        c.Emit(kOpEnd);
        EXPECT_EQ(LoadAndRun(c), code);
        EXPECT_EQ(vm_->Pc(), 3);
        EXPECT_EQ(vm_->StackDepth(), 1);
        EXPECT_EQ(Top().value, 99u);
        while (vm_->StackDepth() > 0) {
            vm_->Pop();
        }
    }
}

TEST_F(InterpreterTest, ArithmeticWantsIntegersOnBothSides) {
    const VmValue byte{1, 1};
    EXPECT_EQ(Binary(kOpAdd, I(1), byte).result, kErrAddType);
    EXPECT_EQ(Binary(kOpSubtract, byte, I(1)).result, kErrSubtractType);
    EXPECT_EQ(Binary(kOpMultiply, VmValue{2, 0}, I(1)).result, kErrMultiplyType);
    EXPECT_EQ(Binary(kOpDivide, I(1), byte).result, kErrDivideType);
    // The type is checked before the divisor.
    EXPECT_EQ(Binary(kOpRemainder, byte, I(0)).result, kErrRemainderType);
    EXPECT_EQ(vm_->StackDepth(), 0);

    SnxImageBuilder c;
    Byte(c, 1);
    c.Emit(kOpNegate);
    EXPECT_EQ(LoadAndRun(c), kErrNegateType);
    EXPECT_EQ(vm_->StackDepth(), 0);

    SnxImageBuilder n;
    Int(n, INT_MIN);
    n.Emit(kOpNegate);
    n.Emit(kOpEnd);
    EXPECT_EQ(LoadAndRun(n), kEnd);
    EXPECT_EQ(Top().value, static_cast<std::uint32_t>(INT_MIN));
}

TEST_F(InterpreterTest, CompareIsSignedAndWantsTwoIntegersOrTwoBytes) {
    auto truth = [this](std::uint32_t op, VmValue l, VmValue r) {
        SnxImageBuilder c;
        c.Emit(kOpLoadConstant, l.type, l.value);
        c.Emit(kOpLoadConstant, r.type, r.value);
        c.Emit(kOpCompare, op);
        c.Emit(kOpEnd);
        EXPECT_EQ(LoadAndRun(c), kEnd);
        EXPECT_EQ(Top().type, 1u);
        const std::uint32_t t = Top().value;
        vm_->Pop();
        return t;
    };
    const VmValue minus1 = I(-1);
    const VmValue two = I(2);
    EXPECT_EQ(truth(0, minus1, minus1), 1u);
    EXPECT_EQ(truth(1, minus1, two), 1u);
    EXPECT_EQ(truth(2, minus1, two), 1u);  // signed: -1 < 2
    EXPECT_EQ(truth(3, two, two), 1u);
    EXPECT_EQ(truth(4, minus1, two), 0u);
    EXPECT_EQ(truth(5, minus1, two), 0u);
    EXPECT_EQ(truth(2, VmValue{1, 0}, VmValue{1, 1}), 1u);

    EXPECT_EQ(Binary(kOpCompare, I(1), VmValue{1, 1}).result, kErrCompareTypesDiffer);
    EXPECT_EQ(Binary(kOpCompare, VmValue{2, 0}, VmValue{2, 0}).result, kErrCompareType);
    EXPECT_EQ(vm_->StackDepth(), 0);

    // An operator above 5 drops both operands, gives nothing and goes on.
    SnxImageBuilder c;
    Int(c, 1);
    Int(c, 1);
    c.Emit(kOpCompare, 6);
    c.Emit(kOpEnd);
    EXPECT_EQ(LoadAndRun(c), kEnd);
    EXPECT_EQ(vm_->StackDepth(), 0);
    EXPECT_EQ(vm_->Pc(), 3);
}

TEST_F(InterpreterTest, ConditionalJumpsKeepTheTestedValueOnlyWhenTheyJump) {
    // jump if true, keep: true jumps and leaves {1, 1}.
    SnxImageBuilder c;
    Byte(c, 1);
    c.Emit(kOpJumpIfTrue, 1, 3);
    c.Emit(kOpInvalid);
    c.Emit(kOpEnd);
    EXPECT_EQ(LoadAndRun(c), kEnd);
    EXPECT_EQ(vm_->Pc(), 3);
    ASSERT_EQ(vm_->StackDepth(), 1);
    EXPECT_EQ(Top().type, 1u);
    EXPECT_EQ(Top().value, 1u);
    vm_->Pop();

    // false goes on without pushing; any non-zero value counts as true, whatever its type.
    SnxImageBuilder f;
    Int(f, 0);
    f.Emit(kOpJumpIfTrue, 1, 3);
    f.Emit(kOpEnd);
    f.Emit(kOpInvalid);
    EXPECT_EQ(LoadAndRun(f), kEnd);
    EXPECT_EQ(vm_->Pc(), 2);
    EXPECT_EQ(vm_->StackDepth(), 0);

    // jump if false, keep, on 0: jumps with {1, 0}; without keep nothing stays.
    for (std::uint32_t keep : {1u, 0u}) {
        SnxImageBuilder z;
        Int(z, 0);
        z.Emit(kOpJumpIfFalse, keep, 3);
        z.Emit(kOpInvalid);
        z.Emit(kOpEnd);
        EXPECT_EQ(LoadAndRun(z), kEnd);
        ASSERT_EQ(vm_->StackDepth(), static_cast<std::int32_t>(keep));
        if (keep) {
            EXPECT_EQ(Top().type, 1u);
            EXPECT_EQ(Top().value, 0u);
            vm_->Pop();
        }
    }
}

TEST_F(InterpreterTest, BadJumpTargetsFailAtTheJumpAndKeepTheShortCircuitValue) {
    SnxImageBuilder c;
    c.Emit(kOpJump, 0, 1);  // target = count
    EXPECT_EQ(LoadAndRun(c), kErrJumpTarget);
    EXPECT_EQ(vm_->Pc(), 0);

    SnxImageBuilder t;
    Byte(t, 1);
    t.Emit(kOpJumpIfTrue, 1, 0xFFFFFFFFu);
    EXPECT_EQ(LoadAndRun(t), kErrJumpIfTrueTarget);
    EXPECT_EQ(vm_->Pc(), 1);
    ASSERT_EQ(vm_->StackDepth(), 1);
    EXPECT_EQ(Top().value, 1u);
    vm_->Pop();

    SnxImageBuilder f;
    Byte(f, 0);
    f.Emit(kOpJumpIfFalse, 0, 77);
    EXPECT_EQ(LoadAndRun(f), kErrJumpIfFalseTarget);
    EXPECT_EQ(vm_->StackDepth(), 0);

    // A jump that is not taken does not look at its target.
    SnxImageBuilder n;
    Byte(n, 0);
    n.Emit(kOpJumpIfTrue, 0, 77);
    n.Emit(kOpEnd);
    EXPECT_EQ(LoadAndRun(n), kEnd);
}

TEST_F(InterpreterTest, ConditionalJumpToItselfGoesOnButAPlainJumpToItselfLoops) {
    SnxImageBuilder c;
    Byte(c, 1);
    c.Emit(kOpJumpIfTrue, 1, 1);
    c.Emit(kOpEnd);
    EXPECT_EQ(LoadAndRun(c), kEnd);
    EXPECT_EQ(vm_->Pc(), 2);
    EXPECT_EQ(vm_->StackDepth(), 1);  // it counts as a jump: the kept value stays
    vm_->Pop();

    SnxImageBuilder loop;
    loop.Emit(kOpJump, 0, 0);
    Load(loop);
    EXPECT_EQ(vm_->RunBounded(1000), kStepsSpent);
    EXPECT_EQ(vm_->Pc(), 0);
}

TEST_F(InterpreterTest, AssignmentStoresByTargetTypeAndPushesOne) {
    const std::uint32_t lit = 0;
    SnxImageBuilder c;
    c.AddLiteral("hello");
    c.Emit(kOpLoadReference, 1, 0);  // A int 1 := -9
    Int(c, -9);
    c.Emit(kOpAssign);
    c.Emit(kOpLoadReference, 2, 2);  // A byte 2 := 1
    Byte(c, 1);
    c.Emit(kOpAssign);
    c.Emit(kOpLoadReference, 3, 2);  // A byte 3 := 2 (stored as 0)
    Byte(c, 2);
    c.Emit(kOpAssign);
    c.Emit(kOpLoadReference, 0, 4);  // A string 0 := literal
    c.Emit(kOpLoadConstant, 2, lit);
    c.Emit(kOpAssign);
    c.Emit(kOpLoadReference, 1, 4);  // A string 1 := B string 2
    c.Emit(kOpLoadVariable, 2, 10);
    c.Emit(kOpAssign);
    c.Emit(kOpLoadReference, 2, 4);  // A string 2 := A string 0
    c.Emit(kOpLoadVariable, 0, 4);
    c.Emit(kOpAssign);
    c.Emit(kOpLoadReference, 3, 12);  // C int 3 := 44
    Int(c, 44);
    c.Emit(kOpAssign);
    c.Emit(kOpEnd);
    *vm_->AByte(3) = 1;
    ASSERT_EQ(LoadAndRun(c), kEnd);
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
        SnxImageBuilder a;
        a.AddLiteral("x");
        a.Emit(kOpAssign);
        a.Emit(kOpEnd);
        Load(a);
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
    SnxImageBuilder c;
    c.Emit(kOpLoadReference, 1, 4);
    c.Emit(kOpLoadVariable, 1, 4);
    c.Emit(kOpAssign);
    c.Emit(kOpEnd);
    EXPECT_EQ(LoadAndRun(c), kEnd);
    EXPECT_EQ(AString(1), "hello");
}

TEST_F(InterpreterTest, LoadVariableGivesValuesAndStringReferences) {
    *vm_->AInt(2) = -3;
    *vm_->AByte(1) = 1;
    *vm_->CInt(3) = 12;
    *vm_->CInt(2) = 5;
    *vm_->AByte(2) = 1;
    struct Case {
        std::uint32_t a, b;
        VmValue expected;
    };
    const Case cases[] = {
        {2, 0, {0, static_cast<std::uint32_t>(-3)}}, {1, 2, {1, 1}}, {3, 4, {5, 3}},
        {0, 6, {0, 100}}, {2, 8, {1, 2}},          {1, 10, {8, 1}}, {3, 12, {0, 12}},
    };
    for (const Case& k : cases) {
        SnxImageBuilder c;
        c.Emit(kOpLoadVariable, k.a, k.b);
        c.Emit(kOpEnd);
        ASSERT_EQ(LoadAndRun(c), kEnd) << k.b;
        EXPECT_EQ(Top().type, k.expected.type) << k.b;
        EXPECT_EQ(Top().value, k.expected.value) << k.b;
        vm_->Pop();
    }
    // Indexed: the top entry's value (whatever its type) is added, and replaced.
    for (std::uint32_t b : {1u, 3u, 5u, 7u, 9u, 11u, 13u}) {
        SnxImageBuilder c;
        Byte(c, 1);
        c.Emit(kOpLoadVariable, 1, b);
        c.Emit(kOpEnd);
        ASSERT_EQ(LoadAndRun(c), kEnd) << b;
        ASSERT_EQ(vm_->StackDepth(), 1) << b;
        const VmValue plain = Top();
        vm_->Pop();
        SnxImageBuilder d;
        d.Emit(kOpLoadVariable, 2, b - 1);
        d.Emit(kOpEnd);
        ASSERT_EQ(LoadAndRun(d), kEnd);
        EXPECT_EQ(plain.type, Top().type) << b;
        EXPECT_EQ(plain.value, Top().value) << b;
        vm_->Pop();
    }
    SnxImageBuilder bad;
    bad.Emit(kOpLoadVariable, 0, 14);
    EXPECT_EQ(LoadAndRun(bad), kErrLoadVariableSubKind);
    EXPECT_EQ(vm_->StackDepth(), 0);
}

TEST_F(InterpreterTest, LoadReferenceGivesTheBankTypeAndIndex) {
    const std::uint32_t types[7] = {3, 4, 5, 6, 7, 8, 9};
    for (std::uint32_t b = 0; b <= 13; ++b) {
        SnxImageBuilder c;
        if (b & 1) {
            Int(c, 5);
        }
        c.Emit(kOpLoadReference, 10, b);
        c.Emit(kOpEnd);
        ASSERT_EQ(LoadAndRun(c), kEnd);
        ASSERT_EQ(vm_->StackDepth(), 1);
        EXPECT_EQ(Top().type, types[b / 2]) << b;
        EXPECT_EQ(Top().value, (b & 1) ? 15u : 10u) << b;
        vm_->Pop();
    }
    EXPECT_EQ(AccessViolations(), 0) << "references are checked where they are used";
    SnxImageBuilder bad;
    bad.Emit(kOpLoadReference, 0, 99);
    EXPECT_EQ(LoadAndRun(bad), kErrLoadReferenceSubKind);

    SnxImageBuilder constant;
    constant.Emit(kOpLoadConstant, 3, 0);
    EXPECT_EQ(LoadAndRun(constant), kErrConstantType);
    EXPECT_EQ(vm_->StackDepth(), 0);
}

TEST_F(InterpreterTest, IncrementAndDecrementWriteBackAndPushTheNewValue) {
    *vm_->AInt(0) = INT_MAX;
    *vm_->CInt(1) = 10;
    SnxImageBuilder c;
    c.Emit(kOpLoadReference, 0, 0);
    c.Emit(kOpIncrement);
    c.Emit(kOpLoadReference, 1, 12);
    c.Emit(kOpDecrement);
    c.Emit(kOpEnd);
    ASSERT_EQ(LoadAndRun(c), kEnd);
    EXPECT_EQ(*vm_->AInt(0), INT_MIN);
    EXPECT_EQ(*vm_->CInt(1), 9);
    EXPECT_EQ(vm_->Pop().value, 9u);
    EXPECT_EQ(vm_->Pop().value, static_cast<std::uint32_t>(INT_MIN));

    for (auto [kind, code] : {std::pair{kOpIncrement, kErrIncrementType},
                              std::pair{kOpDecrement, kErrDecrementType}}) {
        SnxImageBuilder b;
        b.Emit(kOpLoadReference, 0, 6);  // B integers cannot be stepped
        b.Emit(kind);
        EXPECT_EQ(LoadAndRun(b), code);
        EXPECT_EQ(vm_->Pc(), 1);
        EXPECT_EQ(vm_->StackDepth(), 0);
    }
}

TEST_F(InterpreterTest, ResultsAndWherePcStands) {
    SnxImageBuilder c;
    c.Emit(kOpLineMarker, 42);
    c.Emit(kOpSystemCall, 18);
    c.Emit(kOpReturn);
    c.Emit(kOpNop);
    c.Emit(21);
    c.Emit(kOpEnd);
    Load(c);
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
    SnxImageBuilder empty;
    EXPECT_EQ(LoadAndRun(empty), kErrPcOutOfRange);

    SnxImageBuilder c;
    c.Emit(kOpNop);
    Load(c);
    EXPECT_EQ(vm_->Run(), kErrPcOutOfRange) << "running off the end";
    EXPECT_EQ(vm_->Pc(), 1);
    vm_->SetPc(-1);
    EXPECT_EQ(vm_->Run(), kErrPcOutOfRange);
    EXPECT_EQ(vm_->Pc(), -1);
    vm_->SetPc(INT_MIN);
    EXPECT_EQ(vm_->Run(), kErrPcOutOfRange);

    for (std::uint32_t kind : {22u, 24u, 0xFFFFFFFFu}) {
        SnxImageBuilder b;
        b.Emit(kOpNop);
        b.Emit(kind);
        EXPECT_EQ(LoadAndRun(b), kErrBadKind);
        EXPECT_EQ(vm_->Pc(), 1);
    }
}

TEST_F(InterpreterTest, ValueStackOverflowFailsAtThePushWithItsOwnCode) {
    SnxImageBuilder c;
    for (int i = 0; i < VmState::kValueStackSize + 1; ++i) {
        Int(c, i);
    }
    c.Emit(kOpEnd);
    EXPECT_EQ(LoadAndRun(c), kErrValueStackOverflow);
    EXPECT_EQ(vm_->Pc(), VmState::kValueStackSize);
    EXPECT_EQ(vm_->StackDepth(), VmState::kValueStackSize);
    EXPECT_EQ(vm_->Fault(), VmFault::ValueStackOverflow);
    EXPECT_EQ(Top().value, static_cast<std::uint32_t>(VmState::kValueStackSize - 1));
    // The fault stays until cleared, so the dispatcher ends the game.
    EXPECT_EQ(vm_->Run(), kErrValueStackOverflow);

    // A system call and a line marker on a full stack fail the same way.
    for (std::uint32_t kind : {kOpSystemCall, kOpLineMarker}) {
        vm_->ClearFault();
        SnxImageBuilder s;
        s.Emit(kind, 1);
        EXPECT_EQ(LoadAndRun(s), kErrValueStackOverflow);
        EXPECT_EQ(vm_->Pc(), 0);
    }
}

TEST_F(InterpreterTest, ValueStackUnderflowFailsWithItsOwnCode) {
    const std::uint32_t popping[] = {kOpDiscard, kOpAdd, kOpCompare, kOpAssign, kOpNegate,
                                     kOpJumpIfTrue, kOpIncrement};
    for (std::uint32_t kind : popping) {
        vm_->ClearFault();
        SnxImageBuilder c;
        c.Emit(kOpNop);
        c.Emit(kind);
        EXPECT_EQ(LoadAndRun(c), kErrValueStackUnderflow) << kind;
        EXPECT_EQ(vm_->Pc(), 1);
        EXPECT_EQ(vm_->StackDepth(), 0);
    }
    // An indexed load needs its index on the stack.
    vm_->ClearFault();
    SnxImageBuilder idx;
    idx.Emit(kOpLoadVariable, 0, 1);
    EXPECT_EQ(LoadAndRun(idx), kErrValueStackUnderflow);

    // One operand where two are needed: the one there is gone too.
    vm_->ClearFault();
    SnxImageBuilder one;
    Int(one, 1);
    one.Emit(kOpAdd);
    EXPECT_EQ(LoadAndRun(one), kErrValueStackUnderflow);
    EXPECT_EQ(vm_->StackDepth(), 0);
}

TEST_F(InterpreterTest, FaultsLeftByHandlersEndTheNextBurst) {
    SnxImageBuilder c;
    c.Emit(kOpEnd);
    Load(c);
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
    SnxImageBuilder c;
    c.Emit(kOpLoadVariable, 4, 0);   // A int 4: one past the end
    c.Emit(kOpLoadVariable, 3, 8);   // B byte 3
    Int(c, -1);
    c.Emit(kOpLoadVariable, 2, 13);  // C int [2 + 0xFFFFFFFF] wraps to 1: inside
    c.Emit(kOpLoadReference, 99, 0);
    Int(c, 5);
    c.Emit(kOpAssign);               // A int 99 := 5
    c.Emit(kOpLoadReference, 7, 12);
    c.Emit(kOpIncrement);            // C int 7
    c.Emit(kOpEnd);
    *vm_->CInt(1) = 31;
    ASSERT_EQ(LoadAndRun(c), kEnd);
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
    SnxImageBuilder c;
    const std::uint32_t lit = c.AddLiteral("abc");
    // Literals: offset past the data area, a length word cut short, a length past the end.
    const std::uint32_t offsets[] = {lit + 100, lit + 5, 0xFFFFFFFEu};
    for (std::uint32_t offset : offsets) {
        c.Emit(kOpLoadReference, 0, 4);
        c.Emit(kOpLoadConstant, 2, offset);
        c.Emit(kOpAssign);
    }
    c.Emit(kOpLoadReference, 0, 4);
    c.Emit(kOpLoadVariable, 9, 4);   // A string 9
    c.Emit(kOpAssign);
    c.Emit(kOpLoadReference, 0, 4);
    c.Emit(kOpLoadVariable, 3, 10);  // B string 3
    c.Emit(kOpAssign);
    c.Emit(kOpLoadReference, 4, 4);  // A string 4 := literal
    c.Emit(kOpLoadConstant, 2, lit);
    c.Emit(kOpAssign);
    c.Emit(kOpEnd);
    ASSERT_EQ(LoadAndRun(c), kEnd);
    EXPECT_EQ(AccessViolations(), 6);
    EXPECT_EQ(AString(0), "old");

    // A length word that claims more bytes than the data area holds.
    SnxImageBuilder d;
    d.AddData({0xFF, 0xFF, 0xFF, 0x7F, 'a'});
    d.Emit(kOpLoadReference, 0, 4);
    d.Emit(kOpLoadConstant, 2, 0);
    d.Emit(kOpAssign);
    d.Emit(kOpEnd);
    ASSERT_EQ(LoadAndRun(d), kEnd);
    EXPECT_EQ(AccessViolations(), 7);
    EXPECT_EQ(AString(0), "old");
}

TEST_F(InterpreterTest, ShowSnxErrorShowsTheCodeInDecimal) {
    ShowSnxError(-24);
    ShowSnxError(-1);
    const auto& boxes = headless_->MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Error code is -24");
    EXPECT_EQ(boxes[0].caption, "SNXError");
    EXPECT_EQ(boxes[0].owner, 0u);
    EXPECT_EQ(boxes[0].buttons, platform::MessageBoxButtons::Ok);
    EXPECT_EQ(boxes[1].text, "Error code is -1");
}

}  // namespace
}  // namespace kv::vmtest
