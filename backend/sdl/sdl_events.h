#pragma once
// The event queue of the SDL backend: SDL's events become window messages and input state.

#include "backend/event_queue.h"

namespace backend {

class SdlWindows;

class SdlEvents final : public EventQueue {
public:
    // The windows the pump feeds; set once by the hub.
    void Attach(SdlWindows& windows) { windows_ = &windows; }

protected:
    void PumpSystemEvents() override;

private:
    SdlWindows* windows_ = nullptr;
};

}  // namespace backend
