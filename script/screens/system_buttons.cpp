#include "script/screens/system_buttons.h"

#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/interruption.h"
#include "script/ops/op_state.h"
#include "script/ops/screen_overlays.h"
#include "script/ops/sound_channels.h"

namespace kv {

namespace {

bool Inside(const PixelRect& area, std::int32_t x, std::int32_t y) {
    // Both ends count: a pointer on the right or bottom edge is inside.
    return area.x <= x && x <= area.x + area.width && area.y <= y && y <= area.y + area.height;
}

bool Live(const SystemButton& button) { return button.enabled && button.visible; }

void PlayButtonSound(std::int32_t channel) {
    // Channel 0 exists, but 0 here means "no sound".
    if (channel > 0) PlayChannel(channel, false);
}

// The button's hit area from the bare scene, the button over it, and that area to the window.
void RedrawButton(const SystemButtonSet& set, std::int32_t index, std::int32_t state) {
    const SystemButton* button = set.Button(index);
    if (button == nullptr || g_screenSurface == nullptr || g_workSurface3 == nullptr) return;
    const PixelRect area = button->HitRect();
    g_screenSurface->BlitRect(*g_workSurface3, area);
    set.DrawButton(*g_screenSurface, index, state);
    if (g_mainWindow) g_screenSurface->BlitRectToDC(g_mainWindow->Handle(), area);
}

}  // namespace

void SystemButtonSet::AllocButtons(std::int32_t n) {
    buttons_ = std::make_unique<SystemButton[]>(static_cast<std::size_t>(n));
    count_ = n;
    hoverIndex = -1;
    spaceKeyButton = -1;
    wheelButton = -1;
}

void SystemButtonSet::FreeButtons() { buttons_.reset(); }

void SystemButtonSet::BindImage(LayerSet* const* layers, std::int32_t layer) {
    imageLayers_ = layers;
    pictureLayer_ = layer;
}

SystemButton* SystemButtonSet::Button(std::int32_t index) {
    if (!buttons_ || index < 0 || index >= count_) return nullptr;
    return &buttons_[static_cast<std::size_t>(index)];
}

const SystemButton* SystemButtonSet::Button(std::int32_t index) const {
    return const_cast<SystemButtonSet*>(this)->Button(index);
}

void SystemButtonSet::DrawButton(Surface& target, std::int32_t index, std::int32_t state) const {
    const SystemButton* button = Button(index);
    if (button == nullptr || imageLayers_ == nullptr) return;
    const LayerPictures pictures = FindLayerPictures(*imageLayers_, pictureLayer_);
    if (pictures.picture == nullptr) return;
    const std::int32_t sourceX = button->sourceX + state * button->width;
    if (pictures.mask) {
        target.MaskBlend(*pictures.picture, button->x, button->y, button->width, button->height, sourceX,
                         button->sourceY, *pictures.mask);
    } else {
        target.Blit(*pictures.picture, button->x, button->y, button->width, button->height, sourceX, button->sourceY);
    }
}

void SystemButtonSet::DrawAll(Surface& target) const {
    for (std::int32_t i = 0; i < Count(); ++i) {
        const SystemButton& button = buttons_[static_cast<std::size_t>(i)];
        if (!button.visible) continue;
        const std::int32_t state = !button.enabled ? kDisabled : i == hoverIndex ? kHover : kNormal;
        DrawButton(target, i, state);
    }
}

bool ProcessSystemButtonPress() {
    if (g_systemButtons == nullptr || g_input == nullptr || g_mainWindow == nullptr) return false;
    SystemButtonSet& set = *g_systemButtons;
    const Input& input = *g_input;
    const std::int32_t mouseX = g_mainWindow->MouseX();
    const std::int32_t mouseY = g_mainWindow->MouseY();

    std::int32_t candidate = -1;
    bool triggered = false;
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        const SystemButton& button = *set.Button(i);
        if (Live(button) && Inside(button.HitRect(), mouseX, mouseY)) {
            candidate = i;
            break;
        }
    }
    // A later button's key overrides an earlier one's.
    for (std::int32_t i = 0; i < set.Count(); ++i) {
        const SystemButton& button = *set.Button(i);
        if (Live(button) && button.shortcutKey != 0 && input.KeyReleased(button.shortcutKey)) {
            candidate = i;
            triggered = true;
        }
    }

    if (candidate != set.hoverIndex) {
        if (set.hoverIndex != -1) RedrawButton(set, set.hoverIndex, SystemButtonSet::kNormal);
        if (candidate != -1) {
            RedrawButton(set, candidate, SystemButtonSet::kHover);
            PlayButtonSound(set.Button(candidate)->hoverChannel);
        }
        set.hoverIndex = candidate;
    }

    const auto liveButton = [&](std::int32_t index) {
        const SystemButton* button = set.Button(index);
        return button != nullptr && Live(*button);
    };
    if (liveButton(set.spaceKeyButton) && input.KeyReleased(key::Space)) {
        candidate = set.spaceKeyButton;
        triggered = true;
    }
    // Only a turn away from the player presses.
    if (liveButton(set.wheelButton) && input.Wheel() > 0) {
        candidate = set.wheelButton;
        triggered = true;
    }

    if (candidate == -1) return false;
    if (!triggered && !input.ButtonReleased(0)) return false;
    // The press is not taken when no further interruption fits on the stacks: no sound, no
    // redraw, the hover stays.
    if (!CanInterrupt()) return false;

    const SystemButton& pressed = *set.Button(candidate);
    PlayButtonSound(pressed.clickChannel);
    RedrawButton(set, candidate, SystemButtonSet::kNormal);
    set.hoverIndex = -1;
    return InterruptWithScript(pressed.script, "This game failed to call SNX-file in ProcessSystemButton().", false) ==
           kOpFinished;
}

}  // namespace kv
