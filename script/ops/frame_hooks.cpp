#include "script/ops/frame_hooks.h"

namespace kv {


EffectStep StepScreenEffect() { return EffectStep::Finished; }

void ShowEffectFinalPicture() {}

void RedrawShownMessageWindows() {}

void PresentScreen() {}

void EraseAutoModeIcon() {}

void CaptureThumbnail() {}

void SwitchCurrentScreenObjects(bool) {}

}  // namespace kv
