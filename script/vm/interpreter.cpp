// The bytecode interpreter: VmState::Run.
//
// This is the hot path of every script. The loop runs over the decoded form of the code
// (script/vm/decoded_code.h) with threaded dispatch (each entry holds the address of its
// handler, and each handler jumps straight to the next entry's), on local copies of the stack
// top and the bank pointers (nothing can resize a bank while it runs). pc lives as a pointer to
// the current entry and is written back once, with the stack top, when the burst ends. No instruction allocates except a string assignment.

#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

// Signed 32-bit arithmetic with wrap-around, done on the unsigned bits so that no overflow is
// undefined.
inline std::uint32_t DivideWrapped(std::uint32_t left, std::uint32_t right) {
    if (right == 0xFFFFFFFFu) {
        return 0u - left;  // INT_MIN / -1 wraps to INT_MIN instead of trapping
    }
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(left) /
                                      static_cast<std::int32_t>(right));
}

inline std::uint32_t RemainderWrapped(std::uint32_t left, std::uint32_t right) {
    if (right == 0xFFFFFFFFu) {
        return 0;  // INT_MIN % -1 would trap
    }
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(left) %
                                      static_cast<std::int32_t>(right));
}

inline bool Compare(std::uint32_t op, std::int32_t l, std::int32_t r) {
    switch (op) {
        case 0: return l == r;
        case 1: return l != r;
        case 2: return l < r;
        case 3: return l <= r;
        case 4: return l > r;
        default: return l >= r;
    }
}

// Value type of the reference that load sub-kind b makes (two sub-kinds per variable kind).
constexpr std::uint32_t kReferenceType[7] = {
    vm_type::kAIntRef, vm_type::kAByteRef, vm_type::kAStringRef, vm_type::kBIntRef,
    vm_type::kBByteRef, vm_type::kBStringRef, vm_type::kCIntRef,
};

// -2, -3, -4, -5, -7 for add, subtract, multiply, divide, remainder.
constexpr std::int32_t kArithmeticTypeError[6] = {
    0, snx::kErrAddType, snx::kErrSubtractType, snx::kErrMultiplyType,
    snx::kErrDivideType, snx::kErrRemainderType,
};

// A read through an index from the script: outside the bank it shows the access violation and
// gives 0.
template <typename T>
inline std::uint32_t ReadChecked(const T* bank, std::uint32_t count, std::uint32_t index) {
    if (index < count) [[likely]] {
        return static_cast<std::uint32_t>(bank[index]);
    }
    ShowAccessViolation();
    return 0;
}

}  // namespace

std::int32_t VmState::Run() {
    return RunLoop<false>(0);
}

std::int32_t VmState::RunBounded(std::uint64_t maxSteps) {
    return RunLoop<true>(maxSteps);
}

template <bool kBounded>
std::int32_t VmState::RunLoop(std::uint64_t budget) {
    using namespace vm_detail;

    if (fault_ != VmFault::None) {
        return FaultCode(fault_);
    }
    const auto count = static_cast<std::uint32_t>(code_.size());
    if (pc_ < 0 || static_cast<std::uint32_t>(pc_) >= count) {
        return snx::kErrPcOutOfRange;
    }
    // The fused operations point into the integer banks: rebuild them when a bank has moved.
    if (!(decodedBanks_ == CurrentIntegerBanks())) [[unlikely]] {
        Decode();
    }

    VmValue* const stack = stack_.data();
    constexpr std::int32_t kLastSlot = kValueStackSize - 1;
    std::int32_t top = stackTop_;

    std::int32_t* const aInt = aInt_.data();
    const auto aIntCount = static_cast<std::uint32_t>(aInt_.size());
    std::uint8_t* const aByte = aByte_.data();
    const auto aByteCount = static_cast<std::uint32_t>(aByte_.size());
    const std::int32_t* const bInt = bInt_.data();
    const auto bIntCount = static_cast<std::uint32_t>(bInt_.size());
    const std::uint8_t* const bByte = bByte_.data();
    const auto bByteCount = static_cast<std::uint32_t>(bByte_.size());
    std::int32_t* const cInt = cInt_.data();
    const auto cIntCount = static_cast<std::uint32_t>(cInt_.size());

    // One label per dispatch code, in the order of the codes (decoded_code.h).
    static const void* const kHandlers[kDispatchCodeCount] = {
        &&op_end, &&op_add, &&op_subtract, &&op_multiply, &&op_divide, &&op_remainder,
        &&op_negate, &&op_compare, &&op_jump, &&op_jump_if, &&op_jump_if, &&op_assign,
        &&op_discard, &&op_system_call, &&op_return, &&op_load, &&op_load, &&op_load_constant,
        &&op_step, &&op_step, &&op_nop, &&op_nop, &&op_invalid, &&op_line_marker,
        &&fused_compare_jump, &&fused_copy, &&fused_add, &&fused_subtract, &&fused_multiply,
        &&fused_increment, &&fused_decrement, &&end_of_code,
    };

    if (handlerTable_ != kHandlers) [[unlikely]] {
        for (DecodedInstruction& entry : decoded_) {
            entry.handler = kHandlers[entry.op];
        }
        handlerTable_ = kHandlers;
    }
    const DecodedInstruction* const decoded = decoded_.data();
    const DecodedInstruction* ins = decoded + pc_;
    std::int32_t result = 0;

// Running off the end reaches the end entry past the last instruction, so pc needs no test.
#define KV_NEXT()                               \
    do {                                        \
        if constexpr (kBounded) {               \
            if (budget == 0) {                  \
                result = snx::kStepsSpent;      \
                goto done;                      \
            }                                   \
            --budget;                           \
        }                                       \
        goto* ins->handler;                     \
    } while (0)
#define KV_PC() static_cast<std::uint32_t>(ins - decoded)
// A fused operation that cannot take its fast way runs its first instruction alone.
#define KV_PLAIN() goto* kHandlers[ins->plain]

    KV_NEXT();

    // ---- fused operations ----

fused_compare_jump: {
    // The plain sequence pushes both operands before the compare pops them.
    if (top > kLastSlot - 2) [[unlikely]] {
        KV_PLAIN();
    }
    const std::int32_t x = *ins->x;
    const std::int32_t y = *ins->y;
    // Bit (x >= y) + (x > y) of the mask: 0 for less, 1 for equal, 2 for greater.
    const unsigned order = static_cast<unsigned>(x >= y) + static_cast<unsigned>(x > y);
    if ((ins->takenMask >> order) & 1u) {
        if (ins->flags & kFlagKeep) {
            stack[++top] = VmValue{vm_type::kByte, (ins->flags & kFlagJumpOnTrue) ? 1u : 0u};
        }
        ins = ins->targetEntry;
    } else {
        ins = ins->nextEntry;
    }
    KV_NEXT();
}

// The plain sequence holds the reference and two operands at its deepest.
#define KV_FUSED_ASSIGN(label, expression)                             \
    label : {                                                          \
        if (top > kLastSlot - 3) [[unlikely]] {                        \
            KV_PLAIN();                                                \
        }                                                              \
        const auto x = static_cast<std::uint32_t>(*ins->x);            \
        const auto y = static_cast<std::uint32_t>(*ins->y);            \
        *ins->r = static_cast<std::int32_t>(expression);               \
        ins = ins->nextEntry;                                          \
        KV_NEXT();                                                     \
    }

    KV_FUSED_ASSIGN(fused_copy, x + 0 * y)
    KV_FUSED_ASSIGN(fused_add, x + y)
    KV_FUSED_ASSIGN(fused_subtract, x - y)
    KV_FUSED_ASSIGN(fused_multiply, x * y)
#undef KV_FUSED_ASSIGN

#define KV_FUSED_STEP(label, step)                                     \
    label : {                                                          \
        if (top > kLastSlot - 1) [[unlikely]] {                        \
            KV_PLAIN();                                                \
        }                                                              \
        const auto old = static_cast<std::uint32_t>(*ins->r);          \
        *ins->r = static_cast<std::int32_t>(old + (step));             \
        ins = ins->nextEntry;                                          \
        KV_NEXT();                                                     \
    }

    KV_FUSED_STEP(fused_increment, 1u)
    KV_FUSED_STEP(fused_decrement, 0xFFFFFFFFu)
#undef KV_FUSED_STEP

end_of_code:
    result = snx::kErrPcOutOfRange;
    goto done;

    // ---- plain instructions ----

op_end:
    result = snx::kEnd;
    goto done;

op_add:
op_subtract:
op_multiply:
op_divide:
op_remainder: {
    if (top < 1) [[unlikely]] {
        goto underflow;
    }
    const VmValue right = stack[top];
    const VmValue left = stack[top - 1];
    top -= 2;
    if ((left.type | right.type) != vm_type::kInt) [[unlikely]] {
        result = kArithmeticTypeError[ins->plain];
        goto done;
    }
    std::uint32_t value;
    switch (ins->plain) {
        case snx::kOpAdd: value = left.value + right.value; break;
        case snx::kOpSubtract: value = left.value - right.value; break;
        case snx::kOpMultiply: value = left.value * right.value; break;
        case snx::kOpDivide:
            if (right.value == 0) {
                result = snx::kErrDivideByZero;
                goto done;
            }
            value = DivideWrapped(left.value, right.value);
            break;
        default:
            if (right.value == 0) {
                result = snx::kErrRemainderByZero;
                goto done;
            }
            value = RemainderWrapped(left.value, right.value);
            break;
    }
    stack[++top] = VmValue{vm_type::kInt, value};
    ++ins;
    KV_NEXT();
}

op_negate: {
    if (top < 0) [[unlikely]] {
        goto underflow;
    }
    VmValue& operand = stack[top];
    if (operand.type != vm_type::kInt) [[unlikely]] {
        --top;
        result = snx::kErrNegateType;
        goto done;
    }
    operand.value = 0u - operand.value;
    ++ins;
    KV_NEXT();
}

op_compare: {
    if (top < 1) [[unlikely]] {
        goto underflow;
    }
    const VmValue right = stack[top];
    const VmValue left = stack[top - 1];
    top -= 2;
    if (left.type != right.type) [[unlikely]] {
        result = snx::kErrCompareTypesDiffer;
        goto done;
    }
    if (left.type > vm_type::kByte) [[unlikely]] {
        result = snx::kErrCompareType;
        goto done;
    }
    // An operator above 5 drops both operands and gives nothing.
    if (ins->a <= 5) [[likely]] {
        const bool truth = Compare(ins->a, static_cast<std::int32_t>(left.value),
                                   static_cast<std::int32_t>(right.value));
        stack[++top] = VmValue{vm_type::kByte, truth ? 1u : 0u};
    }
    ++ins;
    KV_NEXT();
}

op_jump:
    if (ins->b >= count) [[unlikely]] {
        result = snx::kErrJumpTarget;
        goto done;
    }
    ins = decoded + ins->b;
    KV_NEXT();

op_jump_if: {
    if (top < 0) [[unlikely]] {
        goto underflow;
    }
    const std::uint32_t tested = stack[top--].value;
    const bool jumpOnTrue = ins->plain == snx::kOpJumpIfTrue;
    if ((tested != 0) != jumpOnTrue) {
        ++ins;
        KV_NEXT();
    }
    if (ins->a != 0) {
        // The short-circuit result stays even when the target turns out bad.
        stack[++top] = VmValue{vm_type::kByte, jumpOnTrue ? 1u : 0u};
    }
    if (ins->b >= count) [[unlikely]] {
        result = jumpOnTrue ? snx::kErrJumpIfTrueTarget : snx::kErrJumpIfFalseTarget;
        goto done;
    }
    // A conditional jump to itself goes on with the next instruction.
    ins = ins->b == KV_PC() ? ins + 1 : decoded + ins->b;
    KV_NEXT();
}

op_assign: {
    if (top < 1) [[unlikely]] {
        goto underflow;
    }
    const VmValue value = stack[top];
    const VmValue target = stack[top - 1];
    top -= 2;
    const std::uint32_t index = target.value;
    switch (target.type) {
        case vm_type::kAIntRef:
            if (value.type != vm_type::kInt) {
                result = snx::kErrAssignValue;
                goto done;
            }
            if (index < aIntCount) {
                aInt[index] = static_cast<std::int32_t>(value.value);
            } else {
                ShowAccessViolation();
            }
            break;
        case vm_type::kAByteRef:
            if (value.type != vm_type::kByte) {
                result = snx::kErrAssignValue;
                goto done;
            }
            if (index < aByteCount) {
                aByte[index] = value.value == 1 ? 1 : 0;
            } else {
                ShowAccessViolation();
            }
            break;
        case vm_type::kAStringRef: {
            const std::uint8_t* text = nullptr;
            std::uint32_t length = 0;
            bool found = false;
            if (value.type == vm_type::kLiteral) {
                found = GetLiteral(value.value, text, length);
            } else if (value.type == vm_type::kAStringRef) {
                if (const VmString* source = AString(value.value)) {
                    text = source->Bytes();
                    length = source->Length();
                    found = true;
                }
            } else if (value.type == vm_type::kBStringRef) {
                if (const VmString* source = BString(value.value)) {
                    text = source->Bytes();
                    length = source->Length();
                    found = true;
                }
            } else {
                result = snx::kErrAssignValue;
                goto done;
            }
            VmString* destination = AString(index);
            if (found && destination != nullptr) {
                destination->Assign(text, length);
            } else {
                ShowAccessViolation();
            }
            break;
        }
        case vm_type::kCIntRef:
            if (value.type != vm_type::kInt) {
                result = snx::kErrAssignValue;
                goto done;
            }
            if (index < cIntCount) {
                cInt[index] = static_cast<std::int32_t>(value.value);
            } else {
                ShowAccessViolation();
            }
            break;
        default:  // bank B and anything that is no variable
            result = snx::kErrAssignTarget;
            goto done;
    }
    stack[++top] = VmValue{vm_type::kInt, 1};
    ++ins;
    KV_NEXT();
}

op_discard:
    if (top < 0) [[unlikely]] {
        goto underflow;
    }
    --top;
    ++ins;
    KV_NEXT();

op_system_call:
    if (top >= kLastSlot) [[unlikely]] {
        goto overflow;
    }
    stack[++top] = VmValue{vm_type::kInt, ins->a};
    result = snx::kSystemCall;
    goto done;

op_return:
    result = snx::kReturn;
    goto done;

op_load: {
    const bool reference = ins->plain == snx::kOpLoadReference;
    if (ins->b > 13) [[unlikely]] {
        result = reference ? snx::kErrLoadReferenceSubKind : snx::kErrLoadVariableSubKind;
        goto done;
    }
    std::uint32_t index = ins->a;
    if (ins->b & 1) {
        // Indexed: the index replaces the top entry, whatever its type.
        if (top < 0) [[unlikely]] {
            goto underflow;
        }
        index += stack[top].value;
        --top;
    } else if (top >= kLastSlot) [[unlikely]] {
        goto overflow;
    }
    VmValue loaded{kReferenceType[ins->b >> 1], index};
    if (!reference) {
        switch (ins->b >> 1) {
            case 0: loaded = {vm_type::kInt, ReadChecked(aInt, aIntCount, index)}; break;
            case 1: loaded = {vm_type::kByte, ReadChecked(aByte, aByteCount, index)}; break;
            case 3: loaded = {vm_type::kInt, ReadChecked(bInt, bIntCount, index)}; break;
            case 4: loaded = {vm_type::kByte, ReadChecked(bByte, bByteCount, index)}; break;
            case 6: loaded = {vm_type::kInt, ReadChecked(cInt, cIntCount, index)}; break;
            default: break;  // strings are loaded as references
        }
    }
    stack[++top] = loaded;
    ++ins;
    KV_NEXT();
}

op_load_constant:
    if (ins->a > vm_type::kLiteral) [[unlikely]] {
        result = snx::kErrConstantType;
        goto done;
    }
    if (top >= kLastSlot) [[unlikely]] {
        goto overflow;
    }
    stack[++top] = VmValue{ins->a, ins->b};
    ++ins;
    KV_NEXT();

op_step: {
    if (top < 0) [[unlikely]] {
        goto underflow;
    }
    const VmValue target = stack[top];
    const bool increment = ins->plain == snx::kOpIncrement;
    std::int32_t* bank;
    std::uint32_t bankCount;
    if (target.type == vm_type::kAIntRef) {
        bank = aInt;
        bankCount = aIntCount;
    } else if (target.type == vm_type::kCIntRef) {
        bank = cInt;
        bankCount = cIntCount;
    } else {
        --top;
        result = increment ? snx::kErrIncrementType : snx::kErrDecrementType;
        goto done;
    }
    const std::uint32_t step = increment ? 1u : 0xFFFFFFFFu;
    std::uint32_t value;
    if (target.value < bankCount) [[likely]] {
        value = static_cast<std::uint32_t>(bank[target.value]) + step;
        bank[target.value] = static_cast<std::int32_t>(value);
    } else {
        ShowAccessViolation();  // reads as 0, writes nothing
        value = step;
    }
    stack[top] = VmValue{vm_type::kInt, value};
    ++ins;
    KV_NEXT();
}

op_nop:
    ++ins;
    KV_NEXT();

op_line_marker:
    if (top >= kLastSlot) [[unlikely]] {
        goto overflow;
    }
    stack[++top] = VmValue{vm_type::kInt, ins->a};
    ++ins;
    result = snx::kLineMarker;
    goto done;

op_invalid:  // kind 22 and every kind above 23
    result = snx::kErrBadKind;
    goto done;

#undef KV_NEXT
#undef KV_PLAIN

overflow:
    fault_ = VmFault::ValueStackOverflow;
    result = snx::kErrValueStackOverflow;
    goto done;

underflow:
    // Whatever the instruction could pop is gone.
    top = -1;
    fault_ = VmFault::ValueStackUnderflow;
    result = snx::kErrValueStackUnderflow;

done:
    pc_ = static_cast<std::int32_t>(KV_PC());
    stackTop_ = top;
    return result;
#undef KV_PC
}

}  // namespace kv
