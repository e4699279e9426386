#pragma once
// The form of a code image that the interpreter runs: one entry per instruction, in which the
// first instruction of a few very common sequences is replaced by a fused operation that does
// the whole sequence at once (a compare-and-branch, a statement "x = y op z;", "x++;").
//
// A fused entry covers `length` instructions, but the instructions it covers keep their own
// entries, so a jump or a pc set by a handler into the middle of a sequence runs exactly as
// written. When a fused operation cannot take its fast way (a variable index outside its bank,
// no room on the stack) it runs its first instruction alone, so every report and every error
// comes from the same instruction, with the same pc and stack, as without fusion.
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
inline constexpr std::uint8_t kFusedAssign = 25;       // ref r, x [, y, arithmetic], assign, discard
inline constexpr std::uint8_t kFusedStep = 26;         // ref r, increment/decrement, discard
// The entry past the last instruction, so that running off the end needs no test of pc.
inline constexpr std::uint8_t kEndOfCode = 27;

// Where a fused operand lives. Constants are gathered into a pool so that every operand is
// read the same way: pool[source][index] after a check of index against that pool's size.
inline constexpr std::uint8_t kSourceAInt = 0;
inline constexpr std::uint8_t kSourceBInt = 1;
inline constexpr std::uint8_t kSourceCInt = 2;
inline constexpr std::uint8_t kSourceConstant = 3;
inline constexpr int kSourceCount = 4;

inline constexpr std::uint8_t kFlagJumpOnTrue = 1;
inline constexpr std::uint8_t kFlagKeep = 2;

struct DecodedInstruction {
    std::uint8_t op = 0;      // what Run dispatches on
    std::uint8_t plain = 0;   // this instruction's own kind (above 23 as 22)
    std::uint8_t sub = 0;     // compare operator; arithmetic kind (0: plain copy); step +1/-1 (1/0)
    std::uint8_t flags = 0;
    std::uint8_t sourceX = 0;
    std::uint8_t sourceY = 0;
    std::uint8_t sourceR = 0;
    std::uint8_t length = 1;  // instructions covered
    std::uint32_t a = 0;      // the instruction's own operands
    std::uint32_t b = 0;
    std::uint32_t x = 0;      // fused operands: indexes into their sources
    std::uint32_t y = 0;
    std::uint32_t r = 0;
    std::uint32_t target = 0;  // where a taken fused jump goes (the jump-to-self rule applied)
    std::uint32_t next = 0;    // where a fused operation goes on when it does not jump
};

// Builds the run form of code: one entry per instruction and the end entry. With fuse false
// every entry is the plain instruction.
void DecodeInstructions(const std::vector<SnxInstruction>& code, bool fuse,
                        std::vector<DecodedInstruction>& decoded,
                        std::vector<std::int32_t>& constants);

}  // namespace vm_detail
}  // namespace kv
