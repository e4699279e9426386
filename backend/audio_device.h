#pragma once
// Attach point of the hub (backend::Hub): filled by the sound task (the audio device the sound channels play through).
// Until then the hub hands out null for it.

namespace backend {

class AudioDevice {
public:
    virtual ~AudioDevice() = default;
};

}  // namespace backend
