#pragma once
// Shows an open box over what its window showed when the box opened, and puts that picture back
// when the box closes.

#include <cstdint>
#include <vector>

#include "backend/dialogs/dialog_session.h"
#include "backend/window_table.h"

namespace backend {

class BoxScreen {
public:
    BoxScreen(WindowTable& windows, WindowId host);
    ~BoxScreen();
    BoxScreen(const BoxScreen&) = delete;
    BoxScreen& operator=(const BoxScreen&) = delete;

    // False when the window has nothing to draw in.
    bool Valid() const { return width_ > 0 && height_ > 0; }
    Rect Client() const { return Rect{0, 0, width_, height_}; }
    void Show(DialogSession& session);

private:
    void Present(const std::vector<std::uint8_t>& bgr);

    WindowTable& windows_;
    WindowId host_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint8_t> background_;
    std::vector<std::uint8_t> picture_;
};

}  // namespace backend
