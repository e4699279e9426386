#pragma once
// The form of a code image that the interpreter runs: one entry per instruction, in which the
// first instruction of a few very common sequences is replaced by a fused operation that does
// the whole sequence at once (a compare-and-branch, a statement "x = y op z;", "x++;").
//
// A fused entry covers several instructions, but the instructions it covers keep their own
// entries, so a jump or a pc set by a handler into the middle of a sequence runs exactly as
// written. A sequence is fused only when every variable it names lies inside its bank, so a
// fused operation has nothing to report; its operands are resolved to element pointers, which
// is why the form is rebuilt whenever an integer bank moves or changes size. When a fused
// operation finds too little room on the value stack for what the sequence would push, it runs
// its first instruction alone, so the overflow comes from the same instruction, with the same
// pc and stack, as without fusion.
//
// Where a fused operation goes on is worked out here too: an unconditional jump with a valid
// target at that place changes nothing but pc, so the fused operation goes straight to the
// jump's target (one hop, so that a jump to itself still loops as written).

#include <cstdint>
#include <vector>

namespace kv {

struct SnxInstruction;

namespace vm_detail {

// Dispatch codes: plain kinds 0 .. 23 (kinds above 23 become 22, which fails the same way),
// then the fused forms.
inline constexpr std::uint8_t kFusedCompareJump = 24;  // x, y, compare, jump if true/false
inline constexpr std::uint8_t kFusedCopy = 25;         // ref r, x, assign, discard
inline constexpr std::uint8_t kFusedAdd = 26;          // ref r, x, y, add, assign, discard
inline constexpr std::uint8_t kFusedSubtract = 27;     // ... subtract ...
inline constexpr std::uint8_t kFusedMultiply = 28;     // ... multiply ...
inline constexpr std::uint8_t kFusedIncrement = 29;    // ref r, increment, discard
inline constexpr std::uint8_t kFusedDecrement = 30;    // ref r, decrement, discard
// The entry past the last instruction, so that running off the end needs no test of pc.
inline constexpr std::uint8_t kEndOfCode = 31;
inline constexpr int kDispatchCodeCount = 32;

inline constexpr std::uint8_t kFlagJumpOnTrue = 1;
inline constexpr std::uint8_t kFlagKeep = 2;

// The integer banks a decoded form was built for.
struct IntegerBanks {
    std::int32_t* a = nullptr;
    std::uint32_t aCount = 0;
    const std::int32_t* b = nullptr;
    std::uint32_t bCount = 0;
    std::int32_t* c = nullptr;
    std::uint32_t cCount = 0;

    bool operator==(const IntegerBanks&) const = default;
};

struct DecodedInstruction {
    const void* handler = nullptr;  // Run's handler for op, filled in by Run itself
    std::uint8_t op = 0;      // what Run dispatches on
    std::uint8_t plain = 0;   // this instruction's own kind (above 23 as 22)
    // Compare-jump: bit 0, 1 or 2 set when the jump is taken for x < y, x = y or x > y.
    std::uint8_t takenMask = 0;
    std::uint8_t flags = 0;
    std::uint32_t a = 0;      // the instruction's own operands
    std::uint32_t b = 0;
    const std::int32_t* x = nullptr;  // fused operands (a copy reads x twice, as y too)
    const std::int32_t* y = nullptr;
    std::int32_t* r = nullptr;        // the variable a fused assignment or step writes
    // Entries of the same form: where a taken fused jump goes (the jump-to-self rule applied)
    // and where a fused operation goes on otherwise.
    const DecodedInstruction* targetEntry = nullptr;
    const DecodedInstruction* nextEntry = nullptr;
};

// Builds the run form of code: one entry per instruction and the end entry. Constants that
// fused operations read are kept in constants. With fuse false every entry is the plain
// instruction.
void DecodeInstructions(const std::vector<SnxInstruction>& code, bool fuse,
                        const IntegerBanks& banks, std::vector<DecodedInstruction>& decoded,
                        std::vector<std::int32_t>& constants);

}  // namespace vm_detail
}  // namespace kv
