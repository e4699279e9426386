#include "tools/asm/instruction_set.h"

namespace kvasm {
namespace {

constexpr std::string_view kBankNames[kBankCount] = {"aint", "abyte", "astr", "bint",
                                                     "bbyte", "bstr", "cint", "cbyte"};

// Banks in the order of the load sub-kinds (two each: direct, then indexed).
constexpr Bank kSubKindBanks[7] = {Bank::kAInt, Bank::kAByte, Bank::kAString, Bank::kBInt,
                                   Bank::kBByte, Bank::kBString, Bank::kCInt};

constexpr std::string_view kCompareNames[kCompareOperatorCount] = {"eq", "ne", "lt",
                                                                   "le", "gt", "ge"};

struct PlainKind {
    uint32_t kind;
    std::string_view mnemonic;
};

constexpr PlainKind kPlainKinds[] = {
    {kEnd, "end"},         {kAdd, "add"},         {kSubtract, "sub"},       {kMultiply, "mul"},
    {kDivide, "div"},      {kRemainder, "mod"},   {kNegate, "neg"},         {kAssign, "assign"},
    {kDiscard, "discard"}, {kReturn, "ret"},      {kIncrement, "inc"},      {kDecrement, "dec"},
    {kNop, "nop"},         {kNop2, "nop2"},
};

}  // namespace

std::string_view BankName(Bank bank) {
    return kBankNames[static_cast<int>(bank)];
}

std::optional<Bank> ParseBank(std::string_view name) {
    for (int i = 0; i < kBankCount; ++i) {
        if (kBankNames[i] == name) {
            return static_cast<Bank>(i);
        }
    }
    return std::nullopt;
}

std::optional<uint32_t> LoadSubKind(Bank bank, bool indexed) {
    for (uint32_t i = 0; i < 7; ++i) {
        if (kSubKindBanks[i] == bank) {
            return i * 2 + (indexed ? 1 : 0);
        }
    }
    return std::nullopt;
}

std::optional<Bank> BankOfSubKind(uint32_t subKind) {
    if (subKind > 13) {
        return std::nullopt;
    }
    return kSubKindBanks[subKind / 2];
}

std::string_view CompareOperatorName(uint32_t op) {
    return op < kCompareOperatorCount ? kCompareNames[op] : std::string_view();
}

std::optional<uint32_t> ParseCompareOperator(std::string_view name) {
    for (uint32_t i = 0; i < kCompareOperatorCount; ++i) {
        if (kCompareNames[i] == name) {
            return i;
        }
    }
    return std::nullopt;
}

std::string_view PlainMnemonic(uint32_t kind) {
    for (const PlainKind& p : kPlainKinds) {
        if (p.kind == kind) {
            return p.mnemonic;
        }
    }
    return {};
}

std::optional<uint32_t> ParsePlainMnemonic(std::string_view name) {
    for (const PlainKind& p : kPlainKinds) {
        if (p.mnemonic == name) {
            return p.kind;
        }
    }
    return std::nullopt;
}

}  // namespace kvasm
