#pragma once
// The one list of choices that a choice menu (operation 79) shows inside a message window, below
// the text the window held when the menu opened (the question). The list is busy while it holds
// choices: redraws then draw it, and the script's skip and auto-mode requests are refused
// (GameState::choiceMenuShowing follows it).
//
// The list names its message window by index and finds it each time it draws: the windows are
// made anew by operation 29 and by a data-set restore.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/surface.h"

namespace kv {

class MessageWindow;

struct ChoiceItem {
    // The item's area on the screen; (x, y) is the top-left corner of its first line.
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    std::string text;

    PixelRect Area() const { return PixelRect{x, y, width, height}; }
};

class ChoiceList {
public:
    // Items freed, no window, question empty, nothing hovered.
    void Free();
    // n items with empty texts (none for n <= 0), the earlier ones freed.
    void Alloc(std::int32_t n);
    // Stores the text and lays the item out in the list's window, below the item before it.
    // False for an index outside the list or without a window.
    bool SetItem(std::int32_t index, std::string_view text);
    // The item's text laid out in the window at the item's place, blended over the screen.
    void DrawItem(std::int32_t index);
    // The window emptied, then the question and every item drawn again.
    void DrawAll();

    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    bool Busy() const { return !items_.empty(); }
    // Null outside the list.
    ChoiceItem* GetItem(std::int32_t index);
    const ChoiceItem* GetItem(std::int32_t index) const;
    const std::string& GetSavedText() const { return savedText_; }
    void SetSavedText(std::string_view text) { savedText_ = text; }

    // The window by index; null when there is none (idle, or the index is no window's).
    void BindWindow(std::int32_t index) { windowIndex_ = index; }
    std::int32_t WindowIndex() const { return windowIndex_; }
    MessageWindow* Window() const;

    std::int32_t hoverIndex = -1;
    // The item shown highlighted on the screen now, -1 none: a redraw by another part of the
    // engine may leave a highlight while it resets the hover index.
    std::int32_t highlightedIndex = -1;

    // A menu opened while another waits (from a script that interrupted it) keeps the waiting
    // menu's list aside and gives it back when it closes.
    void Suspend();
    void Resume();
    void DropSuspended() { suspended_.clear(); }

private:
    struct Saved {
        std::vector<ChoiceItem> items;
        std::string savedText;
        std::int32_t windowIndex;
        std::int32_t hoverIndex;
    };

    std::vector<ChoiceItem> items_;
    std::string savedText_;
    std::int32_t windowIndex_ = -1;
    std::vector<Saved> suspended_;
};

// The program's one list.
ChoiceList& TheChoiceList();
// GameState::choiceMenuShowing set from whether the list holds choices.
void SyncChoiceMenuShowing();

// The number of lines a text takes in an item of that width, by the window's character
// advances: a line-break byte or a full line starts the next.
std::int32_t CountChoiceLines(std::string_view text, std::int32_t width, std::int32_t fontHeight,
                              std::int32_t charSpacing, std::int32_t shadowX);

// The hovered item's look: its area (moved 6 pixels down) restored from work surface 1, tinted
// blue when highlighted, the text blended again over it. Cut to the screen.
void DrawChoiceItemState(std::int32_t index, bool highlighted);
// The choice cursor (click-wait icon 1) moved from the old item to the new one, or animated in
// place when they are the same; -1 is no item.
void DrawChoiceCursor(std::int32_t newIndex, std::int32_t oldIndex);

// The redraw's entry: the whole list drawn again, with the hovered item highlighted.
void DrawChoiceList();

}  // namespace kv
