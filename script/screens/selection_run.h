#pragma once
// The select operations' run (70 and 109 on the current clickable map, 99 on the save/load
// screen's selections): the mouse and the Up and Down keys move a highlight with its hover sound,
// a decide picks the highlighted selection with its click sound, and the right click or Esc
// cancels or starts the right-click script. What is selected, and how a highlight is drawn, is
// the list's business.

#include <cstdint>

namespace kv {

class SelectionList {
public:
    virtual ~SelectionList() = default;
    virtual std::int32_t Count() const = 0;
    virtual bool Selectable(std::int32_t index) const = 0;
    // The pointer is on the selection (both ends of its rectangle count).
    virtual bool Hit(std::int32_t index, std::int32_t x, std::int32_t y) const = 0;
    virtual std::int32_t& HoverIndex() = 0;
    // Redraws a selection highlighted or not on the screen and shows it in the window.
    virtual void ShowHighlight(std::int32_t index, bool highlighted) = 0;
    // Negative: no sound.
    virtual std::int32_t HoverChannel() const = 0;
    virtual std::int32_t ClickChannel() const = 0;
};

// The first selectable selection under the pointer, -1 for none.
std::int32_t HitSelection(const SelectionList& list, std::int32_t x, std::int32_t y);
// The next selectable one from the candidate in that direction (-1 up, 1 down), round the ends;
// from -1 down gives the first and up the last. The candidate stays when none is selectable.
std::int32_t StepSelection(const SelectionList& list, std::int32_t from, std::int32_t direction);

// What the right click and Esc do when the operation may not be cancelled.
enum class RightClickPath : std::uint8_t {
    Nothing,      // the save/load screen
    RclickScript, // the maps: the right-click script, when the script allows the right click
};

// Phase 0 (operands: result variable, cancelable): skip and auto mode end, nothing is
// highlighted, the first frame of phase 1 tests the pointer.
std::uint32_t ReadySelection(SelectionList& list);
// Phase 1, once a frame: 0 to go on, 1 when chosen (the index, or -1 for a cancel, in the
// result variable) or interrupted by the right-click script.
std::uint32_t RunSelection(SelectionList& list, RightClickPath rightClick);

// The save/load screen's selections for operation 99; the slot screen puts its own in place.
// Without one the operation runs over no selections (only a cancel ends it).
SelectionList& SaveScreenSelections();
void SetSaveScreenSelections(SelectionList* selections);

}  // namespace kv
