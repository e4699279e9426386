#pragma once
// Per-frame and interruption work that belongs to the sound channels, the layer compositor, the
// message windows, the click-wait icons and the save capture. The frame dispatch and the
// interruptions call these at the places where that work happens; each hook does nothing until
// the subsystem it names exists and fills it in.

#include <cstdint>

namespace kv {

// Steps every running volume fade of the sound channels (nothing without a sound manager).
void StepSoundFades();

enum class EffectStep : std::uint8_t {
    NotDue,    // the effect timer has not fired: nothing changed on screen
    Stepped,   // one step drawn into the screen surface
    Finished,  // the last step drawn: the effect is over
};
// One step of the running screen effect of the current layer set, when its timer is due.
// Without a layer set there is nothing left to step and the effect is over.
EffectStep StepScreenEffect();
// Cuts the running effect short: its final picture (work surface 1) into the screen surface.
void ShowEffectFinalPicture();

// Redraws every shown message window over the screen surface.
void RedrawShownMessageWindows();
// Copies the whole screen surface to the game window.
void PresentScreen();
// Restores the area of the auto-mode click-wait icon (icon 2) from work surface 1 and shows it.
void EraseAutoModeIcon();

// Takes the save thumbnail and the VM capture for a save made while interrupted
// (script/save/save_captures.cpp).
void CaptureThumbnail();
// Makes the game-screen (false) or the right-click-screen (true) layer set and clickable map
// current; the right-click layer set draws to the screen surface through work surfaces 1 and 2.
void SwitchCurrentScreenObjects(bool rightClickScreen);

}  // namespace kv
