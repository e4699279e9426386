#pragma once
// One capture and one restore step for each part of the engine that a data set holds, run by
// GetDataSet and SetDataSet (script/save/data_set_engine.h) in this order. A part of the engine
// that is not built yet has empty steps here: it fills them when it lands.

#include "script/save/data_set.h"

namespace kv {

// Game state: captions, screen, effect flags, the current operation and the op-save stack,
// skip mode, the voiced window. The restore leaves the voiced window as it is.
void CaptureGameState(DataSet& set);
void RestoreGameState(const DataSetSnapshot& snapshot);

// The game screen's layer set, whichever set is current: both banks' working and shown
// entries (names, not pictures), the brightness words, the effect timer's interval.
void CaptureLayers(DataSet& set, DataSetArrays& arrays);
void RestoreLayers(const DataSet& set, const DataSetArrays& arrays);

// The sound channels' records, each with whether it plays a loop.
void CaptureSoundChannels(DataSetArrays& arrays);
void RestoreSoundChannels(const DataSetArrays& arrays);

// The script VM from the last capture; the restore also puts back the save title.
void CaptureVm(DataSet& set, DataSetArrays& arrays);
void RestoreVm(const SaveDataHeader& header, const DataSet& set, const DataSetArrays& arrays);

// Message windows: one record each.
void CaptureMessageWindows(DataSetArrays& arrays);
void RestoreMessageWindows(const DataSetArrays& arrays);

// Message history: pages newest first, the backlog settings, the waiting voices.
void CaptureHistory(DataSet& set, DataSetArrays& arrays);
void RestoreHistory(const DataSet& set, const DataSetArrays& arrays);

// System buttons from the last capture.
void CaptureButtons(DataSet& set, DataSetArrays& arrays);
void RestoreButtons(const DataSet& set, const DataSetArrays& arrays);

// The game screen's clickable map, whichever map is current.
void CaptureClickableMap(DataSet& set, DataSetArrays& arrays);
void RestoreClickableMap(const DataSet& set, const DataSetArrays& arrays);

// The choice list.
void CaptureChoices(DataSet& set, DataSetArrays& arrays);
void RestoreChoices(const DataSet& set, const DataSetArrays& arrays);

// The three click-wait icons.
void CaptureClickWaitIcons(DataSet& set);
void RestoreClickWaitIcons(const DataSet& set);

}  // namespace kv
