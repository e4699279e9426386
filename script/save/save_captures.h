#pragma once
// What each interruption of the game captures for a later save: the script VM and the system
// buttons as the player left them, and the screen stretched into the thumbnail surface. A save
// made afterwards by the save screen's script stores these, not the save screen's own VM.

#include <cstdint>
#include <vector>

#include "script/save/data_set.h"

namespace kv {

struct VmCapture {
    VmPart vm;
    std::vector<std::int32_t> aInts;
    std::vector<std::uint8_t> aBytes;
    std::vector<std::vector<std::uint8_t>> aStrings;
    std::uint8_t rightClickEnabled = 0;
};

struct ButtonCapture {
    std::int32_t pictureLayer = 0;
    std::int32_t spaceKeyButton = 0;
    std::int32_t wheelButton = 0;
    std::vector<ButtonRecord> buttons;
};

// One for the whole run (g_saveCaptures), empty until the first interruption.
struct SaveCaptures {
    VmCapture vm;
    ButtonCapture buttons;
};

// Fill the records of g_saveCaptures from the running engine; CaptureThumbnail
// (script/ops/frame_hooks.h) runs both, then takes the thumbnail.
void CaptureVmState();
void CaptureSystemButtons();

}  // namespace kv
