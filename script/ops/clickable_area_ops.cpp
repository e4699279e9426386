#include "script/ops/clickable_area_ops.h"

#include "script/ops/op_state.h"
#include "script/ops/screen_overlays.h"
#include "script/ops/script_values.h"

namespace kv {

void PopHitAndStripRects(ClickableAreaRects& rects) {
    rects.hit.height = rects.strip.height = PopIntOperand();
    rects.hit.width = rects.strip.width = PopIntOperand();
    rects.strip.y = PopIntOperand();
    rects.strip.x = PopIntOperand();
    rects.hit.y = PopIntOperand();
    rects.hit.x = PopIntOperand();
}

std::uint32_t SetClickableAreaRects() {
    const bool enabled = PopIntOperand() != 0;
    ClickableAreaRects rects;
    rects.chipArea.height = rects.chip.height = PopIntOperand();
    rects.chipArea.width = rects.chip.width = PopIntOperand();
    rects.chip.y = PopIntOperand();
    rects.chip.x = PopIntOperand();
    rects.chipArea.y = PopIntOperand();
    rects.chipArea.x = PopIntOperand();
    PopHitAndStripRects(rects);
    const std::int32_t area = PopIntOperand();
    const ScreenOverlays& overlays = Overlays();
    if (overlays.setClickableAreaRects == nullptr || !overlays.setClickableAreaRects(area, rects, enabled)) {
        return FailIllegalArguments("SetClickableAreaRects");
    }
    return CompleteOperation();
}

}  // namespace kv
