#include "script/screens/save_slot_screen_ops.h"

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/ops/sound_channels.h"
#include "script/screens/save_slot_screen.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {

constexpr const char* kReadyName = "ReadyToSaveLoadClickableMap";
constexpr std::int32_t kOperandsPerSelection = 9;
constexpr std::int32_t kScreenOperands = 11;

// One selection's values in script order: kind, x, y, source x, source y, width, height, save
// number, selectable.
struct SelectionValues {
    std::int32_t kind = 0, x = 0, y = 0, sourceX = 0, sourceY = 0, width = 0, height = 0, saveNumber = 0;
    bool selectable = false;
};

void FillSlot(SaveSlotInfo& slot, const SelectionValues& values) {
    slot.x = values.x;
    slot.y = values.y;
    const bool saveSlot = values.kind != 0;
    slot.sourceX = saveSlot ? 0 : values.sourceX;
    slot.sourceY = saveSlot ? 0 : values.sourceY;
    slot.saveNumber = saveSlot ? values.saveNumber : -1;
    slot.width = values.width;
    slot.height = values.height;
    slot.selectable = values.selectable ? 1 : 0;
}

bool PopInt(std::int32_t& value) { return ResolveIntOperand(g_vm->Pop(), value); }
bool PopByte(bool& value) { return ResolveByteOperand(g_vm->Pop(), value); }

bool PopSelection(SelectionValues& values) {
    bool kind = false;
    if (!PopByte(values.selectable) || !PopInt(values.saveNumber) || !PopInt(values.height) || !PopInt(values.width) ||
        !PopInt(values.sourceY) || !PopInt(values.sourceX) || !PopInt(values.y) || !PopInt(values.x) ||
        !PopByte(kind)) {
        return false;
    }
    values.kind = kind ? 1 : 0;
    return true;
}

bool PopSoundName(String& name) {
    const VmValue operand = g_vm->Pop();
    if (!IsTextOperand(operand)) return false;
    char text[64];
    FetchOperandText(operand, text);
    name = String(text);
    return true;
}

bool PopScreenSettings(SaveInfo& info) {
    bool saveMode = false;
    if (!PopInt(info.thumbnailY) || !PopInt(info.thumbnailX) || !PopInt(info.thumbnailMode) ||
        !PopInt(info.textLayout) || !PopInt(info.pictureLayer) || !PopSoundName(info.clickSound) ||
        !PopInt(info.clickChannel) || !PopSoundName(info.hoverSound) || !PopInt(info.hoverChannel) ||
        !PopByte(saveMode) || !PopInt(info.textWindow)) {
        return false;
    }
    info.saveMode = saveMode ? 1 : 0;
    return true;
}

// The slot screen's object, made with the program's static objects; tests may run without it.
SaveInfo& Info() {
    static SaveInfo fallback;
    return g_saveInfo ? *g_saveInfo : fallback;
}

}  // namespace

std::uint32_t ReadyToSaveLoadClickableMap() {
    if (!g_vm) return kOpContinue;
    const std::int32_t n = PopIntOperand();
    if (n < kOperandsPerSelection + kScreenOperands) return FailOperation("No selections.");
    // Every operand the count names must be there, and make whole selections.
    if (n > g_vm->StackDepth() || (n - kScreenOperands) % kOperandsPerSelection != 0) {
        return FailIllegalArguments(kReadyName);
    }
    const std::int32_t count = (n - kScreenOperands) / kOperandsPerSelection;
    SaveInfo& info = Info();
    info.Release();
    info.saveFolder = g_vm->GetSaveFolder();
    info.Create(count);
    for (std::int32_t i = count - 1; i >= 0; --i) {
        SelectionValues values;
        if (!PopSelection(values)) return FailIllegalArguments(kReadyName);
        FillSlot(*info.Slot(i), values);
    }
    if (!PopScreenSettings(info)) return FailIllegalArguments(kReadyName);
    ++CurrentOp().phase;
    return kOpContinue;
}

std::uint32_t ReadyToSaveLoadClickableMap1() {
    Info().Acquire(-1);
    ++CurrentOp().phase;
    return kOpContinue;
}

std::uint32_t ReadyToSaveLoadClickableMap2() {
    SaveInfo& info = Info();
    // The plain buttons draw from the screen the description was made for.
    info.BindImage(g_currentLayers == g_rightClickLayers ? &g_rightClickLayers : &g_gameScreenLayers);
    const char* failure = "This game failed to load a soundfile in ReadyToSaveLoadClickableMap2().";
    const backend::WindowId owner = g_mainWindow ? g_mainWindow->Handle() : 0;
    if (info.hoverChannel >= 0 && !LoadScreenSound(info.hoverChannel, info.hoverSound)) {
        MessageBoxOk(owner, failure, "error");
        return CompleteOperation(0);
    }
    if (info.clickChannel >= 0 && !LoadScreenSound(info.clickChannel, info.clickSound)) {
        MessageBoxOk(owner, failure, "error");
    }
    return CompleteOperation(0);
}

std::uint32_t ReleaseSaveDataHeader() {
    Info().Release();
    return CompleteOperation(0);
}

std::uint32_t ResetSaveLoadClickableMapsChoise() {
    SelectionValues values;
    values.selectable = PopIntOperand() != 0;
    values.saveNumber = PopIntOperand();
    values.height = PopIntOperand();
    values.width = PopIntOperand();
    values.sourceY = PopIntOperand();
    values.sourceX = PopIntOperand();
    values.y = PopIntOperand();
    values.x = PopIntOperand();
    values.kind = PopIntOperand();
    const std::int32_t slot = PopIntOperand();
    SaveSlotInfo* record = Info().Slot(slot);
    if (record == nullptr) return FailIllegalArguments("ResetSaveLoadClickableMapsChoise");
    FillSlot(*record, values);
    if (record->IsSaveSlot()) Info().Acquire(slot);
    return CompleteOperation(0);
}

}  // namespace kv
