#include "script/save/data_set_codec.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"
#include "base/text_utils.h"
#include "script/ops/op_table.h"

namespace kv {

namespace {

// Offsets in the fixed block (after the header).
namespace at {
constexpr std::size_t kCaption = 0, kSecondCaption = 64, kScreenWidth = 128, kScreenHeight = 132, kReserved = 136,
                      kEffectRunning = 140, kScriptRunsOn = 141, kWindowCount = 144, kChannelCount = 148,
                      kStreamPackCount = 152, kOp = 156, kOpSaveTop = 232, kOpSave = 236, kRightClick = 876,
                      kSkipMode = 877, kVoicedWindow = 888, kPictureCount = 892, kMaskCount = 896, kBrightness = 900,
                      kEffectInterval = 916, kScriptName = 920, kStack = 984, kStackTop = 7128, kCallFrames = 7132,
                      kCallDepth = 11484, kPc = 11488, kVariableCounts = 11492, kPageCount = 11524,
                      kBacklogWindow = 11528, kBacklogFrameLayer = 11532, kVoiceIcon = 11536, kPendingVoices = 11556,
                      kButtonCount = 12200, kButtonLayer = 12204, kSpaceKeyButton = 12208, kWheelButton = 12212,
                      kAreaCount = 12216, kMapLayer = 12220, kMapHoverChannel = 12224, kMapClickChannel = 12228,
                      kMapHoverSound = 12232, kMapClickSound = 12296, kChoiceCount = 12360, kChoiceText = 12364,
                      kIcons = 13388;
}  // namespace at

constexpr std::size_t kOpStateSize = 76;
constexpr std::size_t kCallFrameSize = 136;
constexpr std::size_t kIconRecordSize = 40;

// Writes fields at their offsets into zeroed bytes.
struct FieldWriter {
    std::uint8_t* base;
    void U8(std::size_t at, std::uint8_t value) const { base[at] = value; }
    void U32(std::size_t at, std::uint32_t value) const { WriteLe32(base + at, value); }
    void I32(std::size_t at, std::int32_t value) const { U32(at, static_cast<std::uint32_t>(value)); }
    void Text(std::size_t at, std::size_t field, std::string_view text) const {
        const std::string fitted = FitField(text, field);
        std::memcpy(base + at, fitted.data(), fitted.size());
    }
    FieldWriter Sub(std::size_t at) const { return {base + at}; }
};

// Reads fields at their offsets; a text without its terminator marks the reader bad.
struct FieldReader {
    const std::uint8_t* base;
    bool* ok;
    std::uint8_t U8(std::size_t at) const { return base[at]; }
    std::uint32_t U32(std::size_t at) const { return ReadLe32(base + at); }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
    std::string Text(std::size_t at, std::size_t field) const {
        const auto* begin = reinterpret_cast<const char*>(base + at);
        const std::size_t length = strnlen(begin, field);
        if (length == field) {
            *ok = false;
            return {};
        }
        return std::string(begin, length);
    }
    FieldReader Sub(std::size_t at) const { return {base + at, ok}; }
};

void WriteOpState(const FieldWriter& out, const OpState& op) {
    out.U32(0, op.operation);
    out.U32(4, op.phase);
    for (int i = 0; i < 16; ++i) out.U32(8 + 4 * static_cast<std::size_t>(i), op.scratch[i]);
    out.U32(72, op.flag);
}

OpState ReadOpState(const FieldReader& in) {
    OpState op{};
    op.operation = in.U32(0);
    op.phase = in.U32(4);
    for (int i = 0; i < 16; ++i) op.scratch[i] = in.U32(8 + 4 * static_cast<std::size_t>(i));
    op.flag = in.U32(72);
    return op;
}

void WriteVoices(const FieldWriter& out, const VoiceBlock& voices) {
    out.I32(0, voices.count);
    for (std::size_t i = 0; i < kVoiceSlots; ++i) {
        out.I32(4 + 4 * i, voices.volumes[i]);
        out.I32(36 + 4 * i, voices.pans[i]);
        out.I32(68 + 8 * i, voices.positions[i].x);
        out.I32(72 + 8 * i, voices.positions[i].y);
        out.Text(132 + kNameField * i, kNameField, voices.names[i]);
    }
}

VoiceBlock ReadVoices(const FieldReader& in) {
    VoiceBlock voices;
    voices.count = in.I32(0);
    if (voices.count < 0 || voices.count > kVoiceSlots) *in.ok = false;
    for (std::size_t i = 0; i < kVoiceSlots; ++i) {
        voices.volumes[i] = in.I32(4 + 4 * i);
        voices.pans[i] = in.I32(36 + 4 * i);
        voices.positions[i] = {in.I32(68 + 8 * i), in.I32(72 + 8 * i)};
        voices.names[i] = in.Text(132 + kNameField * i, kNameField);
    }
    return voices;
}

void WriteRect(const FieldWriter& out, const RectRecord& rect) {
    out.I32(0, rect.x);
    out.I32(4, rect.y);
    out.I32(8, rect.width);
    out.I32(12, rect.height);
}

RectRecord ReadRect(const FieldReader& in) { return {in.I32(0), in.I32(4), in.I32(8), in.I32(12)}; }

// ---- the fixed block ----

void WriteFixedBlock(const FieldWriter& out, const DataSet& set, const DataSetArrays& arrays) {
    out.Text(at::kCaption, kNameField, set.caption);
    out.Text(at::kSecondCaption, kNameField, set.secondCaption);
    out.I32(at::kScreenWidth, set.screenWidth);
    out.I32(at::kScreenHeight, set.screenHeight);
    out.I32(at::kReserved, set.reserved);
    out.U8(at::kEffectRunning, set.effectRunning);
    out.U8(at::kScriptRunsOn, set.scriptRunsOn);
    out.I32(at::kWindowCount, static_cast<std::int32_t>(arrays.windows.size()));
    out.I32(at::kChannelCount, static_cast<std::int32_t>(arrays.channels.size()));
    out.I32(at::kStreamPackCount, set.streamPackCount);
    WriteOpState(out.Sub(at::kOp), set.op);
    out.I32(at::kOpSaveTop, set.opSaveTop);
    for (std::size_t i = 0; i < kOpSaveDepth; ++i) WriteOpState(out.Sub(at::kOpSave + kOpStateSize * i), set.opSave[i]);
    out.U8(at::kRightClick, set.rightClickEnabled);
    out.U8(at::kSkipMode, set.skipMode);
    out.I32(at::kVoicedWindow, set.voicedWindow);
    out.I32(at::kPictureCount, static_cast<std::int32_t>(arrays.pictureWorking.size()));
    out.I32(at::kMaskCount, static_cast<std::int32_t>(arrays.maskWorking.size()));
    for (std::size_t i = 0; i < set.brightness.size(); ++i) out.I32(at::kBrightness + 4 * i, set.brightness[i]);
    out.U32(at::kEffectInterval, set.effectIntervalMs);

    const VmPart& vm = set.vm;
    out.Text(at::kScriptName, kNameField, vm.scriptName);
    for (std::size_t i = 0; i < vm.stack.size(); ++i) {
        out.U32(at::kStack + 8 * i, vm.stack[i].type);
        out.U32(at::kStack + 8 * i + 4, vm.stack[i].value);
    }
    out.I32(at::kStackTop, vm.stackTop);
    for (std::size_t i = 0; i < vm.callFrames.size(); ++i) {
        const VmCallFrame& frame = vm.callFrames[i];
        const FieldWriter record = out.Sub(at::kCallFrames + kCallFrameSize * i);
        record.Text(0, sizeof frame.scriptName, std::string_view(frame.scriptName, strnlen(frame.scriptName, sizeof frame.scriptName)));
        record.U32(128, frame.pc);
        record.U8(132, frame.interruption);
    }
    out.I32(at::kCallDepth, vm.callDepth);
    out.I32(at::kPc, vm.pc);
    const std::int32_t counts[kVarBankCount] = {
        static_cast<std::int32_t>(arrays.aInts.size()), static_cast<std::int32_t>(arrays.aBytes.size()),
        static_cast<std::int32_t>(arrays.aStrings.size()), vm.fixedCounts.bInts, vm.fixedCounts.bBytes,
        vm.fixedCounts.bStrings, vm.fixedCounts.cInts, vm.fixedCounts.cBytes};
    for (std::size_t i = 0; i < kVarBankCount; ++i) out.I32(at::kVariableCounts + 4 * i, counts[i]);

    out.I32(at::kPageCount, static_cast<std::int32_t>(arrays.pages.size()));
    out.I32(at::kBacklogWindow, set.backlogWindow);
    out.I32(at::kBacklogFrameLayer, set.backlogFrameLayer);
    const std::int32_t voiceIcon[5] = {set.voiceIconLayer, set.voiceIconSourceX, set.voiceIconSourceY,
                                       set.voiceIconWidth, set.voiceIconHeight};
    for (std::size_t i = 0; i < 5; ++i) out.I32(at::kVoiceIcon + 4 * i, voiceIcon[i]);
    WriteVoices(out.Sub(at::kPendingVoices), set.pendingVoices);

    out.I32(at::kButtonCount, static_cast<std::int32_t>(arrays.buttons.size()));
    out.I32(at::kButtonLayer, set.buttonLayer);
    out.I32(at::kSpaceKeyButton, set.spaceKeyButton);
    out.I32(at::kWheelButton, set.wheelButton);

    out.I32(at::kAreaCount, static_cast<std::int32_t>(arrays.areas.size()));
    if (!arrays.areas.empty()) {
        out.I32(at::kMapLayer, set.mapLayer);
        out.I32(at::kMapHoverChannel, set.mapHoverChannel);
        out.I32(at::kMapClickChannel, set.mapClickChannel);
        out.Text(at::kMapHoverSound, kNameField, set.mapHoverSound);
        out.Text(at::kMapClickSound, kNameField, set.mapClickSound);
    }
    out.I32(at::kChoiceCount, static_cast<std::int32_t>(arrays.choices.size()));
    if (!arrays.choices.empty()) out.Text(at::kChoiceText, kNameField, set.choiceText);

    for (std::size_t i = 0; i < kClickWaitIconCount; ++i) {
        const ClickWaitIconRecord& icon = set.icons[i];
        const FieldWriter record = out.Sub(at::kIcons + kIconRecordSize * i);
        const std::int32_t words[8] = {icon.layer, icon.x, icon.y, icon.sourceX, icon.sourceY,
                                       icon.width, icon.height, icon.frameCount};
        for (std::size_t w = 0; w < 8; ++w) record.I32(4 * w, words[w]);
        record.U32(32, icon.intervalMs);
        record.U8(36, icon.enabled);
    }
}

// The counts of the fixed block, which size the arrays.
struct BlockCounts {
    std::int32_t variables[kVarBankCount] = {};
    std::int32_t pictures = 0, masks = 0, channels = 0, windows = 0, pages = 0, buttons = 0, areas = 0, choices = 0;
};

bool ReadFixedBlock(const FieldReader& in, DataSet& set, BlockCounts& counts) {
    set.caption = in.Text(at::kCaption, kNameField);
    set.secondCaption = in.Text(at::kSecondCaption, kNameField);
    set.screenWidth = in.I32(at::kScreenWidth);
    set.screenHeight = in.I32(at::kScreenHeight);
    set.reserved = in.I32(at::kReserved);
    set.effectRunning = in.U8(at::kEffectRunning);
    set.scriptRunsOn = in.U8(at::kScriptRunsOn);
    counts.windows = in.I32(at::kWindowCount);
    counts.channels = in.I32(at::kChannelCount);
    set.streamPackCount = in.I32(at::kStreamPackCount);
    set.op = ReadOpState(in.Sub(at::kOp));
    set.opSaveTop = in.I32(at::kOpSaveTop);
    for (std::size_t i = 0; i < kOpSaveDepth; ++i) set.opSave[i] = ReadOpState(in.Sub(at::kOpSave + kOpStateSize * i));
    set.rightClickEnabled = in.U8(at::kRightClick);
    set.skipMode = in.U8(at::kSkipMode);
    set.voicedWindow = in.I32(at::kVoicedWindow);
    counts.pictures = in.I32(at::kPictureCount);
    counts.masks = in.I32(at::kMaskCount);
    for (std::size_t i = 0; i < set.brightness.size(); ++i) set.brightness[i] = in.I32(at::kBrightness + 4 * i);
    set.effectIntervalMs = in.U32(at::kEffectInterval);

    VmPart& vm = set.vm;
    vm.scriptName = in.Text(at::kScriptName, kNameField);
    for (std::size_t i = 0; i < vm.stack.size(); ++i) {
        vm.stack[i] = {in.U32(at::kStack + 8 * i), in.U32(at::kStack + 8 * i + 4)};
    }
    vm.stackTop = in.I32(at::kStackTop);
    for (std::size_t i = 0; i < vm.callFrames.size(); ++i) {
        VmCallFrame& frame = vm.callFrames[i];
        const FieldReader record = in.Sub(at::kCallFrames + kCallFrameSize * i);
        const std::string name = record.Text(0, sizeof frame.scriptName);
        frame = VmCallFrame{};
        std::memcpy(frame.scriptName, name.data(), name.size());
        frame.pc = record.U32(128);
        frame.interruption = record.U8(132);
    }
    vm.callDepth = in.I32(at::kCallDepth);
    vm.pc = in.I32(at::kPc);
    for (std::size_t i = 0; i < kVarBankCount; ++i) counts.variables[i] = in.I32(at::kVariableCounts + 4 * i);
    vm.fixedCounts = {counts.variables[3], counts.variables[4], counts.variables[5], counts.variables[6],
                      counts.variables[7]};

    counts.pages = in.I32(at::kPageCount);
    set.backlogWindow = in.I32(at::kBacklogWindow);
    set.backlogFrameLayer = in.I32(at::kBacklogFrameLayer);
    std::int32_t* voiceIcon[5] = {&set.voiceIconLayer, &set.voiceIconSourceX, &set.voiceIconSourceY,
                                  &set.voiceIconWidth, &set.voiceIconHeight};
    for (std::size_t i = 0; i < 5; ++i) *voiceIcon[i] = in.I32(at::kVoiceIcon + 4 * i);
    set.pendingVoices = ReadVoices(in.Sub(at::kPendingVoices));

    counts.buttons = in.I32(at::kButtonCount);
    set.buttonLayer = in.I32(at::kButtonLayer);
    set.spaceKeyButton = in.I32(at::kSpaceKeyButton);
    set.wheelButton = in.I32(at::kWheelButton);

    counts.areas = in.I32(at::kAreaCount);
    set.mapLayer = in.I32(at::kMapLayer);
    set.mapHoverChannel = in.I32(at::kMapHoverChannel);
    set.mapClickChannel = in.I32(at::kMapClickChannel);
    set.mapHoverSound = in.Text(at::kMapHoverSound, kNameField);
    set.mapClickSound = in.Text(at::kMapClickSound, kNameField);
    counts.choices = in.I32(at::kChoiceCount);
    set.choiceText = in.Text(at::kChoiceText, kNameField);

    for (std::size_t i = 0; i < kClickWaitIconCount; ++i) {
        ClickWaitIconRecord& icon = set.icons[i];
        const FieldReader record = in.Sub(at::kIcons + kIconRecordSize * i);
        std::int32_t* words[8] = {&icon.layer, &icon.x, &icon.y, &icon.sourceX, &icon.sourceY,
                                  &icon.width, &icon.height, &icon.frameCount};
        for (std::size_t w = 0; w < 8; ++w) *words[w] = record.I32(4 * w);
        icon.intervalMs = record.U32(32);
        icon.enabled = record.U8(36);
    }

    // The stacks and the operations are used as indexes as soon as the game runs on.
    auto within = [](std::int32_t value, std::int32_t size) { return value >= -1 && value < size; };
    auto isOperation = [](const OpState& op) { return op.operation < kFirstPhaseEntry; };
    bool sound = within(vm.stackTop, VmState::kValueStackSize) && within(vm.callDepth, VmState::kCallStackSize) &&
                 within(set.opSaveTop, kOpSaveDepth) && isOperation(set.op);
    for (std::int32_t i = 0; sound && i <= set.opSaveTop; ++i) sound = isOperation(set.opSave[static_cast<std::size_t>(i)]);
    return sound;
}

// ---- the array records ----

void WriteLayer(const FieldWriter& out, const LayerRecord& layer) {
    const std::int32_t words[7] = {layer.maskIndex, layer.x, layer.y, layer.sourceX, layer.sourceY, layer.width, layer.height};
    for (std::size_t i = 0; i < 7; ++i) out.I32(4 * i, words[i]);
    out.Text(28, kNameField, layer.name);
    out.I32(92, layer.drawMode);
    out.I32(96, layer.drawParameter);
    out.U8(100, layer.visible);
    out.U8(101, layer.hiddenOnView);
}

LayerRecord ReadLayer(const FieldReader& in) {
    LayerRecord layer;
    std::int32_t* words[7] = {&layer.maskIndex, &layer.x, &layer.y, &layer.sourceX, &layer.sourceY, &layer.width, &layer.height};
    for (std::size_t i = 0; i < 7; ++i) *words[i] = in.I32(4 * i);
    layer.name = in.Text(28, kNameField);
    layer.drawMode = in.I32(92);
    layer.drawParameter = in.I32(96);
    layer.visible = in.U8(100);
    layer.hiddenOnView = in.U8(101);
    return layer;
}

void WriteChannel(const FieldWriter& out, const ChannelRecord& channel) {
    out.I32(0, channel.packIndex);
    out.I32(4, channel.baseVolume);
    out.Text(8, kNameField, channel.name);
    out.U8(72, channel.streaming);
    out.U8(73, channel.looping);
}

ChannelRecord ReadChannel(const FieldReader& in) {
    return {in.I32(0), in.I32(4), in.Text(8, kNameField), in.U8(72), in.U8(73)};
}

void WriteWindow(const FieldWriter& out, const WindowRecord& window) {
    out.U32(0, window.charIntervalMs);
    WriteRect(out.Sub(4), window.window);
    WriteRect(out.Sub(20), window.text);
    const std::int32_t words[6] = {window.cursorX,  window.cursorY,     window.readIndex,
                                   window.textLength, window.lineSpacing, window.charSpacing};
    for (std::size_t i = 0; i < 6; ++i) out.I32(36 + 4 * i, words[i]);
    out.Text(60, kPageTextField, window.pageText);
    out.Text(1084, kPageTextField, window.textBuffer);
    out.Text(2108, kNameField, window.voiceName);
    out.I32(2172, window.voiceChannel);
    out.I32(2176, window.shadowX);
    out.I32(2180, window.shadowY);
    out.U8(2184, window.halfWidth);
    out.U8(2185, window.shadow);
    out.U8(2186, window.bracketIndent);
    out.I32(2188, window.bracketDepth);
    out.U8(2192, window.hanging);
    out.U8(2193, window.history);
    out.U8(2194, window.instant);
    for (std::size_t i = 0; i < 3; ++i) {
        out.U8(2195 + i, window.textColour[i]);
        out.U8(2198 + i, window.shadowColour[i]);
    }
    out.U32(2204, window.rendererKind);
    out.I32(2208, window.fontHeight);
    out.I32(2212, window.fontWeight);
    out.Text(2216, kNameField, window.faceName);
    out.U8(2280, window.greyGlyphs);
    out.U8(2281, window.placement);
    out.U8(2282, window.italic);
    out.U8(2283, window.underline);
    out.U8(2284, window.strikeOut);
}

WindowRecord ReadWindow(const FieldReader& in) {
    WindowRecord window;
    window.charIntervalMs = in.U32(0);
    window.window = ReadRect(in.Sub(4));
    window.text = ReadRect(in.Sub(20));
    std::int32_t* words[6] = {&window.cursorX,    &window.cursorY,     &window.readIndex,
                              &window.textLength, &window.lineSpacing, &window.charSpacing};
    for (std::size_t i = 0; i < 6; ++i) *words[i] = in.I32(36 + 4 * i);
    window.pageText = in.Text(60, kPageTextField);
    window.textBuffer = in.Text(1084, kPageTextField);
    window.voiceName = in.Text(2108, kNameField);
    window.voiceChannel = in.I32(2172);
    window.shadowX = in.I32(2176);
    window.shadowY = in.I32(2180);
    window.halfWidth = in.U8(2184);
    window.shadow = in.U8(2185);
    window.bracketIndent = in.U8(2186);
    window.bracketDepth = in.I32(2188);
    window.hanging = in.U8(2192);
    window.history = in.U8(2193);
    window.instant = in.U8(2194);
    for (std::size_t i = 0; i < 3; ++i) {
        window.textColour[i] = in.U8(2195 + i);
        window.shadowColour[i] = in.U8(2198 + i);
    }
    window.rendererKind = in.U32(2204);
    window.fontHeight = in.I32(2208);
    window.fontWeight = in.I32(2212);
    window.faceName = in.Text(2216, kNameField);
    window.greyGlyphs = in.U8(2280);
    window.placement = in.U8(2281);
    window.italic = in.U8(2282);
    window.underline = in.U8(2283);
    window.strikeOut = in.U8(2284);
    return window;
}

void WritePage(const FieldWriter& out, const PageRecord& page) {
    out.U32(0, page.window);
    out.Text(4, kPageTextField, page.text);
    WriteVoices(out.Sub(1028), page.voices);
}

PageRecord ReadPage(const FieldReader& in) {
    return {in.U32(0), in.Text(4, kPageTextField), ReadVoices(in.Sub(1028))};
}

void WriteButton(const FieldWriter& out, const ButtonRecord& button) {
    const std::int32_t words[10] = {button.x,    button.y,    button.sourceX,  button.sourceY,  button.width,
                                    button.height, button.hitX, button.hitY, button.hitWidth, button.hitHeight};
    for (std::size_t i = 0; i < 10; ++i) out.I32(4 * i, words[i]);
    out.U8(40, button.enabled);
    out.U8(41, button.visible);
    out.U8(42, button.shortcutKey);
    out.Text(43, kButtonScriptField, button.script);
    out.I32(108, button.hoverChannel);
    out.I32(112, button.clickChannel);
    out.Text(116, kNameField, button.hoverSound);
    out.Text(180, kNameField, button.clickSound);
}

ButtonRecord ReadButton(const FieldReader& in) {
    ButtonRecord button;
    std::int32_t* words[10] = {&button.x,    &button.y,    &button.sourceX,  &button.sourceY,  &button.width,
                               &button.height, &button.hitX, &button.hitY, &button.hitWidth, &button.hitHeight};
    for (std::size_t i = 0; i < 10; ++i) *words[i] = in.I32(4 * i);
    button.enabled = in.U8(40);
    button.visible = in.U8(41);
    button.shortcutKey = in.U8(42);
    button.script = in.Text(43, kButtonScriptField);
    button.hoverChannel = in.I32(108);
    button.clickChannel = in.I32(112);
    button.hoverSound = in.Text(116, kNameField);
    button.clickSound = in.Text(180, kNameField);
    return button;
}

// The area's sixteen words in their stored order.
template <typename Area>
auto AreaWords(Area& area) {
    return std::array{&area.x,        &area.y,        &area.hitWidth,     &area.hitHeight,     &area.srcX,     &area.srcY,
                      &area.width,    &area.height,   &area.chipX,        &area.chipY,         &area.chipHitWidth,
                      &area.chipHitHeight, &area.chipSrcX, &area.chipSrcY, &area.chipWidth, &area.chipHeight};
}

void WriteArea(const FieldWriter& out, const AreaRecord& area) {
    const auto words = AreaWords(area);
    for (std::size_t i = 0; i < words.size(); ++i) out.I32(4 * i, *words[i]);
    out.U8(64, area.enabled);
}

AreaRecord ReadArea(const FieldReader& in) {
    AreaRecord area;
    const auto words = AreaWords(area);
    for (std::size_t i = 0; i < words.size(); ++i) *words[i] = in.I32(4 * i);
    area.enabled = in.U8(64);
    return area;
}

void WriteChoice(const FieldWriter& out, const ChoiceRecord& choice) {
    WriteRect(out, {choice.x, choice.y, choice.width, choice.height});
    out.Text(16, kNameField, choice.text);
}

ChoiceRecord ReadChoice(const FieldReader& in) {
    const RectRecord rect = ReadRect(in);
    return {rect.x, rect.y, rect.width, rect.height, in.Text(16, kNameField)};
}

// Appends the records, each in its own zeroed stretch.
template <typename Record, typename Write>
void AppendRecords(std::vector<std::uint8_t>& blob, const std::vector<Record>& records, std::size_t size, Write write) {
    for (const Record& record : records) {
        const std::size_t start = blob.size();
        blob.resize(start + size);
        write(FieldWriter{blob.data() + start}, record);
    }
}

// Reads count records of size bytes each from the cursor on; false when they do not fit.
template <typename Record, typename Read>
bool TakeRecords(std::span<const std::uint8_t> blob, std::size_t& cursor, std::int32_t count, std::size_t size,
                 bool& ok, std::vector<Record>& records, Read read) {
    if (count < 0 || static_cast<std::uint64_t>(count) * size > blob.size() - cursor) return false;
    records.clear();
    records.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i, cursor += size) records.push_back(read(FieldReader{blob.data() + cursor, &ok}));
    return ok;
}

}  // namespace

std::string FitField(std::string_view text, std::size_t fieldSize) {
    if (fieldSize == 0) return {};
    return std::string(CutBetweenCharacters(text, fieldSize - 1));
}

std::uint64_t BlobSize(const DataSetArrays& arrays) {
    std::uint64_t size = kSaveHeaderSize + kDataSetSize;
    size += 4 * static_cast<std::uint64_t>(arrays.aInts.size()) + arrays.aBytes.size();
    for (const auto& text : arrays.aStrings) size += 4 + static_cast<std::uint64_t>(text.size());
    size += kLayerRecordSize * 2 * static_cast<std::uint64_t>(arrays.pictureWorking.size() + arrays.maskWorking.size());
    size += kChannelRecordSize * static_cast<std::uint64_t>(arrays.channels.size());
    size += kWindowRecordSize * static_cast<std::uint64_t>(arrays.windows.size());
    size += kPageRecordSize * static_cast<std::uint64_t>(arrays.pages.size());
    size += kButtonRecordSize * static_cast<std::uint64_t>(arrays.buttons.size());
    size += kAreaRecordSize * static_cast<std::uint64_t>(arrays.areas.size());
    size += kChoiceRecordSize * static_cast<std::uint64_t>(arrays.choices.size());
    return size;
}

std::vector<std::uint8_t> EncodeBlob(const DataSetSnapshot& snapshot) {
    const DataSetArrays& arrays = snapshot.arrays;
    std::vector<std::uint8_t> blob(kSaveHeaderSize + kDataSetSize, 0);
    blob.reserve(static_cast<std::size_t>(BlobSize(arrays)));

    const FieldWriter header{blob.data()};
    std::memcpy(blob.data() + 4, snapshot.header.version.data(), kVersionFieldSize);
    header.Text(20, kTitleField, snapshot.header.title);
    header.Text(53, kDateField, snapshot.header.date);
    WriteFixedBlock(FieldWriter{blob.data() + kSaveHeaderSize}, snapshot.set, arrays);

    for (std::int32_t value : arrays.aInts) AppendLe32(blob, static_cast<std::uint32_t>(value));
    blob.insert(blob.end(), arrays.aBytes.begin(), arrays.aBytes.end());
    for (const auto& text : arrays.aStrings) {
        AppendLe32(blob, static_cast<std::uint32_t>(text.size()));
        blob.insert(blob.end(), text.begin(), text.end());
    }
    // Shown arrays are as long as their working arrays.
    auto shown = [](const std::vector<LayerRecord>& records, std::size_t size) {
        std::vector<LayerRecord> fitted = records;
        fitted.resize(size);
        return fitted;
    };
    AppendRecords(blob, arrays.pictureWorking, kLayerRecordSize, WriteLayer);
    AppendRecords(blob, shown(arrays.pictureShown, arrays.pictureWorking.size()), kLayerRecordSize, WriteLayer);
    AppendRecords(blob, arrays.maskWorking, kLayerRecordSize, WriteLayer);
    AppendRecords(blob, shown(arrays.maskShown, arrays.maskWorking.size()), kLayerRecordSize, WriteLayer);
    AppendRecords(blob, arrays.channels, kChannelRecordSize, WriteChannel);
    AppendRecords(blob, arrays.windows, kWindowRecordSize, WriteWindow);
    AppendRecords(blob, arrays.pages, kPageRecordSize, WritePage);
    AppendRecords(blob, arrays.buttons, kButtonRecordSize, WriteButton);
    AppendRecords(blob, arrays.areas, kAreaRecordSize, WriteArea);
    AppendRecords(blob, arrays.choices, kChoiceRecordSize, WriteChoice);

    WriteLe32(blob.data(), static_cast<std::uint32_t>(blob.size()));
    return blob;
}

bool DecodeBlob(std::span<const std::uint8_t> blob, DataSetSnapshot& snapshot) {
    if (blob.size() < kSaveHeaderSize + kDataSetSize) return false;
    bool ok = true;
    const FieldReader header{blob.data(), &ok};
    snapshot.header.totalSize = header.U32(0);
    std::memcpy(snapshot.header.version.data(), blob.data() + 4, kVersionFieldSize);
    snapshot.header.title = header.Text(20, kTitleField);
    snapshot.header.date = header.Text(53, kDateField);
    if (snapshot.header.totalSize != blob.size()) return false;

    BlockCounts counts;
    if (!ReadFixedBlock(FieldReader{blob.data() + kSaveHeaderSize, &ok}, snapshot.set, counts) || !ok) return false;

    DataSetArrays& arrays = snapshot.arrays;
    std::size_t cursor = kSaveHeaderSize + kDataSetSize;
    auto remaining = [&] { return blob.size() - cursor; };
    const std::int32_t intCount = counts.variables[0], byteCount = counts.variables[1], stringCount = counts.variables[2];
    if (intCount < 0 || byteCount < 0 || stringCount < 0) return false;
    if (4 * static_cast<std::uint64_t>(intCount) + static_cast<std::uint64_t>(byteCount) > remaining()) return false;
    arrays.aInts.resize(static_cast<std::size_t>(intCount));
    for (std::int32_t& value : arrays.aInts) {
        value = static_cast<std::int32_t>(ReadLe32(blob.data() + cursor));
        cursor += 4;
    }
    arrays.aBytes.assign(blob.begin() + static_cast<std::ptrdiff_t>(cursor),
                         blob.begin() + static_cast<std::ptrdiff_t>(cursor + static_cast<std::size_t>(byteCount)));
    cursor += static_cast<std::size_t>(byteCount);
    if (4 * static_cast<std::uint64_t>(stringCount) > remaining()) return false;
    arrays.aStrings.assign(static_cast<std::size_t>(stringCount), {});
    for (auto& text : arrays.aStrings) {
        if (remaining() < 4) return false;
        const std::uint32_t length = ReadLe32(blob.data() + cursor);
        cursor += 4;
        if (length > remaining()) return false;
        text.assign(blob.begin() + static_cast<std::ptrdiff_t>(cursor),
                    blob.begin() + static_cast<std::ptrdiff_t>(cursor + length));
        cursor += length;
    }

    const bool read =
        TakeRecords(blob, cursor, counts.pictures, kLayerRecordSize, ok, arrays.pictureWorking, ReadLayer) &&
        TakeRecords(blob, cursor, counts.pictures, kLayerRecordSize, ok, arrays.pictureShown, ReadLayer) &&
        TakeRecords(blob, cursor, counts.masks, kLayerRecordSize, ok, arrays.maskWorking, ReadLayer) &&
        TakeRecords(blob, cursor, counts.masks, kLayerRecordSize, ok, arrays.maskShown, ReadLayer) &&
        TakeRecords(blob, cursor, counts.channels, kChannelRecordSize, ok, arrays.channels, ReadChannel) &&
        TakeRecords(blob, cursor, counts.windows, kWindowRecordSize, ok, arrays.windows, ReadWindow) &&
        TakeRecords(blob, cursor, counts.pages, kPageRecordSize, ok, arrays.pages, ReadPage) &&
        TakeRecords(blob, cursor, counts.buttons, kButtonRecordSize, ok, arrays.buttons, ReadButton) &&
        TakeRecords(blob, cursor, counts.areas, kAreaRecordSize, ok, arrays.areas, ReadArea) &&
        TakeRecords(blob, cursor, counts.choices, kChoiceRecordSize, ok, arrays.choices, ReadChoice);
    // The map's and the list's fields mean something only while they have areas and choices.
    if (arrays.areas.empty()) {
        snapshot.set.mapLayer = snapshot.set.mapHoverChannel = snapshot.set.mapClickChannel = 0;
        snapshot.set.mapHoverSound.clear();
        snapshot.set.mapClickSound.clear();
    }
    if (arrays.choices.empty()) snapshot.set.choiceText.clear();
    return read && ok && cursor == blob.size();
}

void ScrambleBlob(std::span<std::uint8_t> blob) {
    for (std::size_t i = 0; i < blob.size(); ++i) blob[i] ^= static_cast<std::uint8_t>(i % 255);
}

}  // namespace kv
