#pragma once
// The script's linear percentages as attenuations in hundredths of a decibel, as the sound
// buffers take them.

#include <cstdint>

namespace kv {

// value 0 gives -10000; otherwise 2000 x log10(value / max).
double VolumeToDb(double value, double max);
// Negative values attenuate the right side (a negative result), positive ones the left; 0 is
// the centre; -max and +max give -10000 and +10000.
double PanToDb(double value, double max);
// Truncates toward zero. A value with no logarithm (NaN) or beyond 32 bits gives the most
// negative 32-bit integer, which the buffers refuse.
std::int32_t TruncateDb(double hundredthsDb);

}  // namespace kv
