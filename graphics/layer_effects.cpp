// The six screen effects. Each step draws the effect at its current value into the target; the
// value then moves on by the increment, the last step drawing the end value exactly.

#include <algorithm>

#include "graphics/layer_set.h"

namespace kv {

namespace {

// The strips of the blinds and cascades lie 20 pixels apart across the 800 x 600 screen: 40
// columns or 30 rows.
constexpr std::int32_t kStripSpacing = 20;

}  // namespace

bool LayerSet::SelectGraphicEffect(std::int32_t kind) {
    if (kind < kEffectCrossFade || kind > kEffectRowCascade) return false;
    effect_.kind = kind;
    effect_.step = 0;
    effect_.strips.fill(0);
    return true;
}

void LayerSet::SetEffectSteps(std::int32_t stepCount, std::int32_t maskLayer) {
    // 256 / n steps of the cross-fade, 256 / (n / 2) of the wipe; a count so large that the
    // division gives 0 still moves one value a step, and a wipe of one step (half of it is 0)
    // takes the whole way at once, as a wipe without a count does.
    auto incrementFor = [](std::int32_t divisor) { return divisor > 0 ? std::max(256 / divisor, 1) : 256; };
    switch (effect_.kind) {
        case kEffectCrossFade:
            effect_.end = 256;
            effect_.increment = incrementFor(stepCount);
            break;
        case kEffectMaskWipe:
            effect_.end = 511;
            effect_.increment = incrementFor(stepCount > 0 ? stepCount / 2 : 0);
            effect_.maskLayer = maskLayer;
            break;
        case kEffectColumnBlinds:
        case kEffectRowBlinds:
            effect_.end = 20;
            effect_.increment = 1;
            break;
        case kEffectColumnCascade:
        case kEffectRowCascade:
            effect_.end = 60;
            effect_.increment = 1;
            break;
        default: break;
    }
}

bool LayerSet::StepEffect() {
    if (target_ == nullptr || compose_ == nullptr || previous_ == nullptr) return true;
    if (!DrawEffect(effect_.step, DrawableClip())) return true;
    if (effect_.step >= effect_.end) return true;
    const std::int64_t next = std::int64_t{effect_.step} + std::max(effect_.increment, 1);
    effect_.step = static_cast<std::int32_t>(std::min<std::int64_t>(next, effect_.end));
    return false;
}

bool LayerSet::DrawEffect(std::int32_t step, const PixelRect& clip) {
    switch (effect_.kind) {
        case kEffectCrossFade: DrawCrossFade(step, clip); return true;
        case kEffectMaskWipe: DrawMaskWipe(step, clip); return true;
        case kEffectColumnBlinds: DrawBlinds(step, clip, Strips::Columns); return true;
        case kEffectRowBlinds: DrawBlinds(step, clip, Strips::Rows); return true;
        case kEffectColumnCascade: DrawCascade(step, clip, Strips::Columns); return true;
        case kEffectRowCascade: DrawCascade(step, clip, Strips::Rows); return true;
        default: return false;
    }
}

void LayerSet::DrawCrossFade(std::int32_t step, const PixelRect& clip) {
    target_->CrossBlend(*previous_, *compose_, clip.x, clip.y, clip.width, clip.height, clip.x, clip.y, step);
}

void LayerSet::DrawMaskWipe(std::int32_t step, const PixelRect& clip) {
    const LayerEntry* maskLayer = GetMaskLayer(effect_.maskLayer);
    if (maskLayer != nullptr && maskLayer->surface && !maskLayer->surface->IsEmpty()) {
        target_->MaskWipeBlend(*compose_, *previous_, clip.x, clip.y, clip.width, clip.height, clip.x, clip.y,
                               *maskLayer->surface, step);
        return;
    }
    // Without its mask the wipe runs as through a black one: every byte turns in the second half.
    target_->CrossBlend(*previous_, *compose_, clip.x, clip.y, clip.width, clip.height, clip.x, clip.y,
                        std::clamp(step - 256, 0, 255));
}

void LayerSet::Reveal(Strips strips, std::int32_t position, const PixelRect& clip) {
    if (strips == Strips::Columns) {
        previous_->Blit(*compose_, position, clip.y, 1, clip.height, position, clip.y);
    } else {
        previous_->Blit(*compose_, clip.x, position, clip.width, 1, clip.x, position);
    }
}

// Only the lower edge of the clip rectangle is tested along the strips; the copies stay on the
// surfaces whatever the strip.
void LayerSet::DrawBlinds(std::int32_t step, const PixelRect& clip, Strips strips) {
    const std::int32_t count = strips == Strips::Columns ? 40 : 30;
    const std::int32_t lowest = strips == Strips::Columns ? clip.x : clip.y;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t position = std::int64_t{kStripSpacing} * i + step;
        if (position >= lowest && position <= INT32_MAX) Reveal(strips, static_cast<std::int32_t>(position), clip);
    }
    target_->CopyFrom(*previous_);
}

// Strip j opens over steps j to j + 19, one line a step.
void LayerSet::DrawCascade(std::int32_t step, const PixelRect& clip, Strips strips) {
    const std::int32_t count = strips == Strips::Columns ? 40 : 30;
    const std::int32_t lowest = strips == Strips::Columns ? clip.x : clip.y;
    const std::int32_t last = std::min(step, count - 1);
    for (std::int32_t j = 0; j <= last; ++j) {
        std::int32_t& opened = effect_.strips[static_cast<std::size_t>(j)];
        if (opened >= kStripSpacing) continue;
        const std::int32_t position = opened + kStripSpacing * j;
        if (position >= lowest) Reveal(strips, position, clip);
        ++opened;
    }
    target_->CopyFrom(*previous_);
}

}  // namespace kv
