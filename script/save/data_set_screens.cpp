// The screens' parts of a data set: message windows, the message history, the system buttons,
// the clickable map, the choice list and the click-wait icons. Each step is empty until its
// screen is built; the screen fills its own pair here when it lands, from the record layouts in
// script/save/data_set.h.

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "app/globals/globals.h"
#include "script/save/data_set_codec.h"
#include "script/save/data_set_parts.h"
#include "script/save/save_captures.h"
#include "script/screens/backlog_view.h"
#include "script/screens/choice_list.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/clickable_map.h"
#include "script/screens/message_history.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/screens/system_buttons.h"

namespace kv {

// ---- message windows ----
namespace {

RectRecord ToRecord(const PixelRect& rect) { return {rect.x, rect.y, rect.width, rect.height}; }
PixelRect FromRecord(const RectRecord& rect) { return {rect.x, rect.y, rect.width, rect.height}; }
std::array<std::uint8_t, 3> ToRecord(const TextRgb& colour) { return {colour.red, colour.green, colour.blue}; }
TextRgb FromRecord(const std::array<std::uint8_t, 3>& colour) { return {colour[0], colour[1], colour[2]}; }

WindowRecord ToRecord(const MessageWindow& window) {
    const LogicalFont& font = window.font.logicalFont;
    WindowRecord record;
    record.charIntervalMs = window.charTimer.Interval();
    record.window = ToRecord(window.windowRect);
    record.text = ToRecord(window.textRect);
    record.cursorX = window.cursorX;
    record.cursorY = window.cursorY;
    record.readIndex = window.readIndex;
    record.textLength = window.textLength;
    record.lineSpacing = window.lineSpacing;
    record.charSpacing = window.charSpacing;
    record.pageText = FitField(window.pageText, kPageTextField);
    record.textBuffer = FitField(std::string_view(window.text, strnlen(window.text, sizeof window.text)), kPageTextField);
    record.voiceName = FitField(window.voiceName, kNameField);
    record.voiceChannel = window.voiceChannel;
    record.shadowX = window.shadowOffsetX;
    record.shadowY = window.shadowOffsetY;
    record.halfWidth = window.halfWidth;
    record.shadow = window.shadow;
    record.bracketIndent = window.bracketIndent;
    record.bracketDepth = window.bracketDepth;
    record.hanging = window.hanging;
    record.history = window.history;
    record.instant = window.instant;
    record.textColour = ToRecord(window.textColour);
    record.shadowColour = ToRecord(window.shadowColour);
    record.rendererKind = window.rendererKind;
    record.fontHeight = font.height;
    record.fontWeight = font.weight;
    record.faceName = FitField(font.faceName, kNameField);
    record.greyGlyphs = window.font.glyphFormat == kGlyphFormatGrey;
    record.placement = window.font.placeByBlackBoxBottom;
    record.italic = font.italic == 1;
    record.underline = font.underline == 1;
    record.strikeOut = font.strikeOut == 1;
    return record;
}

// In the order the window's own operations would set the fields: the text before its read
// position, the renderer kind before the renderer starts, the font before the surfaces.
void FromRecord(MessageWindow& window, const WindowRecord& record) {
    window.windowRect = FromRecord(record.window);
    window.textRect = FromRecord(record.text);
    window.cursorX = record.cursorX;
    window.cursorY = record.cursorY;
    window.lineSpacing = record.lineSpacing;
    window.charSpacing = record.charSpacing;
    window.pageText = record.pageText;
    if (record.textBuffer.empty() || !window.PutText(record.textBuffer)) window.text[0] = '\0';
    window.readIndex = record.readIndex;
    window.textLength = record.textLength;
    window.voiceName = record.voiceName;
    window.voiceChannel = record.voiceChannel;
    window.shadowOffsetX = record.shadowX;
    window.shadowOffsetY = record.shadowY;
    window.halfWidth = record.halfWidth != 0;
    window.shadow = record.shadow != 0;
    window.bracketIndent = record.bracketIndent != 0;
    window.bracketDepth = record.bracketDepth;
    window.hanging = record.hanging != 0;
    window.history = record.history != 0;
    window.instant = record.instant != 0;
    window.textColour = FromRecord(record.textColour);
    window.shadowColour = FromRecord(record.shadowColour);
    window.rendererKind = record.rendererKind;
    window.Begin();
    LogicalFont& font = window.font.logicalFont;
    font.height = record.fontHeight;
    font.weight = record.fontWeight;
    font.SetFaceName(record.faceName);
    window.font.glyphFormat = record.greyGlyphs == 1 ? kGlyphFormatGrey : kGlyphFormatMono;
    window.font.placeByBlackBoxBottom = record.placement != 0;
    font.italic = record.italic == 1 ? 1 : 0;
    font.underline = record.underline == 1 ? 1 : 0;
    font.strikeOut = record.strikeOut == 1 ? 1 : 0;
    window.BuildSurfaces();
    // The text speed the script set: without it the rest of the page would run at the default.
    window.charTimer.Start(record.charIntervalMs);
    window.lineHasText = window.cursorX > window.textRect.x;
}

}  // namespace

void CaptureMessageWindows(DataSetArrays& arrays) {
    for (std::int32_t i = 0; i < g_gameState.messageWindowCount; ++i) {
        if (const MessageWindow* window = MessageWindowAt(i)) arrays.windows.push_back(ToRecord(*window));
    }
}

void RestoreMessageWindows(const DataSetArrays& arrays) {
    AllocMessageWindows(static_cast<std::int32_t>(arrays.windows.size()));
    for (std::int32_t i = 0; i < g_gameState.messageWindowCount; ++i) {
        FromRecord(*MessageWindowAt(i), arrays.windows[static_cast<std::size_t>(i)]);
    }
}

// ---- message history ----
namespace {

// Slots past the count hold what an emptied block holds: no position, no name.
VoiceBlock ToRecord(const std::vector<HistoryVoice>& voices) {
    VoiceBlock block;
    block.positions.fill({-1, -1});
    const std::size_t count = std::min<std::size_t>(voices.size(), kVoiceSlots);
    block.count = static_cast<std::int32_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        block.volumes[i] = voices[i].volume;
        block.pans[i] = voices[i].pan;
        block.positions[i] = {voices[i].x, voices[i].y};
        block.names[i] = FitField(voices[i].name, kNameField);
    }
    return block;
}

std::vector<HistoryVoice> FromRecord(const VoiceBlock& block) {
    std::vector<HistoryVoice> voices;
    const auto count = static_cast<std::size_t>(std::clamp<std::int32_t>(block.count, 0, kVoiceSlots));
    for (std::size_t i = 0; i < count; ++i) {
        voices.push_back({block.positions[i].x, block.positions[i].y, block.names[i], block.volumes[i], block.pans[i]});
    }
    return voices;
}

}  // namespace

void CaptureHistory(DataSet& set, DataSetArrays& arrays) {
    const MessageHistory* history = g_messageHistory;
    if (history == nullptr) return;
    for (std::int32_t i = 0; i < history->PageCount(); ++i) {
        const HistoryPage* page = history->FromNewest(i);
        arrays.pages.push_back({page->window, FitField(page->text, kPageTextField), ToRecord(page->voices)});
    }
    set.backlogWindow = history->backlogWindow;
    set.backlogFrameLayer = history->backlogFrameLayer;
    set.voiceIconLayer = history->voiceIcon.layer;
    set.voiceIconSourceX = history->voiceIcon.sourceX;
    set.voiceIconSourceY = history->voiceIcon.sourceY;
    set.voiceIconWidth = history->voiceIcon.width;
    set.voiceIconHeight = history->voiceIcon.height;
    set.pendingVoices = ToRecord(history->PendingVoices());
}

// The pages go back oldest first, each taking its voices through the pending block, as they
// came in; the windows were made anew, so the view keeps no page of theirs.
void RestoreHistory(const DataSet& set, const DataSetArrays& arrays) {
    MessageHistory* history = g_messageHistory;
    ForgetBacklogWindowPage();
    if (history == nullptr) return;
    history->Clear();
    for (auto page = arrays.pages.rbegin(); page != arrays.pages.rend(); ++page) {
        history->SetPendingVoices(FromRecord(page->voices));
        history->AddHistoryPage(page->window, page->text);
    }
    history->backlogWindow = set.backlogWindow;
    history->backlogFrameLayer = set.backlogFrameLayer;
    history->voiceIcon = {set.voiceIconLayer, set.voiceIconSourceX, set.voiceIconSourceY, set.voiceIconWidth,
                          set.voiceIconHeight};
    history->SetPendingVoices(FromRecord(set.pendingVoices));
}

// ---- system buttons: the record is the capture's (CaptureSystemButtons) ----
void CaptureButtons(DataSet& set, DataSetArrays& arrays) {
    if (g_saveCaptures == nullptr) return;
    const ButtonCapture& capture = g_saveCaptures->buttons;
    set.buttonLayer = capture.pictureLayer;
    set.spaceKeyButton = capture.spaceKeyButton;
    set.wheelButton = capture.wheelButton;
    arrays.buttons = capture.buttons;
}

// A load always comes back to the game screen, so the buttons draw from its layers.
void RestoreButtons(const DataSet& set, const DataSetArrays& arrays) {
    if (g_systemButtons == nullptr) return;
    SystemButtonSet& buttons = *g_systemButtons;
    buttons.FreeButtons();
    buttons.AllocButtons(static_cast<std::int32_t>(arrays.buttons.size()));
    buttons.BindImage(&g_gameScreenLayers, set.buttonLayer);
    buttons.spaceKeyButton = set.spaceKeyButton;
    buttons.wheelButton = set.wheelButton;
    for (std::int32_t i = 0; i < buttons.Count(); ++i) {
        const ButtonRecord& record = arrays.buttons[static_cast<std::size_t>(i)];
        SystemButton& button = *buttons.Button(i);
        button.x = record.x;
        button.y = record.y;
        button.sourceX = record.sourceX;
        button.sourceY = record.sourceY;
        button.width = record.width;
        button.height = record.height;
        button.hitX = record.hitX;
        button.hitY = record.hitY;
        button.hitWidth = record.hitWidth;
        button.hitHeight = record.hitHeight;
        button.enabled = record.enabled;
        button.visible = record.visible;
        button.shortcutKey = record.shortcutKey;
        button.script = String(record.script.c_str());
        button.hoverChannel = record.hoverChannel;
        button.clickChannel = record.clickChannel;
        // A channel of 0 or below plays nothing: its name would only mislead.
        button.hoverSound = String(record.hoverChannel > 0 ? record.hoverSound.c_str() : "");
        button.clickSound = String(record.clickChannel > 0 ? record.clickSound.c_str() : "");
    }
}

// ---- the game screen's clickable map, whichever map is current ----
namespace {

AreaRecord ToRecord(const ClickableArea& area) {
    return {area.x,       area.y,       area.hitWidth,     area.hitHeight,     area.srcX,     area.srcY,
            area.width,   area.height,  area.chipX,        area.chipY,         area.chipHitWidth,
            area.chipHitHeight, area.chipSrcX, area.chipSrcY, area.chipWidth, area.chipHeight, area.enabled};
}

ClickableArea FromRecord(const AreaRecord& record) {
    ClickableArea area;
    area.x = record.x;
    area.y = record.y;
    area.hitWidth = record.hitWidth;
    area.hitHeight = record.hitHeight;
    area.srcX = record.srcX;
    area.srcY = record.srcY;
    area.width = record.width;
    area.height = record.height;
    area.chipX = record.chipX;
    area.chipY = record.chipY;
    area.chipHitWidth = record.chipHitWidth;
    area.chipHitHeight = record.chipHitHeight;
    area.chipSrcX = record.chipSrcX;
    area.chipSrcY = record.chipSrcY;
    area.chipWidth = record.chipWidth;
    area.chipHeight = record.chipHeight;
    area.enabled = record.enabled;
    return area;
}

}  // namespace

// The map's own fields are kept only while it has areas: an empty map stores zeros.
void CaptureClickableMap(DataSet& set, DataSetArrays& arrays) {
    const ClickableMap& map = GameScreenClickableMap();
    if (map.Count() < 1) return;
    for (std::int32_t i = 0; i < map.Count(); ++i) arrays.areas.push_back(ToRecord(*map.Area(i)));
    set.mapLayer = map.layer;
    set.mapHoverChannel = map.hoverChannel;
    set.mapClickChannel = map.clickChannel;
    set.mapHoverSound = FitField(map.hoverSound.View(), kNameField);
    set.mapClickSound = FitField(map.clickSound.View(), kNameField);
}

void RestoreClickableMap(const DataSet& set, const DataSetArrays& arrays) {
    ClickableMap& map = GameScreenClickableMap();
    map.Clear();
    map.layer = set.mapLayer;
    map.hoverChannel = set.mapHoverChannel;
    map.clickChannel = set.mapClickChannel;
    map.hoverSound = String(set.mapHoverSound.c_str());
    map.clickSound = String(set.mapClickSound.c_str());
    map.AllocAreas(static_cast<std::int32_t>(arrays.areas.size()));
    for (std::int32_t i = 0; i < map.Count(); ++i) *map.Area(i) = FromRecord(arrays.areas[static_cast<std::size_t>(i)]);
}

// ---- the choice list ----
void CaptureChoices(DataSet& set, DataSetArrays& arrays) {
    const ChoiceList& list = TheChoiceList();
    if (!list.Busy()) return;
    set.choiceText = list.GetSavedText();
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        const ChoiceItem& item = *list.GetItem(i);
        arrays.choices.push_back({item.x, item.y, item.width, item.height, item.text});
    }
}

// The window is bound again by the load, from the waiting menu's words.
void RestoreChoices(const DataSet& set, const DataSetArrays& arrays) {
    ChoiceList& list = TheChoiceList();
    list.Free();
    list.DropSuspended();
    list.Alloc(static_cast<std::int32_t>(arrays.choices.size()));
    if (list.Busy()) list.SetSavedText(set.choiceText);
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        const ChoiceRecord& record = arrays.choices[static_cast<std::size_t>(i)];
        *list.GetItem(i) = ChoiceItem{record.x, record.y, record.width, record.height, record.text};
    }
    SyncChoiceMenuShowing();
}

// ---- click-wait icons ----
void CaptureClickWaitIcons(DataSet& set) {
    for (std::int32_t i = 0; i < kClickWaitIcons; ++i) {
        const ClickWaitIcon* icon = ClickWaitIconAt(i);
        if (icon == nullptr) continue;
        set.icons[static_cast<std::size_t>(i)] = {icon->layer,  icon->x,      icon->y,
                                                  icon->sourceX, icon->sourceY, icon->width,
                                                  icon->height, icon->frameCount, icon->timer.Interval(),
                                                  static_cast<std::uint8_t>(icon->enabled ? 1 : 0)};
    }
}

void RestoreClickWaitIcons(const DataSet& set) {
    for (std::int32_t i = 0; i < kClickWaitIcons; ++i) {
        ClickWaitIcon* icon = ClickWaitIconAt(i);
        if (icon == nullptr) continue;
        const ClickWaitIconRecord& record = set.icons[static_cast<std::size_t>(i)];
        icon->layer = record.layer;
        icon->x = record.x;
        icon->y = record.y;
        icon->sourceX = record.sourceX;
        icon->sourceY = record.sourceY;
        icon->width = record.width;
        icon->height = record.height;
        icon->frameCount = record.frameCount;
        KeepFrameInStrip(*icon);
        icon->timer.Start(record.intervalMs);
        icon->enabled = record.enabled != 0;
    }
}

}  // namespace kv
