#pragma once
// Operation 26: commits the working layers and takes the screen to the new scene, at once or
// through one of the six screen effects, which the frame loop then steps on the effect timer
// (script/ops/frame_dispatch.cpp).
//
// Script order: (kind -1, count 1) shows the new scene at once; otherwise (kind, the effect's
// parameters, run-on flag, count), with count the number of operands before it:
//   cross-fade 0 (kind, step count, run-on flag);
//   mask wipe 1 (kind, step count, mask layer, run-on flag);
//   blinds and cascades 2 to 5 (kind, run-on flag).
// A count of operands the stack does not hold, more than two parameters, fewer than the kind
// needs, a kind outside -1 and 0 to 5, and an operand of the wrong type are argument errors:
// "Illiegal argments to set effects in StartupGraphicEffect()." and the game ends, with nothing
// committed.

#include <cstdint>

namespace kv {

std::uint32_t StartupGraphicEffect();

}  // namespace kv
