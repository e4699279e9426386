#pragma once
// Where a copy or a blend lands: the destination corner, the corner at which every source and
// the mask are read, and the size. Clipping it against every surface involved is what keeps
// every routine inside its surfaces whatever rectangle a script or a file asks for.

#include <cstdint>
#include <initializer_list>

namespace kv {

class Surface;

struct Placement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t sourceX = 0;
    std::int32_t sourceY = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Shrinks the placement to the part that lies inside the destination and inside every source
// (an empty surface has no inside). False when nothing is left.
bool ClipPlacement(Placement& placement, const Surface& destination, std::initializer_list<const Surface*> sources);

}  // namespace kv
