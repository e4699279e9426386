#pragma once
// The interpreter's instruction kinds, the variable banks and how load instructions name them.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kvasm {

enum Kind : uint32_t {
    kEnd = 0,
    kAdd = 1,
    kSubtract = 2,
    kMultiply = 3,
    kDivide = 4,
    kRemainder = 5,
    kNegate = 6,
    kCompare = 7,
    kJump = 8,
    kJumpIfTrue = 9,
    kJumpIfFalse = 10,
    kAssign = 11,
    kDiscard = 12,
    kSystemCall = 13,
    kReturn = 14,
    kLoadVariable = 15,
    kLoadReference = 16,
    kLoadConstant = 17,
    kIncrement = 18,
    kDecrement = 19,
    kNop = 20,
    kNop2 = 21,
    kLineMarker = 23,
};

// Constant types of kind 17.
inline constexpr uint32_t kConstInteger = 0;
inline constexpr uint32_t kConstByte = 1;
inline constexpr uint32_t kConstLiteral = 2;

// The eight banks in the order of the variable image's counts.
enum class Bank { kAInt, kAByte, kAString, kBInt, kBByte, kBString, kCInt, kCByte };
inline constexpr int kBankCount = 8;

// "aint", "abyte", "astr", "bint", "bbyte", "bstr", "cint", "cbyte".
std::string_view BankName(Bank bank);
std::optional<Bank> ParseBank(std::string_view name);

// The sub-kind of a load instruction (kinds 15, 16) for a bank; the indexed form adds the index
// on top of the stack. C bytes have no sub-kind.
std::optional<uint32_t> LoadSubKind(Bank bank, bool indexed);
// The reverse, for sub-kinds 0..13.
std::optional<Bank> BankOfSubKind(uint32_t subKind);
inline bool IsIndexedSubKind(uint32_t subKind) { return (subKind & 1) != 0; }

// Operators of kind 7: "eq", "ne", "lt", "le", "gt", "ge" for 0..5.
inline constexpr uint32_t kCompareOperatorCount = 6;
std::string_view CompareOperatorName(uint32_t op);
std::optional<uint32_t> ParseCompareOperator(std::string_view name);

// Mnemonic of the kinds that have no operands (end, add, ..., nop2); empty for the others.
std::string_view PlainMnemonic(uint32_t kind);
std::optional<uint32_t> ParsePlainMnemonic(std::string_view name);

}  // namespace kvasm
