#include "script/screens/choice_list.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

#include "app/globals/globals.h"
#include "base/text_utils.h"
#include "platform/game_window.h"
#include "script/ops/screen_overlays.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/line_breaking.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"

namespace kv {

namespace {

using namespace message_code;

// The highlight and the cursor stand this far below the item's own area.
constexpr std::int32_t kHighlightDrop = 6;
// The text drawn again over a highlight starts one pixel higher than the highlight.
constexpr std::int32_t kHighlightTextDrop = 5;

ChoiceList g_choiceList;

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

void Present(const PixelRect& area) {
    if (g_screenSurface && g_mainWindow) g_screenSurface->BlitRectToDC(g_mainWindow->Handle(), area);
}

void Restore(const PixelRect& area) {
    if (g_screenSurface && g_workSurface1) g_screenSurface->BlitRect(*g_workSurface1, area);
}

// The window's text stepped out from its cursor to its end. A line that is full, or a line
// break, goes on at the next line; a line below the page's foot goes on below it rather than
// starting a new page over what is drawn. itemX: where an item's lines start again.
void StepOut(MessageWindow& window, std::optional<std::int32_t> itemX) {
    for (;;) {
        const std::int32_t before = window.readIndex;
        const std::int32_t result = window.Step();
        if (result == kTextEnd) return;
        // A full page is reported without taking the character: stepping on would never end.
        const bool full = result == kPageBreak && window.readIndex == before;
        if (result != kLineBreak && !full) continue;
        if (window.NextLineFits()) {
            window.NewLine();
        } else {
            window.cursorY = Clamp32(static_cast<std::int64_t>(window.cursorY) + window.ShadowY() +
                                     window.lineSpacing + window.FontHeight());
            window.cursorX = window.textRect.x;
            window.lineHasText = false;
        }
        if (itemX) window.cursorX = *itemX;
    }
}

// The part of the area inside the screen surface.
std::optional<PixelRect> OnScreen(const PixelRect& area) {
    if (g_screenSurface == nullptr || g_screenSurface->IsEmpty()) return std::nullopt;
    const std::int64_t left = std::max<std::int64_t>(area.x, 0);
    const std::int64_t top = std::max<std::int64_t>(area.y, 0);
    const std::int64_t right = std::min<std::int64_t>(static_cast<std::int64_t>(area.x) + area.width, g_screenSurface->Width());
    const std::int64_t bottom =
        std::min<std::int64_t>(static_cast<std::int64_t>(area.y) + area.height, g_screenSurface->Height());
    if (left >= right || top >= bottom) return std::nullopt;
    return PixelRect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                     static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

// Blue 128 or more becomes 255, less gains 128; green and red stay.
void TintBlue(const PixelRect& area) {
    const std::optional<PixelRect> inside = OnScreen(area);
    if (!inside || g_screenSurface->BytesPerPixel() < 3) return;
    for (std::int32_t y = inside->y; y < inside->y + inside->height; ++y) {
        std::uint8_t* pixel = g_screenSurface->PixelAt(inside->x, y);
        for (std::int32_t x = 0; x < inside->width; ++x, pixel += g_screenSurface->BytesPerPixel()) {
            *pixel = *pixel >= 128 ? 255 : static_cast<std::uint8_t>(*pixel + 128);
        }
    }
}

// Where the cursor stands beside an item: left of it, centred on its first line.
PixelRect CursorArea(const ChoiceItem& item, const ClickWaitIcon& icon, std::int32_t fontHeight) {
    const std::int64_t y = static_cast<std::int64_t>(item.y) + (static_cast<std::int64_t>(fontHeight) - icon.height) / 2 +
                           kHighlightDrop;
    return PixelRect{Clamp32(static_cast<std::int64_t>(item.x) - icon.width), Clamp32(y), icon.width, icon.height};
}

}  // namespace

ChoiceList& TheChoiceList() { return g_choiceList; }

void SyncChoiceMenuShowing() { g_gameState.choiceMenuShowing = g_choiceList.Busy() ? 1 : 0; }

void ChoiceList::Free() {
    items_.clear();
    savedText_.clear();
    windowIndex_ = -1;
    hoverIndex = -1;
    highlightedIndex = -1;
}

void ChoiceList::Alloc(std::int32_t n) {
    items_.clear();
    items_.resize(static_cast<std::size_t>(std::max(n, 0)));
}

ChoiceItem* ChoiceList::GetItem(std::int32_t index) {
    if (index < 0 || index >= Count()) return nullptr;
    return &items_[static_cast<std::size_t>(index)];
}

const ChoiceItem* ChoiceList::GetItem(std::int32_t index) const { return const_cast<ChoiceList*>(this)->GetItem(index); }

MessageWindow* ChoiceList::Window() const { return MessageWindowAt(windowIndex_); }

std::int32_t CountChoiceLines(std::string_view text, std::int32_t width, std::int32_t fontHeight,
                              std::int32_t charSpacing, std::int32_t shadowX) {
    const std::int64_t fullAdvance = static_cast<std::int64_t>(shadowX) + charSpacing + fontHeight;
    const std::int64_t halfAdvance = static_cast<std::int64_t>(fontHeight / 2) + charSpacing + shadowX;
    const std::string copy(text);  // the pair test may read the terminator
    std::int32_t lines = 1;
    std::int64_t run = 0;
    std::int64_t advance = 0;  // of the last character; a wrap before any needs a width of 0 or less
    for (std::size_t p = 0; p < copy.size();) {
        const auto byte = static_cast<unsigned char>(copy[p]);
        if (p + 1 == copy.size()) {
            if (byte > 0x1F) run += halfAdvance;
            p += 1;
        } else if (IsDbcsLeadPair(copy.c_str() + p)) {
            advance = fullAdvance;
            run += advance;
            p += 2;
        } else {
            if (byte == kLineBreak) {
                ++lines;
                run = 0;
            } else if (byte > 0x1F) {
                advance = halfAdvance;
                run += advance;
            }
            p += 1;
        }
        if (run >= width) {
            ++lines;
            run = advance;
        }
    }
    return lines;
}

bool ChoiceList::SetItem(std::int32_t index, std::string_view text) {
    ChoiceItem* item = GetItem(index);
    const MessageWindow* window = Window();
    if (item == nullptr || window == nullptr) return false;
    item->text = CutBetweenCharacters(text, kMessageBufferSize - 1);

    const std::int64_t h = window->FontHeight();
    const std::int64_t cs = window->charSpacing;
    const std::int64_t ls = window->lineSpacing;
    const std::int64_t sx = window->shadowOffsetX;
    const std::int64_t sy = window->shadowOffsetY;
    item->x = Clamp32(window->textRect.x + h + cs + sx);
    if (index == 0) {
        item->y = window->cursorY;
    } else {
        const ChoiceItem& before = items_[static_cast<std::size_t>(index - 1)];
        item->y = Clamp32(static_cast<std::int64_t>(before.y) + before.height + ls);
    }
    item->width = Clamp32(window->textRect.width - sx - cs - h);
    const std::int64_t lines = CountChoiceLines(item->text, item->width, static_cast<std::int32_t>(h),
                                                static_cast<std::int32_t>(cs), static_cast<std::int32_t>(sx));
    item->height = Clamp32((sy + h) * lines + ls * (lines - 1));
    return true;
}

void ChoiceList::DrawItem(std::int32_t index) {
    const ChoiceItem* item = GetItem(index);
    MessageWindow* window = Window();
    if (item == nullptr || window == nullptr || !window->PutText(item->text)) return;
    window->cursorX = item->x;
    window->cursorY = item->y;
    window->lineHasText = false;
    StepOut(*window, item->x);
}

void ChoiceList::DrawAll() {
    MessageWindow* window = Window();
    if (window == nullptr) return;
    window->NewPage();
    highlightedIndex = -1;
    if (!savedText_.empty() && window->PutText(savedText_)) StepOut(*window, std::nullopt);
    for (std::int32_t i = 0; i < Count(); ++i) DrawItem(i);
}

void ChoiceList::Suspend() {
    suspended_.push_back(Saved{std::move(items_), std::move(savedText_), windowIndex_, hoverIndex});
    Free();
}

void ChoiceList::Resume() {
    Free();
    if (suspended_.empty()) return;
    Saved& saved = suspended_.back();
    items_ = std::move(saved.items);
    savedText_ = std::move(saved.savedText);
    windowIndex_ = saved.windowIndex;
    hoverIndex = saved.hoverIndex;
    highlightedIndex = -1;  // the screen was drawn without this list meanwhile
    suspended_.pop_back();
}

void DrawChoiceItemState(std::int32_t index, bool highlighted) {
    const ChoiceItem* item = g_choiceList.GetItem(index);
    if (item == nullptr) return;
    const PixelRect area{item->x, Clamp32(static_cast<std::int64_t>(item->y) + kHighlightDrop), item->width, item->height};
    Restore(area);
    if (highlighted) {
        TintBlue(area);
        g_choiceList.highlightedIndex = index;
    } else if (g_choiceList.highlightedIndex == index) {
        g_choiceList.highlightedIndex = -1;
    }
    if (MessageWindow* window = g_choiceList.Window()) {
        window->RedrawRect(item->x, Clamp32(static_cast<std::int64_t>(item->y) + kHighlightTextDrop), item->width,
                           item->height);
    }
}

void DrawChoiceCursor(std::int32_t newIndex, std::int32_t oldIndex) {
    ClickWaitIcon* icon = ClickWaitIconAt(kChoiceWaitIcon);
    const MessageWindow* window = g_choiceList.Window();
    if (icon == nullptr || window == nullptr) return;
    const ChoiceItem* newItem = g_choiceList.GetItem(newIndex);
    const ChoiceItem* oldItem = g_choiceList.GetItem(oldIndex);
    const std::int32_t h = window->FontHeight();
    const auto erase = [&](const ChoiceItem& item) {
        const PixelRect area = CursorArea(item, *icon, h);
        Restore(area);
        Present(area);
    };
    const auto draw = [&](const ChoiceItem& item) {
        const PixelRect area = CursorArea(item, *icon, h);
        DrawClickWaitIconFrame(*icon, area.x, area.y);
        Present(area);
    };
    if (newItem == nullptr) {
        if (oldItem) erase(*oldItem);
        return;
    }
    if (oldItem == nullptr || newIndex != oldIndex) {
        icon->currentFrame = 0;
        if (oldItem) erase(*oldItem);
        draw(*newItem);
        return;
    }
    if (!icon->timer.Check()) return;
    erase(*newItem);
    draw(*newItem);
    NextClickWaitIconFrame(*icon);
}

void DrawChoiceList() {
    g_choiceList.DrawAll();
    // The redraw took the highlight away with the rest of the screen.
    if (g_choiceList.hoverIndex != -1) DrawChoiceItemState(g_choiceList.hoverIndex, true);
}

}  // namespace kv
