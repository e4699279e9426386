#pragma once
// The engine's long-lived objects, one pointer each. Start-up (app/init_game.cpp) makes them and
// shut-down (app/shutdown_game.cpp) deletes them, each in its fixed order; a pointer is null
// until its object is made and again after it is deleted.

#include <cstdint>

#include "app/globals/game_state.h"

namespace kv {

class AppEnv;
class ClickableMap;
class ComInitializer;
class DisplayMode;
class GameWindow;
class Input;
class LayerSet;
class MessageHistory;
class MessageWindow;
class MoviePlayer;
class PackReader;
class SaveInfo;
class SoundManager;
class Surface;
class SystemButtonSet;
class VmState;
struct DataSetSnapshot;
struct FadeEntry;
struct SaveCaptures;
struct SoundChannel;

extern DisplayMode* g_displayMode;
extern AppEnv* g_appEnv;
extern PackReader* g_mainPack;
extern PackReader* g_secondPack;
extern GameWindow* g_mainWindow;
extern Input* g_input;  // made by the script's input operation
extern VmState* g_vm;
extern MoviePlayer* g_movie;  // made by the movie operation, one movie at a time
extern SoundManager* g_soundManager;

// Made by the sound operations: soundChannelCount channel records, fades and the two per-channel
// variable tables (volume, pan) of the game state by op 45; streamPackCount pack readers by op 49.
extern SoundChannel* g_soundChannels;
extern FadeEntry* g_fades;
extern std::int32_t* g_channelVolumeVars;
extern std::int32_t* g_channelPanVars;
extern PackReader* g_streamPacks;

// Made by operation 29 (and a data-set restore): GameState::messageWindowCount windows. Reached
// by index only (script/screens/message_windows.h): the array may be made anew at any operation.
extern MessageWindow* g_messageWindows;

// The program's static objects (app/static_objects.cpp): made before start-up, deleted after
// shut-down.
extern ComInitializer* g_comInitializer;
// What the last interruption captured for a save (script/save/save_captures.h), and the data set
// that the return to the title puts back (filled by operation 91), empty until then.
extern SaveCaptures* g_saveCaptures;
extern DataSetSnapshot* g_titleData;
// The save and load slot screen (script/screens/save_slot_screen.h), empty until operation 97.
extern SaveInfo* g_saveInfo;

// The compositors of the game screen and of the right-click screen, and the one the script's
// layer operations work on (not owned; one of the two).
extern LayerSet* g_gameScreenLayers;
extern LayerSet* g_rightClickLayers;
extern LayerSet* g_currentLayers;

// The clickable map the map operations work on (not owned): one of the two static maps
// (script/screens/clickable_map.h), switched together with the current layer set.
extern ClickableMap* g_currentClickableMap;

extern SystemButtonSet* g_systemButtons;
// The finished pages of message text and their voices (script/screens/message_history.h).
extern MessageHistory* g_messageHistory;

// The screen surface is what the window shows and the compositors' target; work surface 1 is
// where layers are composed and overlays drawn; work surface 2 holds the picture before a
// screen effect; work surface 3 the composed layers without overlays. The thumbnail surface
// gets its pixels when a save thumbnail is taken.
extern Surface* g_screenSurface;
extern Surface* g_workSurface1;
extern Surface* g_workSurface2;
extern Surface* g_workSurface3;
extern Surface* g_thumbnailSurface;

// Static block, zeroed by start-up.
extern GameState g_gameState;

}  // namespace kv
