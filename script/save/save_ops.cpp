#include "script/save/save_ops.h"

#include <memory>
#include <string_view>

#include "app/globals/globals.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/app_env.h"
#include "base/memory_file.h"
#include "base/message_box.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "platform/game_window.h"
#include "script/ops/frame_hooks.h"
#include "script/ops/op_state.h"
#include "script/ops/screen_redraw.h"
#include "script/ops/script_values.h"
#include "script/ops/sound_channels.h"
#include "script/save/data_set_engine.h"
#include "script/save/replace_file.h"
#include "script/save/save_captures.h"
#include "script/save/save_file.h"
#include "script/screens/choice_menu.h"
#include "script/vm/resource_lookup.h"
#include "script/vm/snx_error.h"
#include "script/vm/vm_state.h"
#include "sound/sound_buffer.h"

namespace kv {

namespace {

inline constexpr std::uint32_t kOpSave = 95;
inline constexpr std::uint32_t kOpMessage = 44;

// The snapshot a load read in its first phase, for its second.
std::unique_ptr<DataSetSnapshot> g_pendingLoad;

backend::WindowId OwnerWindow() { return g_mainWindow ? g_mainWindow->Handle() : 0; }
void ShowError(std::string_view text) { MessageBoxOk(OwnerWindow(), text, "error"); }

String ConfiguredVersion() { return g_appEnv ? g_appEnv->GetSaveDataVersion() : String(); }

// The thumbnail as PNG bytes; none without a thumbnail, and none (after the box) when it cannot
// be encoded: the save is then written without one.
std::vector<std::uint8_t> EncodeThumbnail(std::string_view failText) {
    if (g_thumbnailSurface == nullptr || g_thumbnailSurface->Width() < 1 || g_thumbnailSurface->Height() < 1) return {};
    MemoryFile png;
    if (!g_thumbnailSurface->SavePng(png)) {
        ShowError(failText);
        return {};
    }
    return {png.Bytes().begin(), png.Bytes().end()};
}

// Op 95 and op 117 after their capture: the common data, then the whole file in memory, written
// beside the old save and renamed over it.
std::uint32_t WriteSave(std::int32_t slot, std::string_view thumbnailFailText) {
    if (g_vm == nullptr) return CompleteOperation();
    if (!SaveCommonData(*g_vm, ConfiguredVersion())) MessageBoxOk(0, "This game failed to save CommonData.", "error");
    DataSetSnapshot snapshot;
    GetDataSet(snapshot);
    const std::vector<std::uint8_t> thumbnail = EncodeThumbnail(thumbnailFailText);
    const std::vector<std::uint8_t> file = ComposeSaveFile(thumbnail, snapshot);
    const String folder = g_vm->GetSaveFolder();
    const String path = SaveFileName(folder, slot);
    std::size_t written = 0;
    switch (ReplaceFileWhole(backend::Get().Files(), folder.View(), path.View(), file, &written)) {
        case ReplaceResult::Replaced: break;
        case ReplaceResult::NotOpened: ShowError("This game failed to open a savefile in Save()."); break;
        case ReplaceResult::NotWritten:
            // The thumbnail goes first: a write that stopped inside it lost the thumbnail too.
            if (written < thumbnail.size()) ShowError(thumbnailFailText);
            ShowError("This game failed to write a savefile in Save().");
            break;
    }
    return CompleteOperation();
}

// Leaves the right-click screen for the game screen and silences every channel.
void StopGameSounds(bool release) {
    SwitchCurrentScreenObjects(false);
    if (g_rightClickLayers) g_rightClickLayers->FreeBanks();
    for (std::int32_t i = 0; i < g_gameState.soundChannelCount; ++i) {
        if (g_fades) g_fades[i] = FadeEntry{};
        if (SoundBuffer* buffer = ChannelBuffer(i)) {
            buffer->Stop();
            if (release) buffer->Release();
        }
    }
}

// The boxes of a restore whose pictures do not load: the load's mask pictures of the shown
// scene are reported without the full stop.
constexpr ShownPictureFailTexts kLoadDataSetFailTexts = {"This game failed to load Graphic-files in LoadDataSet().",
                                                         "This game failed to load Graphic-files in LoadDataSet()"};
constexpr ShownPictureFailTexts kTitleBackFailTexts = {
    "This game failed to load Graphic-files in TitleBackSetTitleData().",
    "This game failed to load Graphic-files in TitleBackSetTitleData()."};

// The game screen's pictures loaded again by name (working entries; the redraw loads the shown
// ones it needs).
void ReloadPictures(std::string_view failText) {
    if (g_gameScreenLayers == nullptr) return;
    LayerSet& layers = *g_gameScreenLayers;
    auto reload = [&](LayerEntry& entry) {
        if (entry.name.IsEmpty()) return;
        if (!entry.surface) entry.surface = std::make_unique<Surface>();
        if (!LoadGraphic(entry.name, *entry.surface)) ShowError(failText);
    };
    for (std::int32_t i = 0; i < layers.LayerCount(); ++i) reload(*layers.GetLayer(i));
    for (std::int32_t i = 0; i < layers.MaskLayerCount(); ++i) reload(*layers.GetMaskLayer(i));
}

void RedrawRestoredScreen(const ShownPictureFailTexts& failTexts) {
    if (g_gameScreenLayers) LoadShownPictures(*g_gameScreenLayers, failTexts);
    RedrawScreen();
}

// Channels with a sound get it again, their volume and pan by the rules; those that played a
// loop start again from the beginning, the others (voices, effects) stay silent.
void RestartSounds(const DataSetArrays& arrays) {
    for (std::int32_t i = 0; i < g_gameState.soundChannelCount && i < static_cast<std::int32_t>(arrays.channels.size()); ++i) {
        const ChannelRecord& record = arrays.channels[static_cast<std::size_t>(i)];
        if (record.name.empty()) continue;
        if (!LoadChannelSound(String(record.name.c_str()), i)) ShowError("This game failed to load a soundfile in LoadDataSet().");
        ApplyVolumeRule(i, true);
        ApplyPanRule(i, true);
        if (record.looping) PlayChannel(i, true);
    }
}

}  // namespace

std::uint32_t TitleBackGetTitleData() {
    CaptureThumbnail();
    if (g_titleData) GetDataSet(*g_titleData);
    return CompleteOperation();
}

std::uint32_t StopAllChannels() {
    StopGameSounds(false);
    ++CurrentOp().phase;
    return kOpContinue;
}

std::uint32_t TitleBackSetTitleData() {
    if (g_titleData == nullptr || !LoadScriptFile(String(g_titleData->set.vm.scriptName.c_str()))) {
        return FailOperation("This game failed to load a SNX-file in CallSNX().");
    }
    SetDataSet(*g_titleData);
    ReloadPictures(kTitleBackFailTexts.pictures);
    SettleChoiceListAfterLoad();  // no menu waits after the return to the title
    RedrawRestoredScreen(kTitleBackFailTexts);
    // The restored pc is that of the operation 91 instruction: the script goes on after it.
    return CompleteOperation();
}

std::uint32_t SetSNXTitle() {
    char title[128];
    const std::string_view text = PopTextOperand(title);
    if (text.empty() || text.size() > kTitleField - 1) ShowError("Length of SNX-title string is illiegal.");
    if (g_vm && !text.empty()) g_vm->SetSaveTitle(String(title));
    return CompleteOperation();
}

std::uint32_t SetThumbnailSize() {
    g_gameState.thumbnailHeight = PopIntOperand();
    g_gameState.thumbnailWidth = PopIntOperand();
    return CompleteOperation();
}

std::uint32_t Save() {
    const std::int32_t slot = PopIntOperand();
    // Outside an interruption the last capture is not this game's present: the save takes the
    // VM as it stands (the slot popped), so that a load goes on after this operation.
    if (g_gameState.opSaveTop < 0) {
        CaptureVmState();
        CaptureSystemButtons();
    }
    return WriteSave(slot, "This game failed to write a thumbnail of savefile in Save().");
}

std::uint32_t SaveWithNewThumbnail() {
    CaptureThumbnail();
    const std::int32_t slot = PopIntOperand();
    return WriteSave(slot, "This game failed to write a thumbnail of savefaile in Save().");
}

std::uint32_t Load() {
    const std::int32_t slot = PopIntOperand();
    if (g_vm == nullptr) return CompleteOperation();

    // Everything is read and checked before anything of the running game changes: a missing,
    // damaged or foreign file leaves the game as it was and the script goes on.
    std::vector<std::uint8_t> file;
    const String path = SaveFileName(g_vm->GetSaveFolder(), slot);
    auto in = backend::Get().Files().OpenFile(path.View(), backend::FileMode::Read);
    if (!in) {
        ShowError("This game failed to open a savefile in Load().");
        return CompleteOperation();
    }
    const std::int64_t size = in->Size();
    if (size < 0 || !backend::ReadExactly(*in, size, file)) {
        ShowError("This game failed to load a savefile in Load().");
        return CompleteOperation();
    }
    in.reset();
    auto snapshot = std::make_unique<DataSetSnapshot>();
    switch (ReadSaveFile(file, MakeVersionField(ConfiguredVersion()), *snapshot)) {
        case SaveFileCheck::OtherVersion:
            MessageBoxOk(0, "This game loaded an illiegal version savedata. This game is terminated.", "error");
            SetCurrentOperation(kOpQuit);
            return kOpContinue;
        case SaveFileCheck::Damaged:
            ShowError("This game failed to load a savefile in Load().");
            return CompleteOperation();
        case SaveFileCheck::Sound: break;
    }
    if (!FitsRunningGame(*snapshot)) {
        ShowError("This game failed to load a savefile in Load().");
        return CompleteOperation();
    }
    // The script goes first: a load that cannot find it leaves the game untouched too.
    if (!LoadScriptFile(String(snapshot->set.vm.scriptName.c_str()))) {
        ShowError("This game failed to load a SNX-file in LoadDataSet().");
        return CompleteOperation();
    }

    StopGameSounds(true);
    g_pendingLoad = std::move(snapshot);
    ++CurrentOp().phase;
    return kOpContinue;
}

std::uint32_t LoadDataSet() {
    // A phase 1 with nothing read (a damaged save restored into this phase) ends the load.
    if (!g_pendingLoad) return CompleteOperation();
    const std::unique_ptr<DataSetSnapshot> snapshot = std::move(g_pendingLoad);
    SetDataSet(*snapshot);
    while (PopOpState()) {
    }
    ReloadPictures(kLoadDataSetFailTexts.pictures);
    SettleChoiceListAfterLoad();
    RedrawRestoredScreen(kLoadDataSetFailTexts);
    RestartSounds(snapshot->arrays);

    OpState& op = CurrentOp();
    if (op.operation == kOpMessage) {
        // The read flags live in the common data, which may have changed since the save.
        if (const std::uint8_t* read = g_vm ? g_vm->CByte(op.scratch[2]) : nullptr) {
            op.scratch[3] = *read != 0 ? 1 : 0;
        } else {
            ShowAccessViolation();
        }
    }
    if (op.operation == kOpSave) {
        // A save made outside any interruption holds its own operation 95, already done (the
        // slot popped): finished here, as it finished then, or it would save again on load.
        ClearCurrentOperation();
        return CompleteOperation();
    }
    return kOpContinue;
}

}  // namespace kv
