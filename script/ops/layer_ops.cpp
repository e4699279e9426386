#include "script/ops/layer_ops.h"

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "base/string.h"
#include "graphics/layer_set.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/vm/resource_lookup.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

// The working entry the popped index names in the bank of the current layer set; null when
// there is none.
LayerEntry* PopLayerEntry(LayerBank bank) {
    const std::int32_t index = PopIntOperand();
    if (g_currentLayers == nullptr) return nullptr;
    return bank == LayerBank::Picture ? g_currentLayers->GetLayer(index) : g_currentLayers->GetMaskLayer(index);
}

std::uint32_t AllocBankOperation(LayerBank bank, const char* name) {
    const std::int32_t count = PopIntOperand();
    if (count < 0 || count > kMaxLayerCount || g_currentLayers == nullptr) return FailIllegalArguments(name);
    g_currentLayers->FreeBank(bank);
    if (count != 0) g_currentLayers->AllocBank(count, bank);
    return CompleteOperation();
}

std::uint32_t LoadPictureOperation(LayerBank bank, const char* name, const char* failure) {
    const VmValue nameOperand = g_vm ? g_vm->Pop() : VmValue{};
    char text[64];
    FetchOperandText(nameOperand, text);
    LayerEntry* entry = PopLayerEntry(bank);
    if (entry == nullptr || !IsTextOperand(nameOperand)) return FailIllegalArguments(name);
    const String upper = String(text).ToUpper();
    if (upper.Equals(entry->name)) return CompleteOperation();  // already loaded
    if (!LoadGraphic(String(text), *entry->surface)) {
        MessageBoxOk(g_mainWindow ? g_mainWindow->Handle() : 0, failure, "error");
    }
    // Kept after a failure too, so that the same name is not tried again and again.
    entry->name = upper;
    return CompleteOperation();
}

std::uint32_t ClearPictureOperation(LayerBank bank, const char* name) {
    LayerEntry* entry = PopLayerEntry(bank);
    if (entry == nullptr) return FailIllegalArguments(name);
    entry->surface->Free();
    entry->name.Empty();
    if (bank == LayerBank::Picture) entry->visible = entry->hiddenOnView = 0;
    return CompleteOperation();
}

}  // namespace

std::uint32_t AllocLayers() { return AllocBankOperation(LayerBank::Picture, "AllocLayers"); }

std::uint32_t AllocMaskLayers() { return AllocBankOperation(LayerBank::Mask, "AllocMaskLayers"); }

std::uint32_t LoadLayer() {
    return LoadPictureOperation(LayerBank::Picture, "LoadLayer",
                                "This game failed to load Graphic-files in LoadLayer().");
}

std::uint32_t LoadMaskLayer() {
    return LoadPictureOperation(LayerBank::Mask, "LoadMaskLayer",
                                "This game failed to load Graphic-files in LoadMaskLayer().");
}

std::uint32_t SetLayerVisible() {
    const std::int32_t flag = PopIntOperand();
    LayerEntry* entry = PopLayerEntry(LayerBank::Picture);
    if (entry == nullptr) return FailIllegalArguments("SetLayerVisible");
    entry->visible = flag != 0 ? 1 : 0;
    return CompleteOperation();
}

std::uint32_t SetLayerPosition() {
    const std::int32_t y = PopIntOperand();
    const std::int32_t x = PopIntOperand();
    LayerEntry* entry = PopLayerEntry(LayerBank::Picture);
    if (entry == nullptr) return FailIllegalArguments("SetLayerPosition");
    entry->x = x;
    entry->y = y;
    return CompleteOperation();
}

std::uint32_t SetLayerRect() {
    const std::int32_t height = PopIntOperand();
    const std::int32_t width = PopIntOperand();
    const std::int32_t sourceY = PopIntOperand();
    const std::int32_t sourceX = PopIntOperand();
    LayerEntry* entry = PopLayerEntry(LayerBank::Picture);
    if (entry == nullptr) return FailIllegalArguments("SetLayerRect");
    entry->sourceX = sourceX;
    entry->sourceY = sourceY;
    entry->width = width < 0 ? entry->surface->Width() : width;
    entry->height = height < 0 ? entry->surface->Height() : height;
    return CompleteOperation();
}

std::uint32_t SetLayerMask() {
    const std::int32_t mask = PopIntOperand();
    LayerEntry* entry = PopLayerEntry(LayerBank::Picture);
    if (entry == nullptr) return FailIllegalArguments("SetLayerMask");
    entry->maskIndex = mask;
    return CompleteOperation();
}

std::uint32_t SetLayerDrawMode() {
    const std::int32_t parameter = PopIntOperand();
    const std::int32_t mode = PopIntOperand();
    LayerEntry* entry = PopLayerEntry(LayerBank::Picture);
    if (entry == nullptr) return FailIllegalArguments("SetLayerDrawMode");
    entry->drawMode = mode;
    entry->drawParameter = parameter;
    return CompleteOperation();
}

std::uint32_t SetLayerClipRect() {
    const std::int32_t height = PopIntOperand();
    const std::int32_t width = PopIntOperand();
    const std::int32_t y = PopIntOperand();
    const std::int32_t x = PopIntOperand();
    if (g_currentLayers) g_currentLayers->SetClipRect(x, y, width, height);
    return CompleteOperation();
}

std::uint32_t SetGraphicEffectInterval() {
    const std::int32_t milliseconds = PopIntOperand();
    if (milliseconds < 0 || g_currentLayers == nullptr) return FailIllegalArguments("SetGraphicEffectInterval");
    g_currentLayers->EffectTimer().Start(static_cast<std::uint32_t>(milliseconds));
    return CompleteOperation();
}

std::uint32_t SetBrightness() {
    const std::int32_t delta = PopIntOperand();
    const std::int32_t mode = PopIntOperand();
    if (g_currentLayers) g_currentLayers->SetShownBrightness(mode, delta);
    return CompleteOperation();
}

std::uint32_t SetLayerHiddenOnView() {
    const std::int32_t flag = PopIntOperand();
    LayerEntry* entry = PopLayerEntry(LayerBank::Picture);
    if (entry == nullptr) return FailIllegalArguments("SetLayerHiddenOnView");
    entry->hiddenOnView = flag != 0 ? 1 : 0;
    return CompleteOperation();
}

std::uint32_t ClearLayer() { return ClearPictureOperation(LayerBank::Picture, "ClearLayer"); }

std::uint32_t ClearMaskLayer() { return ClearPictureOperation(LayerBank::Mask, "ClearMaskLayer"); }

std::uint32_t GetLayerSize() {
    const std::int32_t heightVariable = PopIntOperand();
    const std::int32_t widthVariable = PopIntOperand();
    const LayerEntry* entry = PopLayerEntry(LayerBank::Picture);
    if (entry == nullptr) return FailIllegalArguments("GetLayerSize");
    StoreAInt(widthVariable, entry->surface->Width());
    StoreAInt(heightVariable, entry->surface->Height());
    return CompleteOperation();
}

}  // namespace kv
