// The game-state part of a data set.

#include <cstring>

#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "script/save/data_set_codec.h"
#include "script/save/data_set_parts.h"
#include "script/save/save_captures.h"

namespace kv {

namespace {
std::string FieldText(const char (&field)[64]) { return FitField(std::string_view(field, sizeof field), kNameField); }

void SetFieldText(char (&field)[64], const std::string& text) {
    std::memset(field, 0, sizeof field);
    const std::string fitted = FitField(text, sizeof field);
    std::memcpy(field, fitted.data(), fitted.size());
}
}  // namespace

void CaptureGameState(DataSet& set) {
    const GameState& state = g_gameState;
    set.caption = FieldText(state.caption);
    set.secondCaption = FieldText(state.secondCaption);
    set.screenWidth = state.screenWidth;
    set.screenHeight = state.screenHeight;
    set.reserved = state.reserved;
    set.effectRunning = state.effectRunning;
    set.scriptRunsOn = state.scriptRunsOn;
    set.streamPackCount = state.streamPackCount;
    set.op = state.op;
    set.opSaveTop = state.opSaveTop;
    std::copy(std::begin(state.opSave), std::end(state.opSave), set.opSave.begin());
    // Whether the right click may interrupt belongs to the game that was interrupted.
    set.rightClickEnabled = g_saveCaptures ? g_saveCaptures->vm.rightClickEnabled : 0;
    set.skipMode = state.skipMode;
    set.voicedWindow = state.voicedWindow;
}

void RestoreGameState(const DataSetSnapshot& snapshot) {
    const DataSet& set = snapshot.set;
    GameState& state = g_gameState;
    SetFieldText(state.caption, set.caption);
    SetFieldText(state.secondCaption, set.secondCaption);
    // The title bar shows the loaded scene's caption, not the one of the scene it replaces.
    if (g_mainWindow) g_mainWindow->ShowCaption(std::string_view(state.caption, strnlen(state.caption, sizeof state.caption)));
    state.screenWidth = set.screenWidth;
    state.screenHeight = set.screenHeight;
    state.reserved = set.reserved;
    state.effectRunning = set.effectRunning;
    state.scriptRunsOn = set.scriptRunsOn;
    state.messageWindowCount = static_cast<std::int32_t>(snapshot.arrays.windows.size());
    state.soundChannelCount = static_cast<std::int32_t>(snapshot.arrays.channels.size());
    state.streamPackCount = set.streamPackCount;
    state.op = set.op;
    state.opSaveTop = set.opSaveTop;
    std::copy(set.opSave.begin(), set.opSave.end(), std::begin(state.opSave));
    state.rightClickEnabled = set.rightClickEnabled;
    state.skipMode = set.skipMode;
}

}  // namespace kv
