#include "script/vm/decoded_code.h"

#include "script/vm/vm_state.h"

namespace kv::vm_detail {

namespace {

struct Operand {
    std::uint8_t source = 0;
    std::uint32_t index = 0;
};

// An instruction that pushes a type-0 value read from an integer bank or given as a constant.
bool IntegerOperand(const SnxInstruction& ins, std::vector<std::int32_t>& constants,
                    Operand& out) {
    if (ins.kind == snx::kOpLoadVariable) {
        switch (ins.b) {
            case 0: out = {kSourceAInt, ins.a}; return true;
            case 6: out = {kSourceBInt, ins.a}; return true;
            case 12: out = {kSourceCInt, ins.a}; return true;
            default: return false;
        }
    }
    if (ins.kind == snx::kOpLoadConstant && ins.a == vm_type::kInt) {
        out = {kSourceConstant, static_cast<std::uint32_t>(constants.size())};
        constants.push_back(static_cast<std::int32_t>(ins.b));
        return true;
    }
    return false;
}

// A load of a reference to an A or C integer that an assignment or a step accepts.
bool IntegerTarget(const SnxInstruction& ins, Operand& out) {
    if (ins.kind != snx::kOpLoadReference) {
        return false;
    }
    if (ins.b == 0) {
        out = {kSourceAInt, ins.a};
        return true;
    }
    if (ins.b == 12) {
        out = {kSourceCInt, ins.a};
        return true;
    }
    return false;
}

// Where execution arrives when it comes to instruction q: past a plain jump at q.
std::uint32_t Arrival(const std::vector<SnxInstruction>& code, std::size_t q) {
    if (q < code.size() && code[q].kind == snx::kOpJump && code[q].b < code.size()) {
        return code[q].b;
    }
    return static_cast<std::uint32_t>(q);
}

// x; y; compare; jump if true/false (with the target inside the code).
bool FuseCompareJump(const std::vector<SnxInstruction>& code, std::size_t p,
                     std::vector<std::int32_t>& constants, DecodedInstruction& d) {
    if (p + 3 >= code.size()) {
        return false;
    }
    const SnxInstruction& compare = code[p + 2];
    const SnxInstruction& jump = code[p + 3];
    if (compare.kind != snx::kOpCompare || compare.a > 5 ||
        (jump.kind != snx::kOpJumpIfTrue && jump.kind != snx::kOpJumpIfFalse) ||
        jump.b >= code.size()) {
        return false;
    }
    const std::size_t poolSize = constants.size();
    Operand x;
    Operand y;
    if (!IntegerOperand(code[p], constants, x) || !IntegerOperand(code[p + 1], constants, y)) {
        constants.resize(poolSize);
        return false;
    }
    d.op = kFusedCompareJump;
    d.sub = static_cast<std::uint8_t>(compare.a);
    d.flags = static_cast<std::uint8_t>((jump.kind == snx::kOpJumpIfTrue ? kFlagJumpOnTrue : 0) |
                                        (jump.a != 0 ? kFlagKeep : 0));
    d.sourceX = x.source;
    d.x = x.index;
    d.sourceY = y.source;
    d.y = y.index;
    d.target = Arrival(code, jump.b == p + 3 ? p + 4 : jump.b);
    d.next = Arrival(code, p + 4);
    d.length = 4;
    return true;
}

// ref r; x; [y; add/subtract/multiply;] assign; discard.
bool FuseAssign(const std::vector<SnxInstruction>& code, std::size_t p,
                std::vector<std::int32_t>& constants, DecodedInstruction& d) {
    Operand r;
    if (!IntegerTarget(code[p], r) || p + 3 >= code.size()) {
        return false;
    }
    const std::size_t poolSize = constants.size();
    Operand x;
    if (!IntegerOperand(code[p + 1], constants, x)) {
        return false;
    }
    Operand y;
    std::size_t next = p + 2;
    std::uint8_t arithmetic = 0;
    if (p + 5 < code.size() && code[p + 3].kind >= snx::kOpAdd &&
        code[p + 3].kind <= snx::kOpMultiply && IntegerOperand(code[p + 2], constants, y)) {
        arithmetic = static_cast<std::uint8_t>(code[p + 3].kind);
        next = p + 4;
    }
    if (code[next].kind != snx::kOpAssign || code[next + 1].kind != snx::kOpDiscard) {
        constants.resize(poolSize);
        return false;
    }
    d.op = kFusedAssign;
    d.sub = arithmetic;
    d.sourceR = r.source;
    d.r = r.index;
    d.sourceX = x.source;
    d.x = x.index;
    d.sourceY = y.source;
    d.y = y.index;
    d.length = static_cast<std::uint8_t>(next + 2 - p);
    d.next = Arrival(code, next + 2);
    return true;
}

// ref r; increment/decrement; discard.
bool FuseStep(const std::vector<SnxInstruction>& code, std::size_t p, DecodedInstruction& d) {
    Operand r;
    if (!IntegerTarget(code[p], r) || p + 2 >= code.size()) {
        return false;
    }
    const std::uint32_t kind = code[p + 1].kind;
    if ((kind != snx::kOpIncrement && kind != snx::kOpDecrement) ||
        code[p + 2].kind != snx::kOpDiscard) {
        return false;
    }
    d.op = kFusedStep;
    d.sub = kind == snx::kOpIncrement ? 1 : 0;
    d.sourceR = r.source;
    d.r = r.index;
    d.length = 3;
    d.next = Arrival(code, p + 3);
    return true;
}

}  // namespace

void DecodeInstructions(const std::vector<SnxInstruction>& code, bool fuse,
                        std::vector<DecodedInstruction>& decoded,
                        std::vector<std::int32_t>& constants) {
    decoded.assign(code.size() + 1, DecodedInstruction{});
    decoded.back().op = kEndOfCode;
    decoded.back().plain = kEndOfCode;
    constants.clear();
    for (std::size_t p = 0; p < code.size(); ++p) {
        const SnxInstruction& ins = code[p];
        DecodedInstruction& d = decoded[p];
        d.plain = static_cast<std::uint8_t>(ins.kind > snx::kOpLineMarker ? snx::kOpInvalid : ins.kind);
        d.op = d.plain;
        d.a = ins.a;
        d.b = ins.b;
        if (fuse && !FuseCompareJump(code, p, constants, d) && !FuseAssign(code, p, constants, d)) {
            FuseStep(code, p, d);
        }
    }
}

}  // namespace kv::vm_detail
