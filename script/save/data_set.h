#pragma once
// The snapshot of the engine that a save file holds and that a load or the return to the title
// puts back: the header, the fixed block and its variable-length arrays, in plain values.
// script/save/data_set_codec.h turns them into the file's bytes and back; the counts the file
// stores are the sizes of the vectors here.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/globals/game_state.h"
#include "script/save/common_data.h"
#include "script/vm/vm_state.h"

namespace kv {

// Sizes of the stored records, in bytes.
inline constexpr std::size_t kSaveHeaderSize = 68;
inline constexpr std::size_t kDataSetSize = 13508;
inline constexpr std::size_t kLayerRecordSize = 104;
inline constexpr std::size_t kChannelRecordSize = 76;
inline constexpr std::size_t kWindowRecordSize = 2288;
inline constexpr std::size_t kPageRecordSize = 1672;
inline constexpr std::size_t kButtonRecordSize = 244;
inline constexpr std::size_t kAreaRecordSize = 68;
inline constexpr std::size_t kChoiceRecordSize = 80;

// Sizes of the stored text fields, terminator included.
inline constexpr std::size_t kNameField = 64;
inline constexpr std::size_t kTitleField = 33;
inline constexpr std::size_t kDateField = 12;
inline constexpr std::size_t kPageTextField = 1024;
inline constexpr std::size_t kButtonScriptField = 65;

inline constexpr int kVoiceSlots = 8;
inline constexpr int kClickWaitIconCount = 3;

struct SaveDataHeader {
    std::uint32_t totalSize = 0;  // of the blob, header included
    VersionField version{};
    std::string title;  // at most 32 bytes
    std::string date;   // "MM/DD hh:mm"
    bool operator==(const SaveDataHeader&) const = default;
};

struct VoicePosition {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const VoicePosition&) const = default;
};

// The voices of one history page (or those waiting for the next page).
struct VoiceBlock {
    std::int32_t count = 0;  // 0 .. kVoiceSlots
    std::array<std::int32_t, kVoiceSlots> volumes{};
    std::array<std::int32_t, kVoiceSlots> pans{};
    std::array<VoicePosition, kVoiceSlots> positions{};
    std::array<std::string, kVoiceSlots> names;
    bool operator==(const VoiceBlock&) const = default;
};

struct ClickWaitIconRecord {
    std::int32_t layer = 0, x = 0, y = 0, sourceX = 0, sourceY = 0, width = 0, height = 0, frameCount = 0;
    std::uint32_t intervalMs = 0;
    std::uint8_t enabled = 0;
    bool operator==(const ClickWaitIconRecord&) const = default;
};

struct LayerRecord {
    std::int32_t maskIndex = -1;
    std::int32_t x = 0, y = 0, sourceX = 0, sourceY = 0, width = 0, height = 0;
    std::string name;
    std::int32_t drawMode = 0;
    std::int32_t drawParameter = 0;
    std::uint8_t visible = 0;
    std::uint8_t hiddenOnView = 0;
    bool operator==(const LayerRecord&) const = default;
};

struct ChannelRecord {
    std::int32_t packIndex = -1;
    std::int32_t baseVolume = 0;
    std::string name;
    std::uint8_t streaming = 0;
    std::uint8_t looping = 0;  // the channel was playing a loop: it starts again after a load
    bool operator==(const ChannelRecord&) const = default;
};

struct RectRecord {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const RectRecord&) const = default;
};

struct WindowRecord {
    std::uint32_t charIntervalMs = 0;
    RectRecord window;
    RectRecord text;
    std::int32_t cursorX = 0, cursorY = 0, readIndex = 0, textLength = 0, lineSpacing = 0, charSpacing = 0;
    std::string pageText;    // at most 1023 bytes
    std::string textBuffer;  // at most 1023 bytes
    std::string voiceName;
    std::int32_t voiceChannel = -1;
    std::int32_t shadowX = 0, shadowY = 0;
    std::uint8_t halfWidth = 0, shadow = 0, bracketIndent = 0;
    std::int32_t bracketDepth = 0;
    std::uint8_t hanging = 0, history = 0, instant = 0;
    std::array<std::uint8_t, 3> textColour{};    // red, green, blue
    std::array<std::uint8_t, 3> shadowColour{};  // red, green, blue
    std::uint32_t rendererKind = 0;
    std::int32_t fontHeight = 0, fontWeight = 0;
    std::string faceName;
    std::uint8_t greyGlyphs = 0, placement = 0, italic = 0, underline = 0, strikeOut = 0;
    bool operator==(const WindowRecord&) const = default;
};

struct PageRecord {
    std::uint32_t window = 0;
    std::string text;  // at most 1023 bytes
    VoiceBlock voices;
    bool operator==(const PageRecord&) const = default;
};

struct ButtonRecord {
    std::int32_t x = 0, y = 0, sourceX = 0, sourceY = 0, width = 0, height = 0;
    std::int32_t hitX = 0, hitY = 0, hitWidth = 0, hitHeight = 0;
    std::uint8_t enabled = 0, visible = 0, shortcutKey = 0;
    std::string script;  // at most 64 bytes
    std::int32_t hoverChannel = 0, clickChannel = 0;
    std::string hoverSound, clickSound;
    bool operator==(const ButtonRecord&) const = default;
};

struct AreaRecord {
    std::int32_t x = 0, y = 0, hitWidth = 0, hitHeight = 0, srcX = 0, srcY = 0, width = 0, height = 0;
    std::int32_t chipX = 0, chipY = 0, chipHitWidth = 0, chipHitHeight = 0, chipSrcX = 0, chipSrcY = 0,
                 chipWidth = 0, chipHeight = 0;
    std::uint8_t enabled = 0;
    bool operator==(const AreaRecord&) const = default;
};

struct ChoiceRecord {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    std::string text;
    bool operator==(const ChoiceRecord&) const = default;
};

// The banks whose contents a snapshot does not carry: a load needs the running game's to match.
struct FixedBankCounts {
    std::int32_t bInts = 0, bBytes = 0, bStrings = 0, cInts = 0, cBytes = 0;
    bool operator==(const FixedBankCounts&) const = default;
};

// The script VM as a capture found it (the capture's bank A is in the arrays).
struct VmPart {
    std::string scriptName;
    std::array<VmValue, VmState::kValueStackSize> stack{};
    std::int32_t stackTop = -1;
    std::array<VmCallFrame, VmState::kCallStackSize> callFrames{};
    std::int32_t callDepth = -1;
    std::int32_t pc = 0;
    FixedBankCounts fixedCounts;
    bool operator==(const VmPart&) const = default;
};

// The fixed block without its counts (those are the sizes of DataSetArrays' vectors).
struct DataSet {
    // Game state.
    std::string caption;
    std::string secondCaption;
    std::int32_t screenWidth = 0, screenHeight = 0, reserved = 0;
    std::uint8_t effectRunning = 0, scriptRunsOn = 0;
    std::int32_t streamPackCount = 0;
    OpState op{};
    std::int32_t opSaveTop = -1;
    std::array<OpState, kOpSaveDepth> opSave{};
    std::uint8_t rightClickEnabled = 0;
    std::uint8_t skipMode = 0;
    std::int32_t voicedWindow = -1;

    // The game screen's layer set: shown brightness mode and delta, composed mode and delta.
    std::array<std::int32_t, 4> brightness{};
    std::uint32_t effectIntervalMs = 0;

    VmPart vm;

    // Message history: the backlog view's window and frame layer, the voice icon, and the voices
    // waiting for the next page.
    std::int32_t backlogWindow = 0, backlogFrameLayer = 0;
    std::int32_t voiceIconLayer = 0, voiceIconSourceX = 0, voiceIconSourceY = 0, voiceIconWidth = 0,
                 voiceIconHeight = 0;
    VoiceBlock pendingVoices;

    // System buttons.
    std::int32_t buttonLayer = 0, spaceKeyButton = 0, wheelButton = 0;

    // The game screen's clickable map (kept only while it has areas).
    std::int32_t mapLayer = 0, mapHoverChannel = 0, mapClickChannel = 0;
    std::string mapHoverSound, mapClickSound;

    // The choice list (its text kept only while it has choices).
    std::string choiceText;

    std::array<ClickWaitIconRecord, kClickWaitIconCount> icons{};

    bool operator==(const DataSet&) const = default;
};

struct DataSetArrays {
    std::vector<std::int32_t> aInts;
    std::vector<std::uint8_t> aBytes;
    std::vector<std::vector<std::uint8_t>> aStrings;
    // Working and shown arrays of a bank always have the same size.
    std::vector<LayerRecord> pictureWorking, pictureShown, maskWorking, maskShown;
    std::vector<ChannelRecord> channels;
    std::vector<WindowRecord> windows;
    std::vector<PageRecord> pages;  // newest first
    std::vector<ButtonRecord> buttons;
    std::vector<AreaRecord> areas;
    std::vector<ChoiceRecord> choices;
    bool operator==(const DataSetArrays&) const = default;
};

// A whole snapshot: what a save writes and what the return to the title keeps.
struct DataSetSnapshot {
    SaveDataHeader header;
    DataSet set;
    DataSetArrays arrays;
    bool operator==(const DataSetSnapshot&) const = default;
};

}  // namespace kv
