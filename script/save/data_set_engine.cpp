#include "script/save/data_set_engine.h"

#include <algorithm>
#include <cstdio>

#include "app/globals/globals.h"
#include "backend/clock_service.h"
#include "backend/hub.h"
#include "base/app_env.h"
#include "script/save/data_set_codec.h"
#include "script/save/data_set_parts.h"
#include "script/screens/message_window_ops.h"
#include "script/vm/vm_state.h"

namespace kv {

namespace {
std::string DateText(const backend::LocalTime& now) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d", now.month % 100, now.day % 100, now.hour % 100,
                  now.minute % 100);
    return text;
}
// The read position and length index the window's text buffer while its page flows on.
bool WindowFitsEngine(const WindowRecord& window) {
    const auto bufferLength = static_cast<std::int64_t>(window.textBuffer.size());
    return window.textLength >= 0 && window.textLength <= bufferLength && window.readIndex >= -1 &&
           window.readIndex <= window.textLength;
}
// The engine keeps -1 for "none" and never a lower index; a button plays only from a channel the
// game has (its sound operation refuses any other).
bool ButtonsFitEngine(const DataSetSnapshot& snapshot) {
    const DataSet& set = snapshot.set;
    const auto channelCount = static_cast<std::int64_t>(snapshot.arrays.channels.size());
    auto playable = [&](std::int32_t channel) { return channel <= 0 || channel < channelCount; };
    return set.spaceKeyButton >= -1 && set.wheelButton >= -1 && set.buttonLayer >= -1 &&
           std::all_of(snapshot.arrays.buttons.begin(), snapshot.arrays.buttons.end(), [&](const ButtonRecord& button) {
               return playable(button.hoverChannel) && playable(button.clickChannel);
           });
}
}  // namespace

void GetDataSet(DataSetSnapshot& snapshot) {
    snapshot = DataSetSnapshot{};
    DataSet& set = snapshot.set;
    DataSetArrays& arrays = snapshot.arrays;
    CaptureGameState(set);
    CaptureLayers(set, arrays);
    CaptureSoundChannels(arrays);
    CaptureVm(set, arrays);
    CaptureMessageWindows(arrays);
    CaptureHistory(set, arrays);
    CaptureButtons(set, arrays);
    CaptureClickableMap(set, arrays);
    CaptureChoices(set, arrays);
    CaptureClickWaitIcons(set);

    SaveDataHeader& header = snapshot.header;
    header.version = MakeVersionField(g_appEnv ? g_appEnv->GetSaveDataVersion() : String());
    if (g_vm) header.title = FitField(g_vm->GetSaveTitle().View(), kTitleField);
    header.date = DateText(backend::Get().Clock().Now());
    header.totalSize = static_cast<std::uint32_t>(BlobSize(arrays));
}

bool FitsRunningGame(const DataSetSnapshot& snapshot) {
    if (g_vm == nullptr) return false;
    const FixedBankCounts running{g_vm->VariableCount(VarBank::BInt), g_vm->VariableCount(VarBank::BByte),
                                  g_vm->VariableCount(VarBank::BString), g_vm->VariableCount(VarBank::CInt),
                                  g_vm->VariableCount(VarBank::CByte)};
    return snapshot.set.vm.fixedCounts == running &&
           static_cast<std::int64_t>(snapshot.arrays.channels.size()) == g_gameState.soundChannelCount &&
           snapshot.set.streamPackCount == g_gameState.streamPackCount &&
           snapshot.arrays.windows.size() <= static_cast<std::size_t>(kMaxMessageWindows) &&
           std::all_of(snapshot.arrays.windows.begin(), snapshot.arrays.windows.end(), WindowFitsEngine) &&
           ButtonsFitEngine(snapshot) && snapshot.set.mapLayer >= -1;
}

void SetDataSet(const DataSetSnapshot& snapshot) {
    const DataSet& set = snapshot.set;
    const DataSetArrays& arrays = snapshot.arrays;
    RestoreGameState(snapshot);
    RestoreLayers(set, arrays);
    RestoreSoundChannels(arrays);
    RestoreVm(snapshot.header, set, arrays);
    RestoreMessageWindows(arrays);
    RestoreHistory(set, arrays);
    RestoreButtons(set, arrays);
    RestoreClickableMap(set, arrays);
    RestoreChoices(set, arrays);
    RestoreClickWaitIcons(set);
}

}  // namespace kv
