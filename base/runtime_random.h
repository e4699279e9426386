#pragma once
// The pseudo-random generator scripts draw from. Its range (0..32767) and its sequence for a
// given seed are those of the C runtime the games were made with, which scripts and the common
// data rely on.

#include <cstdint>

namespace kv {

void SeedRandom(std::uint32_t seed);
int NextRandom();  // 0..32767

}  // namespace kv
