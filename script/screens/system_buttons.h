#pragma once
// The system buttons: screen buttons the script defines once (operations 54-59, 87, 88) that
// stay live while the engine waits for the player. Each has a three-state picture strip cut from
// one picture layer (disabled, normal, hover side by side), an optional shortcut key, hover and
// click sounds, and a script that a press runs as an interruption of the waiting operation.

#include <cstdint>
#include <memory>

#include "base/string.h"
#include "graphics/surface.h"

namespace kv {

class LayerSet;

struct SystemButton {
    std::int32_t x = 0, y = 0;
    std::int32_t sourceX = 0, sourceY = 0;  // the state-0 picture in the image
    std::int32_t width = 0, height = 0;
    // Hit-tested, restored and shown on every redraw of this button.
    std::int32_t hitX = 0, hitY = 0, hitWidth = 0, hitHeight = 0;
    std::uint8_t enabled = 0;
    std::uint8_t visible = 0;
    std::uint8_t shortcutKey = 0;  // 0: none
    String script;
    std::int32_t hoverChannel = -1;  // 0 or less: no sound
    std::int32_t clickChannel = -1;
    String hoverSound;
    String clickSound;

    PixelRect HitRect() const { return {hitX, hitY, hitWidth, hitHeight}; }
};

class SystemButtonSet {
public:
    // Picture states of the strip.
    static constexpr std::int32_t kDisabled = 0;
    static constexpr std::int32_t kNormal = 1;
    static constexpr std::int32_t kHover = 2;

    // n fresh buttons (no sounds, not enabled, not visible) in place of the old ones; the hover,
    // Space and wheel indexes are reset with them, since they named the old buttons.
    void AllocButtons(std::int32_t n);
    void FreeButtons();

    // The buttons' pictures come from that picture layer of that layer set, looked up at each
    // draw (a script may free the layer at any time).
    void BindImage(LayerSet* const* layers, std::int32_t layer);
    std::int32_t PictureLayer() const { return pictureLayer_; }

    // Every visible button: disabled, hover or normal picture.
    void DrawAll(Surface& target) const;
    // One button in one state; nothing without a picture or outside the buttons.
    void DrawButton(Surface& target, std::int32_t index, std::int32_t state) const;

    // 0 once the buttons are freed, whatever count they had.
    std::int32_t Count() const { return buttons_ ? count_ : 0; }
    SystemButton* Button(std::int32_t index);  // null outside the buttons
    const SystemButton* Button(std::int32_t index) const;

    std::int32_t hoverIndex = -1;
    std::int32_t spaceKeyButton = -1;
    std::int32_t wheelButton = -1;

private:
    std::int32_t count_ = 0;
    std::unique_ptr<SystemButton[]> buttons_;
    std::int32_t pictureLayer_ = -1;
    LayerSet* const* imageLayers_ = nullptr;  // the global slot of the layer set the layer is in
};

// The per-frame press test of the waits that keep the system buttons live (the message click
// wait, the choice menu, the backlog view; they reach it through ProcessSystemButton of
// script/ops/player_hooks.h): follows the mouse with the hover picture and sound,
// and on a press (left button released over a button, its shortcut key, Space or the wheel for
// their buttons) plays the click sound and starts the button's script as an interruption. True:
// the script now runs and the caller returns 1 at once; its operation resumes when the script
// returns. False when nothing was pressed, or the script could not be started.
bool ProcessSystemButtonPress();

}  // namespace kv
