#include "script/ops/clickable_map_ops.h"

#include <algorithm>

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "graphics/surface.h"
#include "platform/game_window.h"
#include "script/ops/clickable_area_ops.h"
#include "script/ops/op_state.h"
#include "script/ops/screen_overlays.h"
#include "script/ops/script_values.h"
#include "script/ops/sound_channels.h"
#include "script/screens/clickable_map.h"
#include "script/screens/selection_run.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

// Operands before the count that are not the areas': layer and the two sound pairs.
constexpr std::int32_t kMapHeadOperands = 5;
// Fewer operands than the head and one area's worth of the plain map.
constexpr std::int32_t kMinimumMapOperands = 12;

struct MapBuild {
    const char* name;
    std::int32_t operandsPerArea;
    bool chips;
    const char* noAreas;
    const char* loadFailure;
};

constexpr MapBuild kPlainMap = {"ReadyToClickableMap", 7, false, "No selection at clickablemap op.",
                                "This game failed to load a file in ReadyToClickableMap()."};
constexpr MapBuild kChipMap = {"ReadyToChipClickableMap", 13, true, "No selections.",
                               "This game failed to load a soundfile in ReadyToChipClickableMap()."};

ClickableMap& CurrentMap() { return g_currentClickableMap ? *g_currentClickableMap : GameScreenClickableMap(); }

bool PopInt(std::int32_t& value) { return ResolveIntOperand(g_vm->Pop(), value); }

// One area's operands, enabled popped first and the rest from the last script argument back.
bool PopArea(const MapBuild& build, ClickableArea& area) {
    bool enabled = false;
    if (!ResolveByteOperand(g_vm->Pop(), enabled)) return false;
    std::int32_t values[13] = {};
    for (std::int32_t i = build.operandsPerArea - 2; i >= 0; --i) {
        if (!PopInt(values[i])) return false;
    }
    area.x = values[0];
    area.y = values[1];
    area.srcX = values[2];
    area.srcY = values[3];
    area.width = area.hitWidth = values[4];
    area.height = area.hitHeight = values[5];
    if (build.chips) {
        area.chipX = values[6];
        area.chipY = values[7];
        area.chipSrcX = values[8];
        area.chipSrcY = values[9];
        area.chipWidth = area.chipHitWidth = values[10];
        area.chipHeight = area.chipHitHeight = values[11];
    }
    area.enabled = enabled ? 1 : 0;
    return true;
}

bool PopSoundName(char (&name)[64]) {
    const VmValue operand = g_vm->Pop();
    if (!IsTextOperand(operand)) return false;
    FetchOperandText(operand, name);
    return true;
}

std::uint32_t BuildMap(const MapBuild& build) {
    if (!g_vm) return kOpContinue;
    const std::int32_t n = PopIntOperand();
    if (n < kMinimumMapOperands) return FailOperation(build.noAreas);
    // The count must name operands that are there: no pop past the bottom of the stack.
    if (n > g_vm->StackDepth()) return FailIllegalArguments(build.name);
    const std::int32_t areas = (n - kMapHeadOperands) / build.operandsPerArea;
    // Operands that make no whole area are the last ones pushed; they go with the rest, so
    // that the head is read where it stands.
    for (std::int32_t extra = (n - kMapHeadOperands) % build.operandsPerArea; extra > 0; --extra) g_vm->Pop();

    ClickableMap& map = CurrentMap();
    map.Clear();
    map.AllocAreas(areas);
    for (std::int32_t i = areas - 1; i >= 0; --i) {
        if (!PopArea(build, *map.Area(i))) return FailIllegalArguments(build.name);
    }
    char clickSound[64];
    char hoverSound[64];
    std::int32_t clickChannel = 0, hoverChannel = 0, layer = 0;
    if (!PopSoundName(clickSound) || !PopInt(clickChannel) || !PopSoundName(hoverSound) || !PopInt(hoverChannel) ||
        !PopInt(layer)) {
        return FailIllegalArguments(build.name);
    }
    map.layer = layer;
    map.hoverChannel = hoverChannel;
    map.hoverSound = String(hoverSound);
    map.clickChannel = clickChannel;
    map.clickSound = String(clickSound);

    const backend::WindowId owner = g_mainWindow ? g_mainWindow->Handle() : 0;
    if (hoverChannel >= 0 && !LoadScreenSound(hoverChannel, String(hoverSound))) {
        MessageBoxOk(owner, build.loadFailure, "error");
        return CompleteOperation(0);
    }
    if (clickChannel >= 0 && !LoadScreenSound(clickChannel, String(clickSound))) MessageBoxOk(owner, build.loadFailure, "error");
    return CompleteOperation(0);
}

// The current map's areas as the select run sees them; chips are shown with the highlight of a
// chip map.
class MapSelections final : public SelectionList {
public:
    explicit MapSelections(bool chips) : chips_(chips) {}
    std::int32_t Count() const override { return CurrentMap().Count(); }
    bool Selectable(std::int32_t index) const override {
        const ClickableArea* area = CurrentMap().Area(index);
        return area != nullptr && area->enabled;
    }
    bool Hit(std::int32_t index, std::int32_t x, std::int32_t y) const override {
        const ClickableArea* area = CurrentMap().Area(index);
        return area != nullptr && area->Hit(x, y);
    }
    std::int32_t& HoverIndex() override { return CurrentMap().hover; }
    std::int32_t HoverChannel() const override { return CurrentMap().hoverChannel; }
    std::int32_t ClickChannel() const override { return CurrentMap().clickChannel; }

    void ShowHighlight(std::int32_t index, bool highlighted) override {
        const ClickableMap& map = CurrentMap();
        const ClickableArea* area = map.Area(index);
        if (area == nullptr || g_screenSurface == nullptr || g_workSurface3 == nullptr) return;
        Surface& screen = *g_screenSurface;
        const std::int32_t state = highlighted ? ClickableMap::kHighlighted : ClickableMap::kAtRest;
        if (!chips_) {
            screen.BlitRect(*g_workSurface3, area->HitRect());
            map.DrawArea(screen, index, state);
            if (g_mainWindow) screen.BlitRectToDC(g_mainWindow->Handle(), area->HitRect());
            return;
        }
        // The chip may lie anywhere: the whole screen is shown.
        if (highlighted) {
            map.DrawChip(screen, index);
        } else if (area->HasChip()) {
            screen.BlitRect(*g_workSurface3, area->ChipArea());
        }
        if (area->HasPicture()) {
            screen.BlitRect(*g_workSurface3, area->HitRect());
            map.DrawArea(screen, index, state);
        }
        if (g_mainWindow) screen.BlitToDC(g_mainWindow->Handle(), 0, 0, screen.Width(), screen.Height());
    }

private:
    bool chips_;
};

MapSelections g_plainMapSelections(false);
MapSelections g_chipMapSelections(true);

}  // namespace

void DrawCurrentClickableMap(Surface& target) { CurrentMap().Draw(target); }

bool SetCurrentClickableAreaRects(std::int32_t area, const ClickableAreaRects& rects, bool enabled) {
    return CurrentMap().SetAreaRects(area, rects, enabled);
}

std::uint32_t ReadyToClickableMap() { return BuildMap(kPlainMap); }
std::uint32_t ReadyToChipClickableMap() { return BuildMap(kChipMap); }

std::uint32_t ClearClickableMap() {
    CurrentMap().Clear();
    return CompleteOperation(0);
}

std::uint32_t ReleaseChipClickableMap() { return ClearClickableMap(); }

std::uint32_t SetClickableArea() {
    const bool enabled = PopIntOperand() != 0;
    ClickableAreaRects rects;
    PopHitAndStripRects(rects);
    const std::int32_t index = PopIntOperand();
    ClickableArea* area = CurrentMap().Area(index);
    if (area == nullptr) return FailIllegalArguments("SetClickableArea");
    // The chip stays as it was.
    rects.chipArea = area->ChipArea();
    rects.chip = {area->chipSrcX, area->chipSrcY, area->chipWidth, area->chipHeight};
    CurrentMap().SetAreaRects(index, rects, enabled);
    return CompleteOperation(0);
}

std::uint32_t ClickableMapSelectReady() { return ReadySelection(g_plainMapSelections); }
std::uint32_t ClickableMapSelectRun() { return RunSelection(g_plainMapSelections, RightClickPath::RclickScript); }
std::uint32_t ReadyClickableMap() { return ReadySelection(SaveScreenSelections()); }
std::uint32_t RunClickableMap() { return RunSelection(SaveScreenSelections(), RightClickPath::Nothing); }
std::uint32_t ReadyRClickWait() { return ReadySelection(g_chipMapSelections); }
std::uint32_t RunClickableMapWithRClick() { return RunSelection(g_chipMapSelections, RightClickPath::RclickScript); }

}  // namespace kv
