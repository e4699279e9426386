#include "script/vm/decoded_code.h"

#include "script/vm/vm_state.h"

namespace kv::vm_detail {

namespace {

class Fuser {
public:
    Fuser(const std::vector<SnxInstruction>& code, const IntegerBanks& banks,
          const DecodedInstruction* decoded, std::vector<std::int32_t>& constants)
        : code_(code), banks_(banks), decoded_(decoded), constants_(constants) {
        // Each fused operation adds at most two constants; the pool must never move, since the
        // entries point into it.
        constants_.clear();
        constants_.reserve(2 * code.size());
    }

    bool CompareJump(std::size_t p, DecodedInstruction& d);
    bool Assign(std::size_t p, DecodedInstruction& d);
    bool Step(std::size_t p, DecodedInstruction& d);

private:
    const std::int32_t* Operand(const SnxInstruction& ins);
    std::int32_t* Target(const SnxInstruction& ins);
    const DecodedInstruction* Arrival(std::size_t q) const;

    const std::vector<SnxInstruction>& code_;
    const IntegerBanks& banks_;
    const DecodedInstruction* decoded_;
    std::vector<std::int32_t>& constants_;
};

// The element an instruction pushes as a type-0 value: an integer variable inside its bank or
// a constant. Null for anything else.
const std::int32_t* Fuser::Operand(const SnxInstruction& ins) {
    if (ins.kind == snx::kOpLoadVariable) {
        switch (ins.b) {
            case 0: return ins.a < banks_.aCount ? banks_.a + ins.a : nullptr;
            case 6: return ins.a < banks_.bCount ? banks_.b + ins.a : nullptr;
            case 12: return ins.a < banks_.cCount ? banks_.c + ins.a : nullptr;
            default: return nullptr;
        }
    }
    if (ins.kind == snx::kOpLoadConstant && ins.a == vm_type::kInt) {
        constants_.push_back(static_cast<std::int32_t>(ins.b));
        return &constants_.back();
    }
    return nullptr;
}

// The A or C integer inside its bank that a reference load names, which an assignment or a
// step accepts as target. Null for anything else.
std::int32_t* Fuser::Target(const SnxInstruction& ins) {
    if (ins.kind != snx::kOpLoadReference) {
        return nullptr;
    }
    if (ins.b == 0) {
        return ins.a < banks_.aCount ? banks_.a + ins.a : nullptr;
    }
    if (ins.b == 12) {
        return ins.a < banks_.cCount ? banks_.c + ins.a : nullptr;
    }
    return nullptr;
}

// Where execution arrives when it comes to instruction q: past a plain jump at q.
const DecodedInstruction* Fuser::Arrival(std::size_t q) const {
    if (q < code_.size() && code_[q].kind == snx::kOpJump && code_[q].b < code_.size()) {
        return decoded_ + code_[q].b;
    }
    return decoded_ + q;
}

// x; y; compare; jump if true/false (with the target inside the code).
bool Fuser::CompareJump(std::size_t p, DecodedInstruction& d) {
    if (p + 3 >= code_.size()) {
        return false;
    }
    const SnxInstruction& compare = code_[p + 2];
    const SnxInstruction& jump = code_[p + 3];
    if (compare.kind != snx::kOpCompare || compare.a > 5 ||
        (jump.kind != snx::kOpJumpIfTrue && jump.kind != snx::kOpJumpIfFalse) ||
        jump.b >= code_.size()) {
        return false;
    }
    const std::size_t poolSize = constants_.size();
    const std::int32_t* x = Operand(code_[p]);
    const std::int32_t* y = x != nullptr ? Operand(code_[p + 1]) : nullptr;
    if (y == nullptr) {
        constants_.resize(poolSize);
        return false;
    }
    // Outcomes (bit 0 less, bit 1 equal, bit 2 greater) for which each operator is true.
    static constexpr std::uint8_t kTrueFor[6] = {0b010, 0b101, 0b001, 0b011, 0b100, 0b110};
    const std::uint8_t trueFor = kTrueFor[compare.a];
    const bool onTrue = jump.kind == snx::kOpJumpIfTrue;
    d.op = kFusedCompareJump;
    d.takenMask = onTrue ? trueFor : static_cast<std::uint8_t>(~trueFor & 0b111);
    d.flags = static_cast<std::uint8_t>((onTrue ? kFlagJumpOnTrue : 0) |
                                        (jump.a != 0 ? kFlagKeep : 0));
    d.x = x;
    d.y = y;
    d.targetEntry = Arrival(jump.b == p + 3 ? p + 4 : jump.b);
    d.nextEntry = Arrival(p + 4);
    return true;
}

// ref r; x; [y; add/subtract/multiply;] assign; discard.
bool Fuser::Assign(std::size_t p, DecodedInstruction& d) {
    if (p + 3 >= code_.size()) {
        return false;
    }
    std::int32_t* r = Target(code_[p]);
    if (r == nullptr) {
        return false;
    }
    const std::size_t poolSize = constants_.size();
    const std::int32_t* x = Operand(code_[p + 1]);
    if (x == nullptr) {
        return false;
    }
    const std::int32_t* y = x;
    std::size_t next = p + 2;
    std::uint8_t op = kFusedCopy;
    if (p + 5 < code_.size() && code_[p + 3].kind >= snx::kOpAdd &&
        code_[p + 3].kind <= snx::kOpMultiply && (y = Operand(code_[p + 2])) != nullptr) {
        static constexpr std::uint8_t kFusedArithmetic[3] = {kFusedAdd, kFusedSubtract,
                                                             kFusedMultiply};
        op = kFusedArithmetic[code_[p + 3].kind - snx::kOpAdd];
        next = p + 4;
    }
    if (y == nullptr || code_[next].kind != snx::kOpAssign ||
        code_[next + 1].kind != snx::kOpDiscard) {
        constants_.resize(poolSize);
        return false;
    }
    d.op = op;
    d.r = r;
    d.x = x;
    d.y = y;
    d.nextEntry = Arrival(next + 2);
    return true;
}

// ref r; increment/decrement; discard.
bool Fuser::Step(std::size_t p, DecodedInstruction& d) {
    if (p + 2 >= code_.size()) {
        return false;
    }
    std::int32_t* r = Target(code_[p]);
    const std::uint32_t kind = code_[p + 1].kind;
    if (r == nullptr || (kind != snx::kOpIncrement && kind != snx::kOpDecrement) ||
        code_[p + 2].kind != snx::kOpDiscard) {
        return false;
    }
    d.op = kind == snx::kOpIncrement ? kFusedIncrement : kFusedDecrement;
    d.r = r;
    d.nextEntry = Arrival(p + 3);
    return true;
}

}  // namespace

void DecodeInstructions(const std::vector<SnxInstruction>& code, bool fuse,
                        const IntegerBanks& banks, std::vector<DecodedInstruction>& decoded,
                        std::vector<std::int32_t>& constants) {
    decoded.assign(code.size() + 1, DecodedInstruction{});
    decoded.back().op = kEndOfCode;
    decoded.back().plain = kEndOfCode;
    Fuser fuser(code, banks, decoded.data(), constants);
    for (std::size_t p = 0; p < code.size(); ++p) {
        const SnxInstruction& ins = code[p];
        DecodedInstruction& d = decoded[p];
        d.plain = static_cast<std::uint8_t>(ins.kind > snx::kOpLineMarker ? snx::kOpInvalid
                                                                          : ins.kind);
        d.op = d.plain;
        d.a = ins.a;
        d.b = ins.b;
        if (fuse && !fuser.CompareJump(p, d) && !fuser.Assign(p, d)) {
            fuser.Step(p, d);
        }
    }
}

}  // namespace kv::vm_detail
