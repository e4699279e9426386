#pragma once
// What the waits for the player ask of parts of the engine built beside them: the system buttons
// that may interrupt a wait, and the message history that keeps each finished page and the
// voices spoken on it. Each part fills its line in player_hooks.cpp; an empty line means the part
// is not there, and the wait goes on without it.

#include <cstdint>
#include <string_view>

namespace kv {

struct PlayerHooks {
    // The system buttons' test, once a frame of the message click wait, a choice menu and the
    // backlog view: true when a button was pressed and its script is now loaded (the caller then
    // returns 1 at once; the interrupted operation waits on the op-save stack).
    bool (*processSystemButton)() = nullptr;
    // A finished page of a window whose history flag is set, codes included.
    void (*addHistoryPage)(std::int32_t window, std::string_view pageText) = nullptr;
    // A voice started on the page being shown: where its message began (the window's cursor x,
    // and cursor y less the text rectangle's top), its name, and the buffer's volume and pan.
    // False when the page holds as many voices as it may (the voice is not kept).
    bool (*addHistoryVoice)(std::int32_t x, std::int32_t y, std::string_view name, std::int32_t volume,
                            std::int32_t pan) = nullptr;
};

const PlayerHooks& Hooks();
// For tests: puts other hooks in place and returns the registered ones; the caller puts them back.
PlayerHooks ReplaceHooks(const PlayerHooks& hooks);

// The hooks called when they are there.
bool ProcessSystemButton();
void AddHistoryPage(std::int32_t window, std::string_view pageText);
bool AddHistoryVoice(std::int32_t x, std::int32_t y, std::string_view name, std::int32_t volume, std::int32_t pan);

}  // namespace kv
