#include "script/ops/op_table.h"

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

struct OpEntry {
    const char* name;
    OpHandler handler;
};

// Entries still on OpNotAvailable are operations of this version's missing parts; each gets its
// handler here when its part is built.
OpEntry g_operations[kOperationCount] = {
    {"OpRunScript", OpRunScript},  // 0
    {"OpQuit", OpQuit},  // 1
    {"ReturnSNX", ReturnSNX},  // 2
    {"OpDummy", OpDummy},  // 3
    {"OpDummy", OpDummy},  // 4
    {"OpDummy", OpDummy},  // 5
    {"OpDummy", OpDummy},  // 6
    {"OpDummy", OpDummy},  // 7
    {"OpDummy", OpDummy},  // 8
    {"OpDummy", OpDummy},  // 9
    {"LoadSNX", LoadSNX},  // 10
    {"CallSNX", CallSNX},  // 11
    {"OpSetCaption", OpSetCaption},  // 12
    {"OpResetTimer", OpResetTimer},  // 13
    {"OpWaitTimer", OpRunPhase},  // 14
    {"OpWaitClick", OpRunPhase},  // 15
    {"AllocLayers", AllocLayers},  // 16
    {"AllocMaskLayers", AllocMaskLayers},  // 17
    {"LoadLayer", LoadLayer},  // 18
    {"LoadMaskLayer", LoadMaskLayer},  // 19
    {"SetLayerVisible", SetLayerVisible},  // 20
    {"SetLayerPosition", SetLayerPosition},  // 21
    {"SetLayerRect", SetLayerRect},  // 22
    {"SetLayerMask", SetLayerMask},  // 23
    {"SetLayerDrawMode", SetLayerDrawMode},  // 24
    {"SetLayerClipRect", SetLayerClipRect},  // 25
    {"StartupGraphicEffect", StartupGraphicEffect},  // 26
    {"SetGraphicEffectInterval", SetGraphicEffectInterval},  // 27
    {"SetBrightness", SetBrightness},  // 28
    {"OpAllocTextWindows", OpAllocTextWindows},  // 29
    {"SetMessageFont", SetMessageFont},  // 30
    {"SetMessageFontStyle", SetMessageFontStyle},  // 31
    {"SetMessageGlyphFormat", SetMessageGlyphFormat},  // 32
    {"SetMessageGlyphPlacement", SetMessageGlyphPlacement},  // 33
    {"SetMessageShadow", SetMessageShadow},  // 34
    {"SetMessageTextColor", SetMessageTextColor},  // 35
    {"SetMessageShadowColor", SetMessageShadowColor},  // 36
    {"SetMessageShadowOffset", SetMessageShadowOffset},  // 37
    {"SetMessageWindowRects", SetMessageWindowRects},  // 38
    {"SetMessageRenderer", SetMessageRenderer},  // 39
    {"SetMessageHanging", SetMessageHanging},  // 40
    {"SetMessageBracketIndent", SetMessageBracketIndent},  // 41
    {"SetMessageBacklogFlag", SetMessageBacklogFlag},  // 42
    {"SetMessageCharDelay", SetMessageCharDelay},  // 43
    {"MessageFlow", OpRunPhase},  // 44
    {"CreateSoundChannels", CreateSoundChannels},  // 45
    {"SetChannelPack", SetChannelPack},  // 46
    {"SetChannelStreaming", SetChannelStreaming},  // 47
    {"PlayDSB", PlayDSB},  // 48
    {"CreatePackFiles", CreatePackFiles},  // 49
    {"SetPackFileName", SetPackFileName},  // 50
    {"StopChannel", StopChannel},  // 51
    {"SetMessageVoiceChannel", SetMessageVoiceChannel},  // 52
    {"SetMessageInstant", SetMessageInstant},  // 53
    {"CreateSystemButtons", CreateSystemButtons},  // 54
    {"SetSystemButtonImage", SetSystemButtonImage},  // 55
    {"SetSystemButtonEnable", SetSystemButtonEnable},  // 56
    {"SetSystemButtonVisible", SetSystemButtonVisible},  // 57
    {"DefineSystemButton", DefineSystemButton},  // 58
    {"SetSystemButtonSound", SetSystemButtonSound},  // 59
    {"ScreenUpdate", OpRunPhase},  // 60
    {"SetLayerHiddenOnView", SetLayerHiddenOnView},  // 61
    {"BindWindowModeVar", BindWindowModeVar},  // 62
    {"BindEffectsVar", BindEffectsVar},  // 63
    {"BindInstantTextVar", BindInstantTextVar},  // 64
    {"BindChannelVolumeVar", BindChannelVolumeVar},  // 65
    {"ApplyWindowMode", ApplyWindowMode},  // 66
    {"ApplyChannelVolume", ApplyChannelVolume},  // 67
    {"ReadyToClickableMap", ReadyToClickableMap},  // 68
    {"ClearClickableMap", ClearClickableMap},  // 69
    {"ClickableMapSelect", OpRunPhase},  // 70
    {"SetClickableArea", SetClickableArea},  // 71
    {"SetChannelVolume", SetChannelVolume},  // 72
    {"SetRightClickEnable", SetRightClickEnable},  // 73
    {"BindSkipVar", BindSkipVar},  // 74
    {"SetMessageSpacing", SetMessageSpacing},  // 75
    {"StartSkip", StartSkip},  // 76
    {"ScriptMessageBox", ScriptMessageBox},  // 77
    {"NameEntryDialog", NameEntryDialog},  // 78
    {"ChoiceMenu", OpRunPhase},  // 79
    {"SetBacklogWindow", SetBacklogWindow},  // 80
    {"SetBacklogVoiceIcon", SetBacklogVoiceIcon},  // 81
    {"BacklogView", OpRunPhase},  // 82
    {"BacklogPageForward", BacklogPageForward},  // 83
    {"BacklogPageBack", BacklogPageBack},  // 84
    {"ReturnFromRightClickScreen", ReturnFromRightClickScreen},  // 85
    {"SetEffectMessageRedraw", SetEffectMessageRedraw},  // 86
    {"SetSystemButtonSpaceKey", SetSystemButtonSpaceKey},  // 87
    {"SetSystemButtonWheel", SetSystemButtonWheel},  // 88
    {"SetClickWaitIconEnable", SetClickWaitIconEnable},  // 89
    {"DefineClickWaitIcon", DefineClickWaitIcon},  // 90
    {"TitleBackGetTitleData", TitleBackGetTitleData},  // 91
    {"SoundsResetOp", OpRunPhase},  // 92
    {"SetSNXTitle", SetSNXTitle},  // 93
    {"SetThumbnailSize", SetThumbnailSize},  // 94
    {"Save", Save},  // 95
    {"LoadDispatch", OpRunPhase},  // 96
    {"SaveLoadMapDispatch", OpRunPhase},  // 97
    {"ReleaseSaveDataHeader", ReleaseSaveDataHeader},  // 98
    {"ClickableMapDispatch", OpRunPhase},  // 99
    {"ResetSaveLoadClickableMapsChoise", ResetSaveLoadClickableMapsChoise},  // 100
    {"MovieDispatch", OpRunPhase},  // 101
    {"OpDummy", OpDummy},  // 102
    {"OpDummy", OpDummy},  // 103
    {"Random", Random},  // 104
    {"CompareStrings", CompareStrings},  // 105
    {"ClearLayer", ClearLayer},  // 106
    {"ReadyToChipClickableMap", ReadyToChipClickableMap},  // 107
    {"ReleaseChipClickableMap", ReleaseChipClickableMap},  // 108
    {"RClickDispatch", OpRunPhase},  // 109
    {"SetClickableAreaRects", SetClickableAreaRects},  // 110
    {"ClearMaskLayer", ClearMaskLayer},  // 111
    {"ReplayMsgBoxSound", ReplayMsgBoxSound},  // 112
    {"OpenExternal", OpenExternal},  // 113
    {"ClearBankA", ClearBankA},  // 114
    {"Substring", Substring},  // 115
    {"ConcatStrings", ConcatStrings},  // 116
    {"SaveWithNewThumbnail", SaveWithNewThumbnail},  // 117
    {"GetLocalTimeToVariables", GetLocalTimeToVariables},  // 118
    {"BindAutoWaitVar", BindAutoWaitVar},  // 119
    {"SetSpareSetting", SetSpareSetting},  // 120
    {"StartAutoMode", StartAutoMode},  // 121
    {"EndAutoMode", EndAutoMode},  // 122
    {"FormatNumber", FormatNumber},  // 123
    {"FadeInPlayDSB", FadeInPlayDSB},  // 124
    {"StartVolumeFade", StartVolumeFade},  // 125
    {"CreateDirectInputManager", CreateDirectInputManager},  // 126
    {"GetLayerSize", GetLayerSize},  // 127
    {"RedrawMessageWindow", RedrawMessageWindow},  // 128
    {"ResetTextWindow", ResetTextWindow},  // 129
    {"StringLength", StringLength},  // 130
    {"SetTableEntry", SetTableEntry},  // 131
    {"SoundOp132", SoundOp132},  // 132
    {"GetVoiceWindowToVariable", GetVoiceWindowToVariable},  // 133
    {"OpTimedWait", OpRunPhase},  // 134
    {"OpWaitTimerSet", OpWaitTimerSet},  // 135
    {"OpWaitTimerRun", OpWaitTimerRun},  // 136
    {"OpWaitClickSet", OpWaitClickSet},  // 137
    {"OpWaitClickRun", OpWaitClickRun},  // 138
    {"MessageFlowReady", MessageFlowReady},  // 139
    {"FlowMessage", FlowMessage},  // 140
    {"WaitMessageClick", WaitMessageClick},  // 141
    {"WaitMessageCharDelay", WaitMessageCharDelay},  // 142
    {"FlushMessageOp", FlushMessageOp},  // 143
    {"ScreenUpdateReady", ScreenUpdateReady},  // 144
    {"ScreenUpdateWait", ScreenUpdateWait},  // 145
    {"ScreenUpdateFinish", ScreenUpdateFinish},  // 146
    {"ClickableMapSelectReady", ClickableMapSelectReady},  // 147
    {"ClickableMapSelectRun", ClickableMapSelectRun},  // 148
    {"ChoiceMenuReady", ChoiceMenuReady},  // 149
    {"ChoiceMenuSelect", ChoiceMenuSelect},  // 150
    {"ChoiceMenuFinish", ChoiceMenuFinish},  // 151
    {"BacklogViewReady", BacklogViewReady},  // 152
    {"BacklogViewRun", BacklogViewRun},  // 153
    {"BacklogViewFinish", BacklogViewFinish},  // 154
    {"StopAllChannels", StopAllChannels},  // 155
    {"TitleBackSetTitleData", TitleBackSetTitleData},  // 156
    {"Load", Load},  // 157
    {"LoadDataSet", LoadDataSet},  // 158
    {"ReadyToSaveLoadClickableMap", ReadyToSaveLoadClickableMap},  // 159
    {"ReadyToSaveLoadClickableMap1", ReadyToSaveLoadClickableMap1},  // 160
    {"ReadyToSaveLoadClickableMap2", ReadyToSaveLoadClickableMap2},  // 161
    {"ReadyClickableMap", ReadyClickableMap},  // 162
    {"RunClickableMap", RunClickableMap},  // 163
    {"ReadyToPlayMovie", ReadyToPlayMovie},  // 164
    {"WaitMovie", WaitMovie},  // 165
    {"EndMovie", EndMovie},  // 166
    {"ReadyRClickWait", ReadyRClickWait},  // 167
    {"RunClickableMapWithRClick", RunClickableMapWithRClick},  // 168
    {"ReadyTimedWait", ReadyTimedWait},  // 169
    {"RunTimedWait", RunTimedWait},  // 170
};

constexpr PhaseRange kPhaseRanges[] = {
    {14, 135, 2},  {15, 137, 2},  {44, 139, 5},  {60, 144, 3},  {70, 147, 2},
    {79, 149, 3},  {82, 152, 3},  {92, 155, 2},  {96, 157, 2},  {97, 159, 3},
    {99, 162, 2},  {101, 164, 3}, {109, 167, 2}, {134, 169, 2},
};

}  // namespace

const char* OperationName(std::uint32_t index) {
    return index < kOperationCount ? g_operations[index].name : nullptr;
}

std::uint32_t CallOperation(std::uint32_t index) {
    // A phase entry run as an operation would never finish: it moves its phase and returns 0.
    if (index >= kFirstPhaseEntry) {
        return FailOperation("Operation " + std::to_string(index) + " is not in the operation table.");
    }
    return g_operations[index].handler();
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
    return g_operations[range->base + op.phase].handler();
}

std::uint32_t OpNotAvailable() {
    return FailOperation("Operation " + std::to_string(CurrentOp().operation) + " is not available in this version.");
}

OpHandler ReplaceOperationHandler(std::uint32_t index, OpHandler handler) {
    if (index >= kOperationCount) return nullptr;
    OpHandler old = g_operations[index].handler;
    g_operations[index].handler = handler;
    return old;
}

}  // namespace kv
