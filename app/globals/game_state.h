#pragma once
// The global engine-state block. Start-up zeroes it and sets the screen size and the empty
// op-save stack; the script operations read and write the rest. It stays a plain block (no
// constructors, no owned memory): start-up clears it with memset and the data sets copy it
// field by field.

#include <cstdint>

namespace kv {

// The current operation: what the frame dispatch calls, where a multi-frame operation stands,
// and its working words between frames.
struct OpState {
    std::uint32_t operation;    // index into the operation table
    std::uint32_t phase;        // of a multi-frame operation, 0 at its start
    std::uint32_t scratch[16];  // all 0 at the start of an operation
    std::uint32_t flag;         // low byte: redraw the message windows over every effect frame
    bool operator==(const OpState&) const = default;
};

inline constexpr int kOpSaveDepth = 8;  // nested interruptions at most

struct GameState {
    char caption[64];        // window caption text; the caption operations build on it
    char secondCaption[64];  // put between the caption and the script line; empty: first byte 0
    std::int32_t screenWidth;
    std::int32_t screenHeight;
    std::int32_t reserved;   // kept with the data sets, read by nothing

    std::uint8_t effectRunning;  // a screen effect is stepped by the frame
    std::uint8_t scriptRunsOn;   // the script goes on while the effect runs

    std::int32_t messageWindowCount;
    std::int32_t soundChannelCount;
    std::int32_t streamPackCount;

    OpState op;                       // the current operation
    std::int32_t opSaveTop;           // -1: no interrupted operation saved
    OpState opSave[kOpSaveDepth];     // the interrupted operations, innermost at opSaveTop

    std::uint8_t rightClickEnabled;  // the right click may call "RCLICK"
    std::uint8_t skipMode;
    std::uint8_t autoMode;

    // Bank-C integer indexes the player settings are bound to.
    std::int32_t windowModeVar;
    std::int32_t effectsVar;
    std::int32_t instantTextVar;
    std::int32_t skipAllVar;
    std::int32_t autoWaitVar;
    std::int32_t spareSetting;

    std::int32_t voicedWindow;     // window of the last message shown with a voice, -1 none
    std::int32_t thumbnailWidth;   // save thumbnails; 0 until the script sets them
    std::int32_t thumbnailHeight;

    // A choice menu holds its choices: the script's skip and auto-mode requests are refused
    // meanwhile. The choice menu sets it when it opens and clears it when it closes.
    std::uint8_t choiceMenuShowing;
};

void ResetGameState(GameState& state);

}  // namespace kv
