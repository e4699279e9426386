#pragma once
// The engine's long-lived objects, one pointer each. Start-up (app/init_game.cpp) makes them and
// shut-down (app/shutdown_game.cpp) deletes them, each in its fixed order; a pointer is null
// until its object is made and again after it is deleted.

#include "app/globals/game_state.h"

namespace kv {

class AppEnv;
class DisplayMode;
class GameWindow;
class VmState;

extern DisplayMode* g_displayMode;
extern AppEnv* g_appEnv;
extern GameWindow* g_mainWindow;
extern VmState* g_vm;

// Static block, zeroed by start-up.
extern GameState g_gameState;

}  // namespace kv
