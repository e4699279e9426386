#include "script/screens/selection_run.h"

#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "script/ops/interruption.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/ops/sound_channels.h"

namespace kv {

namespace {

// Scratch words of the select operations.
constexpr int kResultVariable = 0;
constexpr int kCancelable = 1;
constexpr int kLastPointerX = 2;
constexpr int kLastPointerY = 3;

class NoSelections final : public SelectionList {
public:
    std::int32_t Count() const override { return 0; }
    bool Selectable(std::int32_t) const override { return false; }
    bool Hit(std::int32_t, std::int32_t, std::int32_t) const override { return false; }
    std::int32_t& HoverIndex() override { return hover_; }
    void ShowHighlight(std::int32_t, bool) override {}
    std::int32_t HoverChannel() const override { return -1; }
    std::int32_t ClickChannel() const override { return -1; }

private:
    std::int32_t hover_ = -1;
};

NoSelections g_noSelections;
SelectionList* g_saveScreenSelections = nullptr;

void PlaySelectionSound(std::int32_t channel) {
    if (channel >= 0) PlayChannel(channel, false);
}

std::uint32_t FinishWith(std::int32_t chosen) {
    StoreAInt(static_cast<std::int32_t>(CurrentOp().scratch[kResultVariable]), chosen);
    return CompleteOperation(0);
}

}  // namespace

std::int32_t HitSelection(const SelectionList& list, std::int32_t x, std::int32_t y) {
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        if (list.Selectable(i) && list.Hit(i, x, y)) return i;
    }
    return -1;
}

std::int32_t StepSelection(const SelectionList& list, std::int32_t from, std::int32_t direction) {
    const std::int32_t count = list.Count();
    if (count <= 0) return from;
    std::int32_t index = from;
    for (std::int32_t walked = 0; walked < count; ++walked) {
        if (direction < 0) {
            index = index <= 0 ? count - 1 : index - 1;
        } else {
            index = index >= count - 1 ? 0 : index + 1;
        }
        if (list.Selectable(index)) return index;
    }
    return from;
}

std::uint32_t ReadySelection(SelectionList& list) {
    g_gameState.skipMode = 0;
    g_gameState.autoMode = 0;
    OpState& op = CurrentOp();
    op.scratch[kCancelable] = static_cast<std::uint32_t>(PopIntOperand());
    op.scratch[kResultVariable] = static_cast<std::uint32_t>(PopIntOperand());
    op.scratch[kLastPointerX] = op.scratch[kLastPointerY] = static_cast<std::uint32_t>(-1);
    list.HoverIndex() = -1;
    op.phase = 1;
    return kOpContinue;
}

std::uint32_t RunSelection(SelectionList& list, RightClickPath rightClick) {
    RefreshInput();
    OpState& op = CurrentOp();
    std::int32_t& hover = list.HoverIndex();
    // The list may have been rebuilt while a script interrupted the run.
    if (hover >= list.Count()) hover = -1;

    std::int32_t candidate = hover;
    const std::int32_t x = g_mainWindow ? g_mainWindow->MouseX() : 0;
    const std::int32_t y = g_mainWindow ? g_mainWindow->MouseY() : 0;
    if (static_cast<std::uint32_t>(x) != op.scratch[kLastPointerX] ||
        static_cast<std::uint32_t>(y) != op.scratch[kLastPointerY]) {
        candidate = HitSelection(list, x, y);
        op.scratch[kLastPointerX] = static_cast<std::uint32_t>(x);
        op.scratch[kLastPointerY] = static_cast<std::uint32_t>(y);
    }
    if (g_input && g_input->KeyReleased(key::Up)) candidate = StepSelection(list, candidate, -1);
    if (g_input && g_input->KeyReleased(key::Down)) candidate = StepSelection(list, candidate, 1);

    if (candidate != hover) {
        if (hover != -1) list.ShowHighlight(hover, false);
        if (candidate != -1) {
            list.ShowHighlight(candidate, true);
            PlaySelectionSound(list.HoverChannel());
        }
        hover = candidate;
    }

    const bool cancel = g_input && (g_input->ButtonReleased(1) || g_input->KeyReleased(key::Escape));
    if (cancel) {
        if (op.scratch[kCancelable] != 0) return FinishWith(-1);
        if (rightClick == RightClickPath::RclickScript && g_gameState.rightClickEnabled &&
            ReadyToJumpRClickProcess() == kOpFinished) {
            return kOpFinished;
        }
    }

    if (hover == -1 || !IsDecidePressed()) return kOpContinue;
    PlaySelectionSound(list.ClickChannel());
    const std::int32_t chosen = hover;
    hover = -1;
    return FinishWith(chosen);
}

SelectionList& SaveScreenSelections() {
    return g_saveScreenSelections ? *g_saveScreenSelections : g_noSelections;
}

void SetSaveScreenSelections(SelectionList* selections) { g_saveScreenSelections = selections; }

}  // namespace kv
