#include "script/ops/op_table.h"

#include <iterator>
#include <string>

#include "app/globals/globals.h"
#include "script/ops/bank_ops.h"
#include "script/ops/clickable_area_ops.h"
#include "script/ops/clickable_map_ops.h"
#include "script/ops/desktop_ops.h"
#include "script/ops/dialog_ops.h"
#include "script/ops/effect_ops.h"
#include "script/ops/input_ops.h"
#include "script/ops/layer_ops.h"
#include "script/ops/movie_ops.h"
#include "script/ops/name_entry_ops.h"
#include "script/ops/op_state.h"
#include "script/ops/query_ops.h"
#include "script/ops/screen_ops.h"
#include "script/ops/setting_ops.h"
#include "script/ops/sound_ops.h"
#include "script/ops/string_ops.h"
#include "script/ops/system_button_ops.h"
#include "script/ops/system_ops.h"
#include "script/ops/timer_ops.h"
#include "script/save/save_ops.h"
#include "script/screens/backlog_view.h"
#include "script/screens/choice_menu.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/message_flow.h"
#include "script/screens/message_window_ops.h"
#include "script/screens/save_slot_screen_ops.h"

namespace kv {

namespace {

// The handlers by number, beside the names of script/ops/operation_names.h. Entries still on
// OpNotAvailable are operations of this version's missing parts; each gets its handler here when
// its part is built.
OpHandler g_handlers[] = {
    OpRunScript,  // 0
    OpQuit,  // 1
    ReturnSNX,  // 2
    OpDummy,  // 3
    OpDummy,  // 4
    OpDummy,  // 5
    OpDummy,  // 6
    OpDummy,  // 7
    OpDummy,  // 8
    OpDummy,  // 9
    LoadSNX,  // 10
    CallSNX,  // 11
    OpSetCaption,  // 12
    OpResetTimer,  // 13
    OpRunPhase,  // 14
    OpRunPhase,  // 15
    AllocLayers,  // 16
    AllocMaskLayers,  // 17
    LoadLayer,  // 18
    LoadMaskLayer,  // 19
    SetLayerVisible,  // 20
    SetLayerPosition,  // 21
    SetLayerRect,  // 22
    SetLayerMask,  // 23
    SetLayerDrawMode,  // 24
    SetLayerClipRect,  // 25
    StartupGraphicEffect,  // 26
    SetGraphicEffectInterval,  // 27
    SetBrightness,  // 28
    OpAllocTextWindows,  // 29
    SetMessageFont,  // 30
    SetMessageFontStyle,  // 31
    SetMessageGlyphFormat,  // 32
    SetMessageGlyphPlacement,  // 33
    SetMessageShadow,  // 34
    SetMessageTextColor,  // 35
    SetMessageShadowColor,  // 36
    SetMessageShadowOffset,  // 37
    SetMessageWindowRects,  // 38
    SetMessageRenderer,  // 39
    SetMessageHanging,  // 40
    SetMessageBracketIndent,  // 41
    SetMessageBacklogFlag,  // 42
    SetMessageCharDelay,  // 43
    OpRunPhase,  // 44
    CreateSoundChannels,  // 45
    SetChannelPack,  // 46
    SetChannelStreaming,  // 47
    PlayDSB,  // 48
    CreatePackFiles,  // 49
    SetPackFileName,  // 50
    StopChannel,  // 51
    SetMessageVoiceChannel,  // 52
    SetMessageInstant,  // 53
    CreateSystemButtons,  // 54
    SetSystemButtonImage,  // 55
    SetSystemButtonEnable,  // 56
    SetSystemButtonVisible,  // 57
    DefineSystemButton,  // 58
    SetSystemButtonSound,  // 59
    OpRunPhase,  // 60
    SetLayerHiddenOnView,  // 61
    BindWindowModeVar,  // 62
    BindEffectsVar,  // 63
    BindInstantTextVar,  // 64
    BindChannelVolumeVar,  // 65
    ApplyWindowMode,  // 66
    ApplyChannelVolume,  // 67
    ReadyToClickableMap,  // 68
    ClearClickableMap,  // 69
    OpRunPhase,  // 70
    SetClickableArea,  // 71
    SetChannelVolume,  // 72
    SetRightClickEnable,  // 73
    BindSkipVar,  // 74
    SetMessageSpacing,  // 75
    StartSkip,  // 76
    ScriptMessageBox,  // 77
    NameEntryDialog,  // 78
    OpRunPhase,  // 79
    SetBacklogWindow,  // 80
    SetBacklogVoiceIcon,  // 81
    OpRunPhase,  // 82
    BacklogPageForward,  // 83
    BacklogPageBack,  // 84
    ReturnFromRightClickScreen,  // 85
    SetEffectMessageRedraw,  // 86
    SetSystemButtonSpaceKey,  // 87
    SetSystemButtonWheel,  // 88
    SetClickWaitIconEnable,  // 89
    DefineClickWaitIcon,  // 90
    TitleBackGetTitleData,  // 91
    OpRunPhase,  // 92
    SetSNXTitle,  // 93
    SetThumbnailSize,  // 94
    Save,  // 95
    OpRunPhase,  // 96
    OpRunPhase,  // 97
    ReleaseSaveDataHeader,  // 98
    OpRunPhase,  // 99
    ResetSaveLoadClickableMapsChoise,  // 100
    OpRunPhase,  // 101
    OpDummy,  // 102
    OpDummy,  // 103
    Random,  // 104
    CompareStrings,  // 105
    ClearLayer,  // 106
    ReadyToChipClickableMap,  // 107
    ReleaseChipClickableMap,  // 108
    OpRunPhase,  // 109
    SetClickableAreaRects,  // 110
    ClearMaskLayer,  // 111
    ReplayMsgBoxSound,  // 112
    OpenExternal,  // 113
    ClearBankA,  // 114
    Substring,  // 115
    ConcatStrings,  // 116
    SaveWithNewThumbnail,  // 117
    GetLocalTimeToVariables,  // 118
    BindAutoWaitVar,  // 119
    SetSpareSetting,  // 120
    StartAutoMode,  // 121
    EndAutoMode,  // 122
    FormatNumber,  // 123
    FadeInPlayDSB,  // 124
    StartVolumeFade,  // 125
    CreateDirectInputManager,  // 126
    GetLayerSize,  // 127
    RedrawMessageWindow,  // 128
    ResetTextWindow,  // 129
    StringLength,  // 130
    SetTableEntry,  // 131
    SoundOp132,  // 132
    GetVoiceWindowToVariable,  // 133
    OpRunPhase,  // 134
    OpWaitTimerSet,  // 135
    OpWaitTimerRun,  // 136
    OpWaitClickSet,  // 137
    OpWaitClickRun,  // 138
    MessageFlowReady,  // 139
    FlowMessage,  // 140
    WaitMessageClick,  // 141
    WaitMessageCharDelay,  // 142
    FlushMessageOp,  // 143
    ScreenUpdateReady,  // 144
    ScreenUpdateWait,  // 145
    ScreenUpdateFinish,  // 146
    ClickableMapSelectReady,  // 147
    ClickableMapSelectRun,  // 148
    ChoiceMenuReady,  // 149
    ChoiceMenuSelect,  // 150
    ChoiceMenuFinish,  // 151
    BacklogViewReady,  // 152
    BacklogViewRun,  // 153
    BacklogViewFinish,  // 154
    StopAllChannels,  // 155
    TitleBackSetTitleData,  // 156
    Load,  // 157
    LoadDataSet,  // 158
    ReadyToSaveLoadClickableMap,  // 159
    ReadyToSaveLoadClickableMap1,  // 160
    ReadyToSaveLoadClickableMap2,  // 161
    ReadyClickableMap,  // 162
    RunClickableMap,  // 163
    ReadyToPlayMovie,  // 164
    WaitMovie,  // 165
    EndMovie,  // 166
    ReadyRClickWait,  // 167
    RunClickableMapWithRClick,  // 168
    ReadyTimedWait,  // 169
    RunTimedWait,  // 170
};
static_assert(std::size(g_handlers) == kOperationCount, "one handler for every named entry");

constexpr PhaseRange kPhaseRanges[] = {
    {14, 135, 2},  {15, 137, 2},  {44, 139, 5},  {60, 144, 3},  {70, 147, 2},
    {79, 149, 3},  {82, 152, 3},  {92, 155, 2},  {96, 157, 2},  {97, 159, 3},
    {99, 162, 2},  {101, 164, 3}, {109, 167, 2}, {134, 169, 2},
};

}  // namespace

std::uint32_t CallOperation(std::uint32_t index) {
    // A phase entry run as an operation would never finish: it moves its phase and returns 0.
    if (index >= kFirstPhaseEntry) {
        return FailOperation("Operation " + std::to_string(index) + " is not in the operation table.");
    }
    return g_handlers[index]();
}

const PhaseRange* FindPhaseRange(std::uint32_t operation) {
    for (const PhaseRange& range : kPhaseRanges) {
        if (range.operation == operation) return &range;
    }
    return nullptr;
}

std::uint32_t OpRunPhase() {
    const OpState& op = CurrentOp();
    const PhaseRange* range = FindPhaseRange(op.operation);
    // A restored save or a damaged one can hold any phase; only the operation's own entries run.
    if (!range || op.phase >= range->count) {
        return FailOperation("Operation " + std::to_string(op.operation) + " has no phase " +
                             std::to_string(op.phase) + ".");
    }
    return g_handlers[range->base + op.phase]();
}

std::uint32_t OpNotAvailable() {
    return FailOperation("Operation " + std::to_string(CurrentOp().operation) + " is not available in this version.");
}

OpHandler ReplaceOperationHandler(std::uint32_t index, OpHandler handler) {
    if (index >= kOperationCount) return nullptr;
    OpHandler old = g_handlers[index];
    g_handlers[index] = handler;
    return old;
}

}  // namespace kv
