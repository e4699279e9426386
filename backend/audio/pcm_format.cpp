#include "backend/audio_device.h"

namespace backend {

bool IsPlayablePcm(const PcmFormat& format) {
    if (format.channels != 1 && format.channels != 2) return false;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return false;
    if (format.samplesPerSecond < kMinFrequency || format.samplesPerSecond > kMaxFrequency) return false;
    const std::uint32_t block = format.channels * (format.bitsPerSample / 8u);
    return format.blockAlign == block && format.averageBytesPerSecond == format.samplesPerSecond * block;
}

}  // namespace backend
