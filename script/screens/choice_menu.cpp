#include "script/screens/choice_menu.h"

#include <string>
#include <vector>

#include "app/globals/globals.h"
#include "base/text_utils.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/interruption.h"
#include "script/ops/op_state.h"
#include "script/ops/player_hooks.h"
#include "script/ops/screen_redraw.h"
#include "script/ops/script_values.h"
#include "script/screens/choice_list.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/line_breaking.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/screens/selection_run.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

namespace key = backend::key;

// Scratch words of the operation.
constexpr int kResultVariable = 0;
constexpr int kPicked = 1;
constexpr int kWindow = 2;
constexpr int kWasAutoMode = 3;
constexpr int kPointerX = 4;
constexpr int kPointerY = 5;

enum Phase : std::uint32_t { kReadyPhase = 0, kSelectPhase = 1, kFinishPhase = 2 };

// Operands besides the choice texts: the result variable and the window.
constexpr std::int32_t kFixedOperands = 2;

// The list as the shared selection run sees it: every choice can be picked.
class ChoiceSelections final : public SelectionList {
public:
    explicit ChoiceSelections(ChoiceList& list) : list_(list) {}
    std::int32_t Count() const override { return list_.Count(); }
    bool Selectable(std::int32_t) const override { return true; }
    bool Hit(std::int32_t index, std::int32_t x, std::int32_t y) const override {
        const ChoiceItem* item = list_.GetItem(index);
        return item && item->x <= x && static_cast<std::int64_t>(x) <= static_cast<std::int64_t>(item->x) + item->width &&
               item->y <= y && static_cast<std::int64_t>(y) <= static_cast<std::int64_t>(item->y) + item->height;
    }
    std::int32_t& HoverIndex() override { return list_.hoverIndex; }
    void ShowHighlight(std::int32_t index, bool highlighted) override { DrawChoiceItemState(index, highlighted); }
    std::int32_t HoverChannel() const override { return -1; }
    std::int32_t ClickChannel() const override { return -1; }

private:
    ChoiceList& list_;
};

void Present(const PixelRect& area) {
    if (g_screenSurface && g_mainWindow) g_screenSurface->BlitRectToDC(g_mainWindow->Handle(), area);
}

std::int32_t PointerX() { return g_mainWindow ? g_mainWindow->MouseX() : 0; }
std::int32_t PointerY() { return g_mainWindow ? g_mainWindow->MouseY() : 0; }

std::uint32_t ArgumentError() { return FailIllegalArguments("ChoiceMenuReady"); }

// The pick is made without the player: no choice to pick, or nothing left to show them in.
std::uint32_t PickNothing() {
    OpState& op = CurrentOp();
    op.scratch[kPicked] = static_cast<std::uint32_t>(-1);
    op.phase = kFinishPhase;
    return kOpContinue;
}

}  // namespace

std::uint32_t ChoiceMenuReady() {
    OpState& op = CurrentOp();
    op.scratch[kWasAutoMode] = g_gameState.autoMode != 0 ? 1 : 0;
    g_gameState.skipMode = 0;
    g_gameState.autoMode = 0;
    if (g_vm == nullptr) return ArgumentError();

    // The count covers every operand after it: the texts, the variable and the window.
    const std::int32_t operands = PopIntOperand();
    if (operands < kFixedOperands || operands > g_vm->StackDepth()) return ArgumentError();
    std::vector<VmValue> texts(static_cast<std::size_t>(operands - kFixedOperands));
    for (auto text = texts.rbegin(); text != texts.rend(); ++text) *text = g_vm->Pop();

    const VmValue variable = g_vm->Pop();
    if (variable.type != vm_type::kAIntRef) return ArgumentError();
    op.scratch[kResultVariable] = variable.value;

    std::int32_t windowIndex = -1;
    if (!ResolveIntOperand(g_vm->Pop(), windowIndex)) return ArgumentError();
    MessageWindow* window = MessageWindowAt(windowIndex);
    if (window == nullptr) return ArgumentError();
    op.scratch[kWindow] = static_cast<std::uint32_t>(windowIndex);

    ChoiceList& list = TheChoiceList();
    // A menu opened by a script that interrupted another keeps the waiting one's choices.
    if (list.Busy()) list.Suspend();
    list.Alloc(static_cast<std::int32_t>(texts.size()));
    list.BindWindow(windowIndex);
    list.SetSavedText(CutBetweenCharacters(window->pageText, kMessageBufferSize - 1));
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        char text[kMessageBufferSize];
        FetchOperandText(texts[static_cast<std::size_t>(i)], text);
        list.SetItem(i, text);
    }
    for (std::int32_t i = 0; i < list.Count(); ++i) list.DrawItem(i);
    Present(window->windowRect);
    SyncChoiceMenuShowing();

    op.scratch[kPointerX] = static_cast<std::uint32_t>(PointerX());
    op.scratch[kPointerY] = static_cast<std::uint32_t>(PointerY());
    list.hoverIndex = -1;
    if (!list.Busy()) return PickNothing();
    op.phase = kSelectPhase;
    return kOpContinue;
}

std::uint32_t ChoiceMenuSelect() {
    OpState& op = CurrentOp();
    ChoiceList& list = TheChoiceList();
    // The window is found by index each frame: a script run meanwhile may have made the windows
    // anew, and a load brings the list back without one.
    list.BindWindow(static_cast<std::int32_t>(op.scratch[kWindow]));
    const MessageWindow* window = list.Window();
    if (!list.Busy() || window == nullptr) return PickNothing();

    RefreshInput();
    if (ProcessSystemButton() || TakeRightClick()) return kOpFinished;

    ChoiceSelections selections(list);
    if (list.hoverIndex >= list.Count()) list.hoverIndex = -1;
    // A highlight left on the screen after the hover index was reset goes.
    if (list.highlightedIndex != -1 && list.highlightedIndex != list.hoverIndex) {
        DrawChoiceItemState(list.highlightedIndex, false);
        Present(window->windowRect);
    }
    const std::int32_t hover = list.hoverIndex;
    std::int32_t candidate = hover;
    const std::int32_t x = PointerX();
    const std::int32_t y = PointerY();
    if (static_cast<std::uint32_t>(x) != op.scratch[kPointerX] || static_cast<std::uint32_t>(y) != op.scratch[kPointerY]) {
        candidate = HitSelection(selections, x, y);
        op.scratch[kPointerX] = static_cast<std::uint32_t>(x);
        op.scratch[kPointerY] = static_cast<std::uint32_t>(y);
    }
    if (g_input && g_input->KeyReleased(key::Up)) candidate = StepSelection(selections, candidate, -1);
    if (g_input && g_input->KeyReleased(key::Down)) candidate = StepSelection(selections, candidate, 1);

    const ClickWaitIcon* cursor = ClickWaitIconAt(kChoiceWaitIcon);
    if (cursor && cursor->enabled) DrawChoiceCursor(candidate, hover);
    if (candidate != hover) {
        if (hover != -1) DrawChoiceItemState(hover, false);
        if (candidate != -1) DrawChoiceItemState(candidate, true);
        list.hoverIndex = candidate;
        Present(window->windowRect);
    }
    if (candidate != -1 && IsDecidePressed()) {
        op.scratch[kPicked] = static_cast<std::uint32_t>(candidate);
        op.phase = kFinishPhase;
    }
    return kOpContinue;
}

std::uint32_t ChoiceMenuFinish() {
    OpState& op = CurrentOp();
    ChoiceList& list = TheChoiceList();
    StoreAInt(static_cast<std::int32_t>(op.scratch[kResultVariable]), static_cast<std::int32_t>(op.scratch[kPicked]));

    const auto windowIndex = static_cast<std::int32_t>(op.scratch[kWindow]);
    if (MessageWindow* window = MessageWindowAt(windowIndex)) {
        if (window->history) {
            std::string page = list.GetSavedText();
            for (std::int32_t i = 0; i < list.Count(); ++i) {
                page += list.GetItem(i)->text;
                page += static_cast<char>(message_code::kLineBreak);
            }
            AddHistoryPage(windowIndex, page);
        }
        window->NewPage();
    }
    CommitScene();
    ShowComposedScene(SceneText::None);
    if (op.scratch[kWasAutoMode] == 1) g_gameState.autoMode = 1;

    list.Resume();
    SyncChoiceMenuShowing();
    return CompleteOperation();
}

void SettleChoiceListAfterLoad() {
    ChoiceList& list = TheChoiceList();
    list.DropSuspended();
    const OpState& op = CurrentOp();
    if (op.operation == kOpChoiceMenu && op.phase == kSelectPhase && list.Busy()) {
        list.BindWindow(static_cast<std::int32_t>(op.scratch[kWindow]));
    } else {
        list.Free();
    }
    SyncChoiceMenuShowing();
}

}  // namespace kv
