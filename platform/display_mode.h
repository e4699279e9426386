#pragma once
// Full screen or a window. Full screen keeps the desktop's resolution: the window covers the
// desktop and the 800x600 screen is scaled into it with black borders.

#include <cstdint>

namespace kv {

class DisplayMode {
public:
    DisplayMode();
    ~DisplayMode();
    DisplayMode(const DisplayMode&) = delete;
    DisplayMode& operator=(const DisplayMode&) = delete;

    void Reset();
    void LeaveAndReset();
    // True when full screen is in force afterwards.
    bool Enter(std::int32_t width, std::int32_t height);
    std::int32_t Leave();
    bool IsFullScreen() const { return fullScreen_ != 0; }
    std::int32_t LastResult() const { return lastResult_; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }

private:
    std::uint8_t fullScreen_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t lastResult_ = 0;
};

// Switches the main window between the window (flag 0) and full screen (any other value).
void SetWindowMode(std::uint8_t fullScreen);

}  // namespace kv
