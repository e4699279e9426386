#pragma once
// Taking a data set from the running engine and putting one back. Each part of the engine has
// its pair of steps (script/save/data_set_parts.h); these run them in their fixed order.

#include "script/save/data_set.h"

namespace kv {

// The whole engine: the VM and the system buttons as the last capture found them
// (script/save/save_captures.h), everything else as it stands now; the header with the
// configured version text, the VM's save title, the local date and the blob's size.
void GetDataSet(DataSetSnapshot& snapshot);

// Whether the snapshot can replace the running game: the banks and objects it does not carry
// (bank B and C sizes, sound channels, stream packs) must be the running game's, and the
// windows no more than a script may make, each with its read position inside its text, and the
// button and map indexes ones the engine could hold.
bool FitsRunningGame(const DataSetSnapshot& snapshot);

// Puts the snapshot back into the engine objects (pictures, scripts and sounds are loaded again
// by their names afterwards, by the caller). The snapshot must fit the running game.
void SetDataSet(const DataSetSnapshot& snapshot);

}  // namespace kv
