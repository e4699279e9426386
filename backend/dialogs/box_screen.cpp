#include "backend/dialogs/box_screen.h"

namespace backend {

BoxScreen::BoxScreen(WindowTable& windows, WindowId host) : windows_(windows), host_(host) {
    if (const WindowTable::ShownPicture* shown = windows.LastShown(host)) {
        width_ = shown->width;
        height_ = shown->height;
        background_ = shown->bgr;
    }
}

BoxScreen::~BoxScreen() {
    if (Valid() && windows_.IsWindow(host_)) Present(background_);
}

void BoxScreen::Show(DialogSession& session) {
    if (!Valid()) return;
    picture_ = background_;
    session.Paint(picture_, width_, height_);
    Present(picture_);
}

void BoxScreen::Present(const std::vector<std::uint8_t>& bgr) {
    const PixelView view{bgr.data(), width_, height_, width_ * 3, false};
    windows_.Present(host_, view, Client());
}

}  // namespace backend
