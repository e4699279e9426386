// The bytecode interpreter: VmState::Run.
//
// This is the hot path of every script, so the loop works on local copies of pc, the stack top
// and the bank pointers (nothing can resize a bank while it runs) and writes pc and the stack
// top back once, when the burst ends. No instruction allocates except a string assignment.

#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

// Signed 32-bit arithmetic with wrap-around, done on the unsigned bits so that no overflow is
// undefined.
inline std::uint32_t DivideWrapped(std::uint32_t left, std::uint32_t right) {
    const auto l = static_cast<std::int32_t>(left);
    const auto r = static_cast<std::int32_t>(right);
    if (r == -1) {
        return 0u - left;  // INT_MIN / -1 wraps to INT_MIN instead of trapping
    }
    return static_cast<std::uint32_t>(l / r);
}

inline std::uint32_t RemainderWrapped(std::uint32_t left, std::uint32_t right) {
    const auto l = static_cast<std::int32_t>(left);
    const auto r = static_cast<std::int32_t>(right);
    if (r == -1) {
        return 0;  // INT_MIN % -1 would trap
    }
    return static_cast<std::uint32_t>(l % r);
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
    if (fault_ != VmFault::None) {
        return FaultCode(fault_);
    }
    const auto count = static_cast<std::uint32_t>(code_.size());
    if (pc_ < 0 || static_cast<std::uint32_t>(pc_) >= count) {
        return snx::kErrPcOutOfRange;
    }

    VmValue* const stack = stack_.data();
    constexpr std::int32_t kLastSlot = kValueStackSize - 1;
    std::int32_t top = stackTop_;
    auto pc = static_cast<std::uint32_t>(pc_);

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

    // Fused operations read every integer operand the same way: source table, then index.
    const std::int32_t* const sources[vm_detail::kSourceCount] = {aInt, bInt, cInt,
                                                                 constants_.data()};
    std::int32_t* const writable[vm_detail::kSourceCount] = {aInt, nullptr, cInt, nullptr};
    const std::uint32_t sourceSizes[vm_detail::kSourceCount] = {
        aIntCount, bIntCount, cIntCount, static_cast<std::uint32_t>(constants_.size())};
    const vm_detail::DecodedInstruction* const decoded = decoded_.data();

    std::int32_t result = 0;

    for (;;) {
        // Running off the end reaches the sentinel entry past the last instruction.
        const vm_detail::DecodedInstruction& ins = decoded[pc];
        std::uint32_t op = ins.op;
    dispatch:
        switch (op) {
            case vm_detail::kFusedCompareJump: {
                // The plain sequence pushes both operands before the compare pops them.
                if (top > kLastSlot - 2 || ins.x >= sourceSizes[ins.sourceX] ||
                    ins.y >= sourceSizes[ins.sourceY]) [[unlikely]] {
                    op = ins.plain;
                    goto dispatch;
                }
                const bool truth = Compare(ins.sub, sources[ins.sourceX][ins.x],
                                           sources[ins.sourceY][ins.y]);
                if (truth == ((ins.flags & vm_detail::kFlagJumpOnTrue) != 0)) {
                    if (ins.flags & vm_detail::kFlagKeep) {
                        stack[++top] = VmValue{vm_type::kByte, truth ? 1u : 0u};
                    }
                    pc = ins.target;
                } else {
                    pc = ins.next;
                }
                continue;
            }

            case vm_detail::kFusedAssign: {
                // The plain sequence holds the reference and two operands at its deepest.
                if (top > kLastSlot - 3 || ins.r >= sourceSizes[ins.sourceR] ||
                    ins.x >= sourceSizes[ins.sourceX] ||
                    (ins.sub != 0 && ins.y >= sourceSizes[ins.sourceY])) [[unlikely]] {
                    op = ins.plain;
                    goto dispatch;
                }
                auto value = static_cast<std::uint32_t>(sources[ins.sourceX][ins.x]);
                if (ins.sub != 0) {
                    const auto y = static_cast<std::uint32_t>(sources[ins.sourceY][ins.y]);
                    switch (ins.sub) {
                        case snx::kOpAdd: value += y; break;
                        case snx::kOpSubtract: value -= y; break;
                        default: value *= y; break;
                    }
                }
                writable[ins.sourceR][ins.r] = static_cast<std::int32_t>(value);
                pc = ins.next;
                continue;
            }

            case vm_detail::kFusedStep: {
                if (top > kLastSlot - 1 || ins.r >= sourceSizes[ins.sourceR]) [[unlikely]] {
                    op = ins.plain;
                    goto dispatch;
                }
                std::int32_t& variable = writable[ins.sourceR][ins.r];
                variable = static_cast<std::int32_t>(static_cast<std::uint32_t>(variable) +
                                                     (ins.sub != 0 ? 1u : 0xFFFFFFFFu));
                pc = ins.next;
                continue;
            }

            case vm_detail::kEndOfCode:
                result = snx::kErrPcOutOfRange;
                goto done;

            case snx::kOpEnd:
                result = snx::kEnd;
                goto done;

            case snx::kOpAdd:
            case snx::kOpSubtract:
            case snx::kOpMultiply:
            case snx::kOpDivide:
            case snx::kOpRemainder: {
                if (top < 1) [[unlikely]] {
                    goto underflow;
                }
                const VmValue right = stack[top];
                const VmValue left = stack[top - 1];
                top -= 2;
                if ((left.type | right.type) != vm_type::kInt) [[unlikely]] {
                    // -2, -3, -4, -5, -7 for add, subtract, multiply, divide, remainder.
                    static constexpr std::int32_t kTypeError[6] = {
                        0, snx::kErrAddType, snx::kErrSubtractType, snx::kErrMultiplyType,
                        snx::kErrDivideType, snx::kErrRemainderType};
                    result = kTypeError[op];
                    goto done;
                }
                std::uint32_t value;
                switch (op) {
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
                ++pc;
                continue;
            }

            case snx::kOpNegate: {
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
                ++pc;
                continue;
            }

            case snx::kOpCompare: {
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
                if (ins.a <= 5) [[likely]] {
                    const bool truth = Compare(ins.a, static_cast<std::int32_t>(left.value),
                                               static_cast<std::int32_t>(right.value));
                    stack[++top] = VmValue{vm_type::kByte, truth ? 1u : 0u};
                }
                ++pc;
                continue;
            }

            case snx::kOpJump:
                if (ins.b >= count) [[unlikely]] {
                    result = snx::kErrJumpTarget;
                    goto done;
                }
                pc = ins.b;
                continue;

            case snx::kOpJumpIfTrue:
            case snx::kOpJumpIfFalse: {
                if (top < 0) [[unlikely]] {
                    goto underflow;
                }
                const std::uint32_t tested = stack[top--].value;
                const bool jumpOnTrue = op == snx::kOpJumpIfTrue;
                if ((tested != 0) != jumpOnTrue) {
                    ++pc;
                    continue;
                }
                if (ins.a != 0) {
                    // The short-circuit result stays even when the target turns out bad.
                    stack[++top] = VmValue{vm_type::kByte, jumpOnTrue ? 1u : 0u};
                }
                if (ins.b >= count) [[unlikely]] {
                    result = jumpOnTrue ? snx::kErrJumpIfTrueTarget : snx::kErrJumpIfFalseTarget;
                    goto done;
                }
                pc = ins.b == pc ? pc + 1 : ins.b;
                continue;
            }

            case snx::kOpAssign: {
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
                ++pc;
                continue;
            }

            case snx::kOpDiscard:
                if (top < 0) [[unlikely]] {
                    goto underflow;
                }
                --top;
                ++pc;
                continue;

            case snx::kOpSystemCall:
                if (top >= kLastSlot) [[unlikely]] {
                    goto overflow;
                }
                stack[++top] = VmValue{vm_type::kInt, ins.a};
                result = snx::kSystemCall;
                goto done;

            case snx::kOpReturn:
                result = snx::kReturn;
                goto done;

            case snx::kOpLoadVariable:
            case snx::kOpLoadReference: {
                const bool reference = op == snx::kOpLoadReference;
                if (ins.b > 13) [[unlikely]] {
                    result = reference ? snx::kErrLoadReferenceSubKind
                                       : snx::kErrLoadVariableSubKind;
                    goto done;
                }
                std::uint32_t index = ins.a;
                if (ins.b & 1) {
                    // Indexed: the index replaces the top entry, whatever its type.
                    if (top < 0) [[unlikely]] {
                        goto underflow;
                    }
                    index += stack[top].value;
                    --top;
                } else if (top >= kLastSlot) [[unlikely]] {
                    goto overflow;
                }
                VmValue loaded{kReferenceType[ins.b >> 1], index};
                if (!reference) {
                    switch (ins.b >> 1) {
                        case 0: loaded = {vm_type::kInt, ReadChecked(aInt, aIntCount, index)}; break;
                        case 1: loaded = {vm_type::kByte, ReadChecked(aByte, aByteCount, index)}; break;
                        case 3: loaded = {vm_type::kInt, ReadChecked(bInt, bIntCount, index)}; break;
                        case 4: loaded = {vm_type::kByte, ReadChecked(bByte, bByteCount, index)}; break;
                        case 6: loaded = {vm_type::kInt, ReadChecked(cInt, cIntCount, index)}; break;
                        default: break;  // strings are loaded as references
                    }
                }
                stack[++top] = loaded;
                ++pc;
                continue;
            }

            case snx::kOpLoadConstant:
                if (ins.a > vm_type::kLiteral) [[unlikely]] {
                    result = snx::kErrConstantType;
                    goto done;
                }
                if (top >= kLastSlot) [[unlikely]] {
                    goto overflow;
                }
                stack[++top] = VmValue{ins.a, ins.b};
                ++pc;
                continue;

            case snx::kOpIncrement:
            case snx::kOpDecrement: {
                if (top < 0) [[unlikely]] {
                    goto underflow;
                }
                const VmValue target = stack[top];
                const std::uint32_t step = op == snx::kOpIncrement ? 1u : 0xFFFFFFFFu;
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
                    result = op == snx::kOpIncrement ? snx::kErrIncrementType
                                                           : snx::kErrDecrementType;
                    goto done;
                }
                std::uint32_t value;
                if (target.value < bankCount) [[likely]] {
                    value = static_cast<std::uint32_t>(bank[target.value]) + step;
                    bank[target.value] = static_cast<std::int32_t>(value);
                } else {
                    ShowAccessViolation();
                    value = step;
                }
                stack[top] = VmValue{vm_type::kInt, value};
                ++pc;
                continue;
            }

            case snx::kOpNop:
            case snx::kOpNop2:
                ++pc;
                continue;

            case snx::kOpLineMarker:
                if (top >= kLastSlot) [[unlikely]] {
                    goto overflow;
                }
                stack[++top] = VmValue{vm_type::kInt, ins.a};
                ++pc;
                result = snx::kLineMarker;
                goto done;

            default:  // kind 22 and every kind above 23
                result = snx::kErrBadKind;
                goto done;
        }
    }
    goto done;

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
    pc_ = static_cast<std::int32_t>(pc);
    stackTop_ = top;
    return result;
}

}  // namespace kv
