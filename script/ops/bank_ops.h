#pragma once
// Operations on the script's variable banks as a whole.

#include <cstdint>

namespace kv {

// 114: every A integer and A byte becomes 0 and every A string empty; the bank sizes stay.
std::uint32_t ClearBankA();

}  // namespace kv
