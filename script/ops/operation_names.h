#pragma once
// The name of every entry of the operation table, by number: the engine's dispatch and the
// script assembler both read this one list. It is header-only so that the developer tools use it
// without linking the engine.

#include <algorithm>
#include <array>
#include <cstdint>

namespace kv {

inline constexpr std::uint32_t kOperationCount = 171;
// Entries from here on are phases of the multi-frame operations, reached only through them.
inline constexpr std::uint32_t kFirstPhaseEntry = 135;

inline constexpr std::array<const char*, kOperationCount> kOperationNames = {
    "OpRunScript",  // 0
    "OpQuit",  // 1
    "ReturnSNX",  // 2
    "OpDummy",  // 3
    "OpDummy",  // 4
    "OpDummy",  // 5
    "OpDummy",  // 6
    "OpDummy",  // 7
    "OpDummy",  // 8
    "OpDummy",  // 9
    "LoadSNX",  // 10
    "CallSNX",  // 11
    "OpSetCaption",  // 12
    "OpResetTimer",  // 13
    "OpWaitTimer",  // 14
    "OpWaitClick",  // 15
    "AllocLayers",  // 16
    "AllocMaskLayers",  // 17
    "LoadLayer",  // 18
    "LoadMaskLayer",  // 19
    "SetLayerVisible",  // 20
    "SetLayerPosition",  // 21
    "SetLayerRect",  // 22
    "SetLayerMask",  // 23
    "SetLayerDrawMode",  // 24
    "SetLayerClipRect",  // 25
    "StartupGraphicEffect",  // 26
    "SetGraphicEffectInterval",  // 27
    "SetBrightness",  // 28
    "OpAllocTextWindows",  // 29
    "SetMessageFont",  // 30
    "SetMessageFontStyle",  // 31
    "SetMessageGlyphFormat",  // 32
    "SetMessageGlyphPlacement",  // 33
    "SetMessageShadow",  // 34
    "SetMessageTextColor",  // 35
    "SetMessageShadowColor",  // 36
    "SetMessageShadowOffset",  // 37
    "SetMessageWindowRects",  // 38
    "SetMessageRenderer",  // 39
    "SetMessageHanging",  // 40
    "SetMessageBracketIndent",  // 41
    "SetMessageBacklogFlag",  // 42
    "SetMessageCharDelay",  // 43
    "MessageFlow",  // 44
    "CreateSoundChannels",  // 45
    "SetChannelPack",  // 46
    "SetChannelStreaming",  // 47
    "PlayDSB",  // 48
    "CreatePackFiles",  // 49
    "SetPackFileName",  // 50
    "StopChannel",  // 51
    "SetMessageVoiceChannel",  // 52
    "SetMessageInstant",  // 53
    "CreateSystemButtons",  // 54
    "SetSystemButtonImage",  // 55
    "SetSystemButtonEnable",  // 56
    "SetSystemButtonVisible",  // 57
    "DefineSystemButton",  // 58
    "SetSystemButtonSound",  // 59
    "ScreenUpdate",  // 60
    "SetLayerHiddenOnView",  // 61
    "BindWindowModeVar",  // 62
    "BindEffectsVar",  // 63
    "BindInstantTextVar",  // 64
    "BindChannelVolumeVar",  // 65
    "ApplyWindowMode",  // 66
    "ApplyChannelVolume",  // 67
    "ReadyToClickableMap",  // 68
    "ClearClickableMap",  // 69
    "ClickableMapSelect",  // 70
    "SetClickableArea",  // 71
    "SetChannelVolume",  // 72
    "SetRightClickEnable",  // 73
    "BindSkipVar",  // 74
    "SetMessageSpacing",  // 75
    "StartSkip",  // 76
    "ScriptMessageBox",  // 77
    "NameEntryDialog",  // 78
    "ChoiceMenu",  // 79
    "SetBacklogWindow",  // 80
    "SetBacklogVoiceIcon",  // 81
    "BacklogView",  // 82
    "BacklogPageForward",  // 83
    "BacklogPageBack",  // 84
    "ReturnFromRightClickScreen",  // 85
    "SetEffectMessageRedraw",  // 86
    "SetSystemButtonSpaceKey",  // 87
    "SetSystemButtonWheel",  // 88
    "SetClickWaitIconEnable",  // 89
    "DefineClickWaitIcon",  // 90
    "TitleBackGetTitleData",  // 91
    "SoundsResetOp",  // 92
    "SetSNXTitle",  // 93
    "SetThumbnailSize",  // 94
    "Save",  // 95
    "LoadDispatch",  // 96
    "SaveLoadMapDispatch",  // 97
    "ReleaseSaveDataHeader",  // 98
    "ClickableMapDispatch",  // 99
    "ResetSaveLoadClickableMapsChoise",  // 100
    "MovieDispatch",  // 101
    "OpDummy",  // 102
    "OpDummy",  // 103
    "Random",  // 104
    "CompareStrings",  // 105
    "ClearLayer",  // 106
    "ReadyToChipClickableMap",  // 107
    "ReleaseChipClickableMap",  // 108
    "RClickDispatch",  // 109
    "SetClickableAreaRects",  // 110
    "ClearMaskLayer",  // 111
    "ReplayMsgBoxSound",  // 112
    "OpenExternal",  // 113
    "ClearBankA",  // 114
    "Substring",  // 115
    "ConcatStrings",  // 116
    "SaveWithNewThumbnail",  // 117
    "GetLocalTimeToVariables",  // 118
    "BindAutoWaitVar",  // 119
    "SetSpareSetting",  // 120
    "StartAutoMode",  // 121
    "EndAutoMode",  // 122
    "FormatNumber",  // 123
    "FadeInPlayDSB",  // 124
    "StartVolumeFade",  // 125
    "CreateDirectInputManager",  // 126
    "GetLayerSize",  // 127
    "RedrawMessageWindow",  // 128
    "ResetTextWindow",  // 129
    "StringLength",  // 130
    "SetTableEntry",  // 131
    "SoundOp132",  // 132
    "GetVoiceWindowToVariable",  // 133
    "OpTimedWait",  // 134
    "OpWaitTimerSet",  // 135
    "OpWaitTimerRun",  // 136
    "OpWaitClickSet",  // 137
    "OpWaitClickRun",  // 138
    "MessageFlowReady",  // 139
    "FlowMessage",  // 140
    "WaitMessageClick",  // 141
    "WaitMessageCharDelay",  // 142
    "FlushMessageOp",  // 143
    "ScreenUpdateReady",  // 144
    "ScreenUpdateWait",  // 145
    "ScreenUpdateFinish",  // 146
    "ClickableMapSelectReady",  // 147
    "ClickableMapSelectRun",  // 148
    "ChoiceMenuReady",  // 149
    "ChoiceMenuSelect",  // 150
    "ChoiceMenuFinish",  // 151
    "BacklogViewReady",  // 152
    "BacklogViewRun",  // 153
    "BacklogViewFinish",  // 154
    "StopAllChannels",  // 155
    "TitleBackSetTitleData",  // 156
    "Load",  // 157
    "LoadDataSet",  // 158
    "ReadyToSaveLoadClickableMap",  // 159
    "ReadyToSaveLoadClickableMap1",  // 160
    "ReadyToSaveLoadClickableMap2",  // 161
    "ReadyClickableMap",  // 162
    "RunClickableMap",  // 163
    "ReadyToPlayMovie",  // 164
    "WaitMovie",  // 165
    "EndMovie",  // 166
    "ReadyRClickWait",  // 167
    "RunClickableMapWithRClick",  // 168
    "ReadyTimedWait",  // 169
    "RunTimedWait",  // 170
};
static_assert(std::ranges::none_of(kOperationNames, [](const char* name) { return name == nullptr; }),
              "every entry of the operation table has a name");

// The entry's name, or null outside the table.
constexpr const char* OperationName(std::uint32_t index) {
    return index < kOperationCount ? kOperationNames[index] : nullptr;
}

}  // namespace kv
