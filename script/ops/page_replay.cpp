#include "script/ops/page_replay.h"

#include "app/globals/globals.h"

namespace kv {

bool ReplayPage(PageLayout& layout, const PixelRect& windowArea) {
    std::int32_t refusals = 0;
    for (;;) {
        const std::int32_t before = layout.ReadPosition();
        const std::int32_t result = layout.Step();
        if (result == PageLayout::kTextEnd) return true;
        if (result != PageLayout::kLineFull && result != PageLayout::kPageFull) continue;
        // A line or page code that was read is progress; a character that was refused is not.
        refusals = layout.ReadPosition() == before ? refusals + 1 : 0;
        if (refusals > kMaxRefusals) return false;
        if (result == PageLayout::kLineFull) {
            layout.NewLine();
        } else {
            layout.NewPage();
            if (g_screenSurface && g_workSurface1) g_screenSurface->BlitRect(*g_workSurface1, windowArea);
        }
    }
}

}  // namespace kv
