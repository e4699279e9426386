// The layer banks and the compose passes.

#include "graphics/layer_set.h"

#include <algorithm>

namespace kv {

namespace {

std::int32_t SaturateToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

LayerSet::LayerSet() = default;

LayerSet::~LayerSet() { FreeBanks(); }

LayerEntry* LayerSet::Entry(std::vector<LayerEntry>& entries, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return nullptr;
    return &entries[static_cast<std::size_t>(index)];
}

void LayerSet::FreeBanks() {
    FreeBank(LayerBank::Picture);
    FreeBank(LayerBank::Mask);
    target_ = compose_ = previous_ = nullptr;
    effect_.kind = kEffectNone;
    shownBrightness_ = SceneBrightness{};
    composedBrightness_ = SceneBrightness{};
}

bool LayerSet::AllocBank(std::int32_t count, LayerBank bank) {
    if (count < 0) return false;
    Bank& target = BankOf(bank);
    if (!target.working.empty()) return true;
    target.working.resize(static_cast<std::size_t>(count));
    target.shown.resize(static_cast<std::size_t>(count));
    for (LayerEntry& entry : target.working) entry.surface = std::make_unique<Surface>();
    return true;
}

void LayerSet::FreeBank(LayerBank bank) {
    Bank& target = BankOf(bank);
    target.working.clear();
    target.working.shrink_to_fit();
    target.shown.clear();
    target.shown.shrink_to_fit();
}

void LayerSet::SetSurfaces(Surface* target, Surface* compose, Surface* previous) {
    target_ = target;
    compose_ = compose;
    previous_ = previous;
    clip_ = PixelRect{0, 0, compose ? compose->Width() : 0, compose ? compose->Height() : 0};
}

void LayerSet::SetClipRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    clip_ = PixelRect{x, y, width, height};
}

PixelRect LayerSet::DrawableClip() const {
    std::int64_t left = clip_.x, top = clip_.y;
    std::int64_t right = left + clip_.width, bottom = top + clip_.height;
    for (const Surface* surface : {target_, compose_, previous_}) {
        if (surface == nullptr) continue;
        left = std::max<std::int64_t>(left, 0);
        top = std::max<std::int64_t>(top, 0);
        right = std::min<std::int64_t>(right, surface->Width());
        bottom = std::min<std::int64_t>(bottom, surface->Height());
    }
    return PixelRect{SaturateToInt32(left), SaturateToInt32(top), SaturateToInt32(std::max<std::int64_t>(right - left, 0)),
                     SaturateToInt32(std::max<std::int64_t>(bottom - top, 0))};
}

bool LayerSet::ClipLayer(std::int32_t index, bool shown) {
    const LayerEntry* entry = shown ? GetShownLayer(index) : GetLayer(index);
    if (entry == nullptr) return false;
    const PixelRect clip = DrawableClip();
    std::int64_t x = entry->x, y = entry->y, width = entry->width, height = entry->height;
    std::int64_t sourceX = entry->sourceX, sourceY = entry->sourceY;
    if (x < clip.x) {
        sourceX += clip.x - x;
        width -= clip.x - x;
        x = clip.x;
    }
    if (x + width > std::int64_t{clip.x} + clip.width) width = std::int64_t{clip.x} + clip.width - x;
    if (y < clip.y) {
        sourceY += clip.y - y;
        height -= clip.y - y;
        y = clip.y;
    }
    if (y + height > std::int64_t{clip.y} + clip.height) height = std::int64_t{clip.y} + clip.height - y;
    draw_ = Placement{SaturateToInt32(x),       SaturateToInt32(y),     SaturateToInt32(sourceX),
                      SaturateToInt32(sourceY), SaturateToInt32(width), SaturateToInt32(height)};
    return width > 0 && height > 0;
}

const Surface* LayerSet::PictureOf(std::int32_t index, bool shown) const {
    const auto i = static_cast<std::size_t>(index);
    if (index < 0 || i >= pictures_.working.size()) return nullptr;
    const Surface* picture = shown && pictures_.shown[i].surface ? pictures_.shown[i].surface.get()
                                                                 : pictures_.working[i].surface.get();
    return picture != nullptr && !picture->IsEmpty() ? picture : nullptr;
}

const Surface* LayerSet::MaskOf(std::int32_t maskIndex, bool shown) const {
    const auto i = static_cast<std::size_t>(maskIndex);
    if (maskIndex < 0 || i >= masks_.working.size()) return nullptr;
    const Surface* mask =
        shown && masks_.shown[i].surface ? masks_.shown[i].surface.get() : masks_.working[i].surface.get();
    return mask != nullptr && !mask->IsEmpty() ? mask : nullptr;
}

void LayerSet::DrawEntry(std::int32_t index, bool shown, Surface& destination) {
    const LayerEntry& entry = *(shown ? GetShownLayer(index) : GetLayer(index));
    if (entry.drawMode >= 0) {
        DrawLayerEffect(index, shown, destination);
        return;
    }
    const Surface* picture = PictureOf(index, shown);
    if (picture == nullptr) return;
    const Placement& r = draw_;
    if (entry.maskIndex < 0) {
        destination.Blit(*picture, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY);
    } else if (const Surface* mask = MaskOf(entry.maskIndex, shown)) {
        destination.MaskBlend(*picture, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, *mask);
    }
}

void LayerSet::DrawLayerEffect(std::int32_t index, bool shown, Surface& destination) {
    const LayerEntry* entry = shown ? GetShownLayer(index) : GetLayer(index);
    const Surface* picture = PictureOf(index, shown);
    if (entry == nullptr || picture == nullptr) return;
    const Surface* mask = nullptr;
    if (entry->maskIndex >= 0) {
        // A mask that is named but missing draws nothing rather than the picture unmasked.
        mask = MaskOf(entry->maskIndex, shown);
        if (mask == nullptr) return;
    }
    const Placement& r = draw_;
    const std::int32_t parameter = entry->drawParameter;
    if (entry->drawMode == kDrawBrightness) {
        if (mask) {
            destination.MaskBlendBrightness(*picture, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, *mask,
                                            parameter);
        } else {
            destination.AddBrightness(*picture, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, parameter);
        }
    } else if (entry->drawMode == kDrawOpacity && mask) {
        destination.MaskBlendOpacity(*picture, r.x, r.y, r.width, r.height, r.sourceX, r.sourceY, *mask, parameter);
    }
}

void LayerSet::ComposeInto(Surface& destination, bool shown, bool skipHiddenOnView) {
    for (std::int32_t index = LayerCount() - 1; index >= 0; --index) {
        const LayerEntry& entry = *(shown ? GetShownLayer(index) : GetLayer(index));
        if (!entry.visible || (skipHiddenOnView && entry.hiddenOnView)) continue;
        if (ClipLayer(index, shown)) DrawEntry(index, shown, destination);
    }
}

void LayerSet::ApplyBrightness(Surface& destination, std::int32_t delta) {
    const PixelRect clip = DrawableClip();
    destination.AddBrightness(destination, clip.x, clip.y, clip.width, clip.height, clip.x, clip.y, delta);
}

void LayerSet::ComposeAndCommit() {
    if (compose_ != nullptr) {
        ComposeInto(*compose_, false, false);
        if (shownBrightness_.mode >= 0 && composedBrightness_.mode == 0) ApplyBrightness(*compose_, composedBrightness_.delta);
    }
    Commit();
}

void LayerSet::ComposeShown() {
    if (compose_ == nullptr) return;
    ComposeInto(*compose_, true, false);
    if (shownBrightness_.mode == 0) ApplyBrightness(*compose_, shownBrightness_.delta);
}

void LayerSet::ComposeShownToTarget() {
    if (target_ == nullptr) return;
    ComposeInto(*target_, true, true);
    if (shownBrightness_.mode == 0) ApplyBrightness(*target_, shownBrightness_.delta);
}

void LayerSet::Commit() {
    for (Bank* bank : {&pictures_, &masks_}) {
        for (std::size_t i = 0; i < bank->working.size(); ++i) {
            const LayerEntry& from = bank->working[i];
            LayerEntry& to = bank->shown[i];
            to.maskIndex = from.maskIndex;
            to.x = from.x;
            to.y = from.y;
            to.sourceX = from.sourceX;
            to.sourceY = from.sourceY;
            to.width = from.width;
            to.height = from.height;
            to.name = from.name;
            to.drawMode = from.drawMode;
            to.drawParameter = from.drawParameter;
            to.visible = from.visible;
            to.hiddenOnView = from.hiddenOnView;
        }
    }
    composedBrightness_ = shownBrightness_;
}

}  // namespace kv
