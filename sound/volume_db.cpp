#include "sound/volume_db.h"

#include <cmath>
#include <limits>

namespace kv {

double VolumeToDb(double value, double max) {
    if (value == 0) return -10000.0;
    return std::log10(value / max) * 20.0 * 100.0;
}

double PanToDb(double value, double max) {
    if (value < 0) {
        const double v = value + max;
        if (v == 0) return -10000.0;
        return std::log10(v / max) * 20.0 * 100.0;
    }
    if (value == 0) return 0.0;
    const double v = max - value;
    if (v == 0) return 10000.0;
    return -std::log10(v / max) * 20.0 * 100.0;
}

std::int32_t TruncateDb(double hundredthsDb) {
    constexpr std::int32_t kRefused = std::numeric_limits<std::int32_t>::min();
    if (std::isnan(hundredthsDb) || hundredthsDb <= -2147483648.0 || hundredthsDb >= 2147483648.0) return kRefused;
    return static_cast<std::int32_t>(hundredthsDb);
}

}  // namespace kv
