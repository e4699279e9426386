#include "script/screens/click_wait_icons.h"

#include <algorithm>
#include <memory>

#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/ops/screen_overlays.h"
#include "script/ops/script_values.h"

namespace kv {

namespace {

std::unique_ptr<ClickWaitIcon[]> g_icons;

void ShowArea(const PixelRect& area) {
    if (g_screenSurface && g_mainWindow) g_screenSurface->BlitRectToDC(g_mainWindow->Handle(), area);
}

void RestoreArea(const PixelRect& area) {
    if (g_screenSurface && g_workSurface1) g_screenSurface->BlitRect(*g_workSurface1, area);
}

}  // namespace

void ConstructClickWaitIcons() {
    if (!g_icons) g_icons = std::make_unique<ClickWaitIcon[]>(kClickWaitIcons);
    ResetClickWaitIcons();
}

void DestroyClickWaitIcons() {
    ResetClickWaitIcons();
    g_icons.reset();
}

void ResetClickWaitIcons() {
    if (!g_icons) return;
    for (std::int32_t i = 0; i < kClickWaitIcons; ++i) {
        ClickWaitIcon& icon = g_icons[i];
        icon.layer = -1;
        icon.x = icon.y = icon.sourceX = icon.sourceY = icon.width = icon.height = 0;
        icon.frameCount = icon.currentFrame = 0;
        icon.timer.Reset();
        icon.enabled = false;
    }
}

ClickWaitIcon* ClickWaitIconAt(std::int32_t index) {
    if (!g_icons || index < 0 || index >= kClickWaitIcons) return nullptr;
    return &g_icons[index];
}

void KeepFrameInStrip(ClickWaitIcon& icon) {
    icon.currentFrame = std::clamp(icon.currentFrame, 0, std::max(icon.frameCount - 1, 0));
}

void NextClickWaitIconFrame(ClickWaitIcon& icon) {
    ++icon.currentFrame;
    if (icon.currentFrame >= icon.frameCount) icon.currentFrame = 0;
}

void DrawClickWaitIconFrame(const ClickWaitIcon& icon, std::int32_t x, std::int32_t y) {
    // The layer is looked up each time: a script may have freed or replaced its picture. A layer
    // without a mask draws nothing.
    const LayerPictures pictures = FindLayerPictures(g_gameScreenLayers, icon.layer);
    if (g_screenSurface == nullptr || pictures.picture == nullptr || pictures.mask == nullptr) return;
    const std::int64_t frameX =
        static_cast<std::int64_t>(icon.sourceX) + static_cast<std::int64_t>(icon.currentFrame) * icon.width;
    if (frameX < INT32_MIN || frameX > INT32_MAX) return;
    g_screenSurface->MaskBlend(*pictures.picture, x, y, icon.width, icon.height, static_cast<std::int32_t>(frameX),
                               icon.sourceY, *pictures.mask);
}

void StepClickWaitIcon(std::int32_t index) {
    ClickWaitIcon* icon = ClickWaitIconAt(index);
    if (icon == nullptr || !icon->enabled || !icon->timer.Check()) return;
    RestoreArea(icon->Area());
    DrawClickWaitIconFrame(*icon, icon->x, icon->y);
    NextClickWaitIconFrame(*icon);
    ShowArea(icon->Area());
}

void RestoreClickWaitIconArea(std::int32_t index) {
    const ClickWaitIcon* icon = ClickWaitIconAt(index);
    if (icon == nullptr) return;
    RestoreArea(icon->Area());
    ShowArea(icon->Area());
}

std::uint32_t SetClickWaitIconEnable() {
    const bool flag = PopIntOperand() != 0;
    ClickWaitIcon* icon = ClickWaitIconAt(PopIntOperand());
    if (icon == nullptr) return FailIllegalArguments("SetClickWaitIconEnable");
    icon->enabled = flag;
    return CompleteOperation();
}

std::uint32_t DefineClickWaitIcon() {
    const std::int32_t interval = PopIntOperand();
    const std::int32_t frameCount = PopIntOperand();
    const std::int32_t height = PopIntOperand();
    const std::int32_t width = PopIntOperand();
    const std::int32_t sourceY = PopIntOperand();
    const std::int32_t sourceX = PopIntOperand();
    const std::int32_t y = PopIntOperand();
    const std::int32_t x = PopIntOperand();
    const std::int32_t layer = PopIntOperand();
    ClickWaitIcon* icon = ClickWaitIconAt(PopIntOperand());
    if (icon == nullptr) return FailIllegalArguments("DefineClickWaitIcon");
    icon->layer = layer;
    icon->x = x;
    icon->y = y;
    icon->sourceX = sourceX;
    icon->sourceY = sourceY;
    icon->width = width;
    icon->height = height;
    icon->frameCount = frameCount;
    // A shorter strip than before: the next frame drawn is one the strip has.
    KeepFrameInStrip(*icon);
    icon->timer.Start(static_cast<std::uint32_t>(interval));
    return CompleteOperation();
}

}  // namespace kv
