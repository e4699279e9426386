#include "script/ops/system_button_ops.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "graphics/layer_set.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/ops/sound_channels.h"
#include "script/screens/system_buttons.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

backend::WindowId OwnerWindow() { return g_mainWindow ? g_mainWindow->Handle() : 0; }

// The button of that index; a box naming it and the operation when there is none.
SystemButton* FindButton(std::int32_t index, std::string_view operationName) {
    SystemButton* button = g_systemButtons ? g_systemButtons->Button(index) : nullptr;
    if (button == nullptr) {
        const std::string text =
            "There is no system button " + std::to_string(index) + " in " + std::string(operationName) + "().";
        MessageBoxOk(OwnerWindow(), text, "error");
    }
    return button;
}

// The flag operations 56 and 57: a byte of the button set from the flag operand.
std::uint32_t SetButtonFlag(std::uint8_t SystemButton::*field, std::string_view operationName) {
    const bool on = PopIntOperand() != 0;
    const std::int32_t index = PopIntOperand();
    if (SystemButton* button = FindButton(index, operationName)) button->*field = on ? 1 : 0;
    return CompleteOperation(0);
}

// A button sound into its channel at the channel's settings.
bool LoadButtonSound(std::int32_t channel, const char (&name)[64]) {
    if (!LoadChannelSound(String(name), channel)) return false;
    std::copy(std::begin(name), std::end(name), g_soundChannels[channel].name);
    ApplyVolumeRule(channel, true);
    ApplyPanRule(channel, true);
    return true;
}

}  // namespace

void DrawSystemButtons(Surface& target) {
    if (g_systemButtons) g_systemButtons->DrawAll(target);
}

std::uint32_t CreateSystemButtons() {
    const std::int32_t n = PopIntOperand();
    if (n > 0 && g_systemButtons) g_systemButtons->AllocButtons(n);
    return CompleteOperation(0);
}

std::uint32_t SetSystemButtonImage() {
    const std::int32_t layer = PopIntOperand();
    if (g_currentLayers) {
        if (LayerEntry* entry = g_currentLayers->GetLayer(layer)) entry->visible = 0;
    }
    LayerSet* const* layers = g_currentLayers == g_rightClickLayers ? &g_rightClickLayers : &g_gameScreenLayers;
    if (g_systemButtons) g_systemButtons->BindImage(layers, layer);
    return CompleteOperation(0);
}

std::uint32_t SetSystemButtonEnable() { return SetButtonFlag(&SystemButton::enabled, "SetSystemButtonEnable"); }

std::uint32_t SetSystemButtonVisible() { return SetButtonFlag(&SystemButton::visible, "SetSystemButtonVisible"); }

std::uint32_t DefineSystemButton() {
    const std::int32_t key = PopIntOperand();
    char script[64];
    PopTextOperand(script);
    const std::int32_t height = PopIntOperand();
    const std::int32_t width = PopIntOperand();
    const std::int32_t sourceY = PopIntOperand();
    const std::int32_t sourceX = PopIntOperand();
    const std::int32_t y = PopIntOperand();
    const std::int32_t x = PopIntOperand();
    SystemButton* button = FindButton(PopIntOperand(), "DefineSystemButton");
    if (button == nullptr) return CompleteOperation(0);
    button->x = button->hitX = x;
    button->y = button->hitY = y;
    button->sourceX = sourceX;
    button->sourceY = sourceY;
    button->width = button->hitWidth = width;
    button->height = button->hitHeight = height;
    button->script = String(script);
    button->shortcutKey = static_cast<std::uint8_t>(key & 0xFF);
    return CompleteOperation(0);
}

std::uint32_t SetSystemButtonSound() {
    char clickSound[64];
    PopTextOperand(clickSound);
    const std::int32_t clickChannel = PopIntOperand();
    char hoverSound[64];
    PopTextOperand(hoverSound);
    const std::int32_t hoverChannel = PopIntOperand();
    SystemButton* button = FindButton(PopIntOperand(), "SetSystemButtonSound");
    if (button == nullptr) return CompleteOperation(0);
    // Channel 0 and below mean no sound. A failed load keeps the button's old sounds; a hover
    // sound loaded before a failing click sound stays in its channel.
    if ((hoverChannel > 0 && !LoadButtonSound(hoverChannel, hoverSound)) ||
        (clickChannel > 0 && !LoadButtonSound(clickChannel, clickSound))) {
        MessageBoxOk(OwnerWindow(), "This game failed to load a file in SetSystemButtonSound().", "error");
        return CompleteOperation(0);
    }
    button->hoverChannel = hoverChannel;
    button->clickChannel = clickChannel;
    if (hoverChannel > 0) button->hoverSound = String(hoverSound);
    if (clickChannel > 0) button->clickSound = String(clickSound);
    return CompleteOperation(0);
}

std::uint32_t SetEffectMessageRedraw() {
    const bool on = PopIntOperand() != 0;
    std::uint32_t& flag = CurrentOp().flag;
    flag = (flag & ~0xFFu) | (on ? 1u : 0u);
    return CompleteOperation(0);
}

std::uint32_t SetSystemButtonSpaceKey() {
    const std::int32_t button = PopIntOperand();
    if (g_systemButtons) g_systemButtons->spaceKeyButton = button < 0 ? -1 : button;
    return CompleteOperation(0);
}

std::uint32_t SetSystemButtonWheel() {
    const std::int32_t button = PopIntOperand();
    if (g_systemButtons) g_systemButtons->wheelButton = button < 0 ? -1 : button;
    return CompleteOperation(0);
}

}  // namespace kv
