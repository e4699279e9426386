#pragma once
// What the game window paints from when the operating system asks it to: a picture that says
// where its pixels are at the moment of the paint.

#include "backend/window_service.h"

namespace kv {

class BackBuffer {
public:
    // The pixels as they are now; a view without bits shows nothing.
    virtual backend::PixelView View() const = 0;

protected:
    ~BackBuffer() = default;
};

}  // namespace kv
