#pragma once
// The engine's one window: asks before closing, pauses the game while another program is in
// front, keeps the pointer position for the hit tests, and shows the screen surface.

#include <cstdint>

#include "platform/back_buffer.h"
#include "platform/window.h"

namespace kv {

class Input;

class GameWindow : public Window {
public:
    GameWindow() = default;

    std::int32_t Reset();

    bool IsActive() const { return active_ != 0; }
    std::int32_t MouseX() const { return mouseX_; }
    std::int32_t MouseY() const { return mouseY_; }
    std::int32_t PreviousMouseX() const { return previousMouseX_; }
    std::int32_t PreviousMouseY() const { return previousMouseY_; }
    std::int32_t ClientOriginX() const { return clientOriginX_; }
    std::int32_t ClientOriginY() const { return clientOriginY_; }
    // The script's input object (not owned): its devices follow the window's activation.
    Input* GetInput() const { return input_; }
    void SetInput(Input* input) { input_ = input; }
    // What a paint shows (not owned): the screen surface once start-up has made it.
    const BackBuffer* GetBackBuffer() const { return backBuffer_; }
    void SetBackBuffer(const BackBuffer* backBuffer) { backBuffer_ = backBuffer; }

    std::int32_t OnClose() override;
    std::int32_t OnActivateApp(bool active) override;
    std::int32_t OnMove(std::int32_t x, std::int32_t y) override;
    std::int32_t OnPaint() override;
    std::int32_t OnMouseMove(std::int32_t x, std::int32_t y) override;

private:
    std::uint8_t active_ = 0;
    std::int32_t previousMouseX_ = 0;
    std::int32_t previousMouseY_ = 0;
    std::int32_t mouseX_ = 0;
    std::int32_t mouseY_ = 0;
    std::int32_t clientOriginX_ = 0;
    std::int32_t clientOriginY_ = 0;
    Input* input_ = nullptr;
    const BackBuffer* backBuffer_ = nullptr;
};

}  // namespace kv
