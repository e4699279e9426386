// The screens' parts of a data set: message windows, the message history, the system buttons,
// the clickable map, the choice list and the click-wait icons. Each step is empty until its
// screen is built; the screen fills its own pair here when it lands, from the record layouts in
// script/save/data_set.h.

#include "app/globals/globals.h"
#include "script/save/data_set_parts.h"
#include "script/save/save_captures.h"

namespace kv {

// ---- message windows ----
void CaptureMessageWindows(DataSetArrays&) {}
void RestoreMessageWindows(const DataSetArrays&) {}

// ---- message history ----
void CaptureHistory(DataSet&, DataSetArrays&) {}
void RestoreHistory(const DataSet&, const DataSetArrays&) {}

// ---- system buttons: the record is the capture's (CaptureSystemButtons) ----
void CaptureButtons(DataSet& set, DataSetArrays& arrays) {
    if (g_saveCaptures == nullptr) return;
    const ButtonCapture& capture = g_saveCaptures->buttons;
    set.buttonLayer = capture.pictureLayer;
    set.spaceKeyButton = capture.spaceKeyButton;
    set.wheelButton = capture.wheelButton;
    arrays.buttons = capture.buttons;
}
void RestoreButtons(const DataSet&, const DataSetArrays&) {}

// ---- the game screen's clickable map ----
void CaptureClickableMap(DataSet&, DataSetArrays&) {}
void RestoreClickableMap(const DataSet&, const DataSetArrays&) {}

// ---- the choice list ----
void CaptureChoices(DataSet&, DataSetArrays&) {}
void RestoreChoices(const DataSet&, const DataSetArrays&) {}

// ---- click-wait icons ----
void CaptureClickWaitIcons(DataSet&) {}
void RestoreClickWaitIcons(const DataSet&) {}

}  // namespace kv
