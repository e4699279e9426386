#include "platform/game_window.h"

#include "backend/hub.h"
#include "backend/window_service.h"
#include "base/build_variant.h"
#include "base/message_box.h"
#include "platform/input.h"

namespace kv {

std::int32_t GameWindow::Reset() {
    active_ = 0;
    previousMouseX_ = previousMouseY_ = mouseX_ = mouseY_ = 0;
    clientOriginX_ = clientOriginY_ = 0;
    input_ = nullptr;
    backBuffer_ = nullptr;
    return 0;
}

std::int32_t GameWindow::OnClose() {
    const BuildVariant& variant = ActiveBuildVariant();
    if (MessageBoxYesNo(window_, variant.exitQuestion, variant.exitTitle)) DestroyHandle();
    return 0;
}

std::int32_t GameWindow::OnActivateApp(bool active) {
    active_ = active ? 1 : 0;
    // Only the window in front reads the devices; the results do not matter here, a read that
    // finds a device unacquired acquires it again.
    if (input_) {
        if (active) {
            input_->AcquireMouse();
            input_->AcquireKeyboard();
        } else {
            input_->UnacquireMouse();
            input_->UnacquireKeyboard();
        }
    }
    return 0;
}

std::int32_t GameWindow::OnMove(std::int32_t, std::int32_t) {
    backend::Rect origin = backend::Get().Windows().ClientOrigin(window_);
    clientOriginX_ = origin.x;
    clientOriginY_ = origin.y;
    return 0;
}

std::int32_t GameWindow::OnPaint() {
    const std::int32_t result = DefaultHandler();
    if (backBuffer_ != nullptr) {
        const backend::PixelView pixels = backBuffer_->View();
        if (pixels.bits != nullptr)
            backend::Get().Windows().Present(window_, pixels, backend::Rect{0, 0, pixels.width, pixels.height});
    }
    return result;
}

std::int32_t GameWindow::OnMouseMove(std::int32_t x, std::int32_t y) {
    previousMouseX_ = mouseX_;
    previousMouseY_ = mouseY_;
    // Client coordinates arrive as the unsigned halves of one word.
    mouseX_ = static_cast<std::uint16_t>(x);
    mouseY_ = static_cast<std::uint16_t>(y);
    return DefaultHandler();
}

}  // namespace kv
