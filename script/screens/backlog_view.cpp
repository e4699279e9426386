#include "script/screens/backlog_view.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/frame_hooks.h"
#include "script/ops/op_state.h"
#include "script/ops/player_hooks.h"
#include "script/ops/screen_overlays.h"
#include "script/ops/screen_redraw.h"
#include "script/ops/script_values.h"
#include "script/ops/sound_channels.h"
#include "script/screens/choice_list.h"
#include "script/screens/message_history.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/screens/system_buttons.h"

namespace kv {

namespace {

constexpr std::uint32_t kBacklogViewOperation = 82;

// Scratch words of operation 82.
constexpr int kPointerTested = 0;  // 0: the next frame hit-tests the pointer whatever it did
constexpr int kLastPointerX = 1;
constexpr int kLastPointerY = 2;

// The backlog window's own page while the view borrows the window.
struct KeptWindowPage {
    bool held = false;
    std::int32_t window = -1;
    std::string pageText;
    std::string text;
    std::int32_t readIndex = -1, textLength = 0, cursorX = 0, cursorY = 0, bracketDepth = 0, charsOnPage = 0;
    bool lineHasText = false, halfWidth = false;
};

BacklogViewState g_view;
KeptWindowPage g_kept;
// The scene under the view (without the layers hidden on view): what an icon or a button
// restores its area from.
std::unique_ptr<Surface> g_backdrop;

MessageWindow* BacklogWindow() { return g_messageHistory ? MessageWindowAt(g_messageHistory->backlogWindow) : nullptr; }

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
    const std::int64_t left = std::max<std::int64_t>(a.x, b.x);
    const std::int64_t top = std::max<std::int64_t>(a.y, b.y);
    const std::int64_t right = std::min<std::int64_t>(static_cast<std::int64_t>(a.x) + a.width,
                                                      static_cast<std::int64_t>(b.x) + b.width);
    const std::int64_t bottom = std::min<std::int64_t>(static_cast<std::int64_t>(a.y) + a.height,
                                                       static_cast<std::int64_t>(b.y) + b.height);
    if (right <= left || bottom <= top) return {};
    return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right - left),
            static_cast<std::int32_t>(bottom - top)};
}

PixelRect ScreenRect() {
    return g_screenSurface ? PixelRect{0, 0, g_screenSurface->Width(), g_screenSurface->Height()} : PixelRect{};
}

// The part of a picture layer, as the script placed it, that lies in the area, blended through
// its mask. A layer without a picture or without a mask draws nothing.
void BlendLayerPart(std::int32_t layer, const PixelRect& area) {
    const LayerEntry* entry = g_currentLayers ? g_currentLayers->GetLayer(layer) : nullptr;
    const LayerPictures pictures = FindLayerPictures(g_currentLayers, layer);
    if (entry == nullptr || pictures.picture == nullptr || pictures.mask == nullptr || g_screenSurface == nullptr) return;
    const PixelRect part = Intersection({entry->x, entry->y, entry->width, entry->height}, area);
    if (part.width <= 0) return;
    const auto sourceX = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        static_cast<std::int64_t>(entry->sourceX) + part.x - entry->x, INT32_MIN, INT32_MAX));
    const auto sourceY = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        static_cast<std::int64_t>(entry->sourceY) + part.y - entry->y, INT32_MIN, INT32_MAX));
    g_screenSurface->MaskBlend(*pictures.picture, part.x, part.y, part.width, part.height, sourceX, sourceY,
                               *pictures.mask);
}

void BlendIconFrame(const PixelRect& rect, bool highlighted) {
    const VoiceIconSource& icon = g_messageHistory->voiceIcon;
    const LayerPictures pictures = FindLayerPictures(g_currentLayers, icon.layer);
    if (pictures.picture == nullptr || pictures.mask == nullptr || g_screenSurface == nullptr) return;
    const auto sourceX = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        static_cast<std::int64_t>(icon.sourceX) + (highlighted ? icon.width : 0), INT32_MIN, INT32_MAX));
    g_screenSurface->MaskBlend(*pictures.picture, rect.x, rect.y, rect.width, rect.height, sourceX, icon.sourceY,
                               *pictures.mask);
}

void PresentRect(const PixelRect& rect) {
    if (g_screenSurface && g_mainWindow) g_screenSurface->BlitRectToDC(g_mainWindow->Handle(), rect);
}

void RestoreFromBackdrop(const PixelRect& rect) {
    if (g_screenSurface && g_backdrop) g_screenSurface->BlitRect(*g_backdrop, rect);
}

void ShowIcon(std::int32_t index, bool highlighted) {
    if (index < 0 || static_cast<std::size_t>(index) >= g_view.icons.size()) return;
    const PixelRect rect = g_view.icons[static_cast<std::size_t>(index)].rect;
    RestoreFromBackdrop(rect);
    BlendLayerPart(g_messageHistory->backlogFrameLayer, rect);
    BlendIconFrame(rect, highlighted);
    PresentRect(rect);
}

void KeepBackdrop() {
    if (g_screenSurface == nullptr) return;
    if (!g_backdrop) g_backdrop = std::make_unique<Surface>();
    g_backdrop->CopyFrom(*g_screenSurface);
}

// Lays one page out upward from its bottom edge in the backlog window, with its voice icons.
// False when the page does not fit above the window's text area.
bool DrawHistoryPage(MessageWindow& window, const HistoryPage& page, std::int64_t& bottom) {
    // A page whose window is gone takes the backlog window's height.
    const MessageWindow* own = MessageWindowAt(static_cast<std::int32_t>(std::min<std::uint32_t>(page.window, INT32_MAX)));
    const std::int64_t top = bottom - (own ? own : &window)->textRect.height;
    if (window.textRect.y > top) return false;
    window.cursorX = window.textRect.x;
    window.cursorY = static_cast<std::int32_t>(top);
    window.bracketDepth = 0;
    window.lineHasText = false;
    if (window.PutText(page.text)) {
        for (;;) {
            const std::int32_t before = window.readIndex;
            const std::int32_t result = window.Step();
            if (result == message_code::kTextEnd) break;
            if (result == message_code::kPageBreak && window.readIndex == before) break;  // the page is full
            // A line past the text area would start again at its top, over the pages above.
            if (result == message_code::kLineBreak && window.NewLine() != 0) break;
        }
    }
    const VoiceIconSource& icon = g_messageHistory->voiceIcon;
    for (const HistoryVoice& voice : page.voices) {
        const std::int64_t y = top + voice.y + (window.FontHeight() - icon.height) / 2;
        const PixelRect rect{static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                 static_cast<std::int64_t>(window.textRect.x) - icon.width, INT32_MIN, INT32_MAX)),
                             static_cast<std::int32_t>(std::clamp<std::int64_t>(y, INT32_MIN, INT32_MAX)), icon.width,
                             icon.height};
        g_view.icons.push_back({rect, voice.volume, voice.pan, voice.name});
        BlendIconFrame(rect, false);
    }
    bottom = top;
    return true;
}

void DrawBacklogPage() {
    g_view.icons.clear();
    g_view.highlighted = -1;  // the list is new: no icon of the old one stays lit
    MessageWindow* window = BacklogWindow();
    if (window == nullptr || g_screenSurface == nullptr) return;
    if (g_currentLayers) g_currentLayers->ComposeShownToTarget();
    KeepBackdrop();
    BlendLayerPart(g_messageHistory->backlogFrameLayer, ScreenRect());

    std::int64_t bottom = static_cast<std::int64_t>(window->textRect.y) + window->textRect.height;
    window->NewPage();
    const std::int32_t count = g_messageHistory->PageCount();
    g_view.lastIndex = count;
    for (std::int32_t k = 0; g_view.pageIndex + k < count; ++k) {
        const HistoryPage* page = g_messageHistory->FromNewest(g_view.pageIndex + k);
        if (page == nullptr || !DrawHistoryPage(*window, *page, bottom)) {
            g_view.lastIndex = g_view.pageIndex + k - 1;
            break;
        }
    }

    if (g_systemButtons) {
        for (std::int32_t i = 0; i < g_systemButtons->Count(); ++i) {
            const SystemButton* button = g_systemButtons->Button(i);
            if (!button->enabled || !button->visible) continue;
            RestoreFromBackdrop(button->HitRect());
            g_systemButtons->DrawButton(*g_screenSurface, i, SystemButtonSet::kNormal);
        }
    }
    PresentScreen();
}

void KeepWindowPage(std::int32_t index) {
    const MessageWindow* window = MessageWindowAt(index);
    g_kept = {};
    if (window == nullptr) return;
    g_kept = {true,
              index,
              window->pageText,
              std::string(window->text, strnlen(window->text, sizeof window->text)),
              window->readIndex,
              window->textLength,
              window->cursorX,
              window->cursorY,
              window->bracketDepth,
              window->charsOnPage,
              window->lineHasText,
              window->halfWidth};
}

// The page the window held when the view opened, laid out again so that its mask holds it.
void PutBackWindowPage() {
    MessageWindow* window = g_kept.held ? MessageWindowAt(g_kept.window) : nullptr;
    if (window != nullptr) {
        window->PutText(g_kept.text);
        window->readIndex = g_kept.readIndex;
        window->textLength = g_kept.textLength;
        window->pageText = g_kept.pageText;
        window->cursorX = g_kept.cursorX;
        window->cursorY = g_kept.cursorY;
        window->bracketDepth = g_kept.bracketDepth;
        window->charsOnPage = g_kept.charsOnPage;
        window->lineHasText = g_kept.lineHasText;
        window->halfWidth = g_kept.halfWidth;
        if (window->Shown()) ReplayMessageWindowPage(g_kept.window);
    }
    g_kept = {};
}

void ReplayVoice(const VoiceIcon& icon, std::int32_t channel) {
    if (!LoadChannelSound(String(icon.name.c_str()), channel)) return;
    ApplyVolumeRule(channel, true);
    ApplyPanRule(channel, true);
    PlayChannel(channel, false);
}

// The system buttons, except that a forward wheel turn is the view's own paging and presses
// no button (it would open the view again over itself).
bool ProcessSystemButtonInView() {
    if (g_systemButtons == nullptr) return ProcessSystemButton();
    const std::int32_t wheelButton = g_systemButtons->wheelButton;
    g_systemButtons->wheelButton = -1;
    const bool pressed = ProcessSystemButton();
    if (g_systemButtons) g_systemButtons->wheelButton = wheelButton;
    return pressed;
}

std::int32_t HitIcon(std::int32_t x, std::int32_t y) {
    for (std::size_t i = 0; i < g_view.icons.size(); ++i) {
        const PixelRect& r = g_view.icons[i].rect;
        if (x >= r.x && y >= r.y && static_cast<std::int64_t>(x) <= static_cast<std::int64_t>(r.x) + r.width &&
            static_cast<std::int64_t>(y) <= static_cast<std::int64_t>(r.y) + r.height) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

// The highlight the pointer and the Left and Right keys ask for.
std::int32_t ChooseHighlight() {
    OpState& op = CurrentOp();
    const auto count = static_cast<std::int32_t>(g_view.icons.size());
    std::int32_t h = g_view.highlighted < count ? g_view.highlighted : -1;
    const std::int32_t x = g_mainWindow ? g_mainWindow->MouseX() : 0;
    const std::int32_t y = g_mainWindow ? g_mainWindow->MouseY() : 0;
    if (op.scratch[kPointerTested] == 0 || static_cast<std::uint32_t>(x) != op.scratch[kLastPointerX] ||
        static_cast<std::uint32_t>(y) != op.scratch[kLastPointerY]) {
        h = HitIcon(x, y);
        op.scratch[kPointerTested] = 1;
        op.scratch[kLastPointerX] = static_cast<std::uint32_t>(x);
        op.scratch[kLastPointerY] = static_cast<std::uint32_t>(y);
    }
    if (g_input && g_input->KeyReleased(key::Left)) h = count == 0 ? -1 : (h <= 0 ? count - 1 : h - 1);
    if (g_input && g_input->KeyReleased(key::Right)) h = count == 0 ? -1 : (h >= count - 1 ? 0 : h + 1);
    return h;
}

// One page newer (direction -1) or older (+1), when there is one. True when the view changed.
bool TurnPage(std::int32_t direction) {
    if (g_messageHistory == nullptr) return false;
    if (direction < 0 ? g_view.pageIndex <= 0 : g_view.lastIndex >= g_messageHistory->PageCount()) return false;
    g_view.pageIndex += direction;
    DrawBacklogPage();
    return true;
}

// A view waits beneath the running script: a button pressed in it (its shortcut key, say) ran
// the script that asks for the view again.
bool ViewWaitsBeneath() {
    for (std::int32_t i = 0; i <= g_gameState.opSaveTop && i < kOpSaveDepth; ++i) {
        if (g_gameState.opSave[i].operation == kBacklogViewOperation) return true;
    }
    return false;
}

bool CheckedLayer(std::int32_t layer) {
    return g_currentLayers != nullptr && g_currentLayers->GetLayer(layer) != nullptr;
}

}  // namespace

const BacklogViewState& BacklogView() { return g_view; }

void ForgetBacklogWindowPage() { g_kept = {}; }

std::uint32_t SetBacklogWindow() {
    const std::int32_t frameLayer = PopIntOperand();
    const std::int32_t window = PopIntOperand();
    if (g_messageHistory == nullptr || !MessageWindowExists(window) || !CheckedLayer(frameLayer)) {
        return FailIllegalArguments("SetBacklogWindow");
    }
    g_messageHistory->backlogWindow = window;
    g_messageHistory->backlogFrameLayer = frameLayer;
    return CompleteOperation();
}

std::uint32_t SetBacklogVoiceIcon() {
    VoiceIconSource icon;
    icon.height = PopIntOperand();
    icon.width = PopIntOperand();
    icon.sourceY = PopIntOperand();
    icon.sourceX = PopIntOperand();
    icon.layer = PopIntOperand();
    if (g_messageHistory == nullptr || !CheckedLayer(icon.layer) || icon.width < 0 || icon.height < 0) {
        return FailIllegalArguments("SetBacklogVoiceIcon");
    }
    g_messageHistory->voiceIcon = icon;
    return CompleteOperation();
}

std::uint32_t BacklogPageForward() {
    TurnPage(1);
    return CompleteOperation();
}

std::uint32_t BacklogPageBack() {
    TurnPage(-1);
    return CompleteOperation();
}

std::uint32_t BacklogViewReady() {
    const MessageHistory* history = g_messageHistory;
    if (history == nullptr || history->PageCount() == 0 ||
        (TheChoiceList().Busy() && history->PageCount() <= 1) || BacklogWindow() == nullptr ||
        g_currentLayers == nullptr || ViewWaitsBeneath()) {
        return CompleteOperation();
    }
    if (g_systemButtons) g_systemButtons->hoverIndex = -1;
    LoadShownPictures(*g_currentLayers);
    KeepWindowPage(history->backlogWindow);
    g_view.pageIndex = 0;
    DrawBacklogPage();
    CurrentOp().scratch[kPointerTested] = 0;
    CurrentOp().phase = 1;
    return kOpContinue;
}

std::uint32_t BacklogViewRun() {
    RefreshInput();
    std::int32_t h = ChooseHighlight();
    if (h != g_view.highlighted) {
        if (g_view.highlighted != -1) ShowIcon(g_view.highlighted, false);
        if (h != -1) ShowIcon(h, true);
        g_view.highlighted = h;
    }

    if (ProcessSystemButtonInView()) return kOpFinished;

    if (g_input && (g_input->ButtonReleased(1) || g_input->KeyReleased(key::Escape))) {
        CurrentOp().phase = 2;
        return kOpContinue;
    }

    const std::int32_t wheel = g_input ? g_input->Wheel() : 0;
    bool turned = false;
    if (wheel < 0 || (g_input && g_input->KeyReleased(key::Down))) {
        turned = TurnPage(-1);
    } else if (wheel > 0 || (g_input && g_input->KeyReleased(key::Up))) {
        turned = TurnPage(1);
    }
    if (turned) {
        // The icons are the new page's: nothing is replayed from the old list, and the pointer
        // is tested again next frame.
        h = -1;
        CurrentOp().scratch[kPointerTested] = 0;
    }

    const MessageWindow* window = BacklogWindow();
    if (h != -1 && window != nullptr && window->voiceChannel >= 1 && IsDecidePressed()) {
        ReplayVoice(g_view.icons[static_cast<std::size_t>(h)], window->voiceChannel);
    }
    return kOpContinue;
}

std::uint32_t BacklogViewFinish() {
    MessageWindow* window = BacklogWindow();
    if (window != nullptr) {
        if (window->voiceChannel >= 0) StopAndReleaseChannel(window->voiceChannel);
        window->NewPage();
    }
    PutBackWindowPage();
    if (g_currentLayers) FreeShownPictures(*g_currentLayers);
    g_backdrop.reset();
    g_view.icons.clear();
    g_view.highlighted = -1;
    ShowComposedScene(SceneText::ChoiceThenMessages);
    if (TheChoiceList().Busy()) TheChoiceList().hoverIndex = -1;
    if (g_systemButtons) g_systemButtons->hoverIndex = -1;
    return CompleteOperation();
}

}  // namespace kv
