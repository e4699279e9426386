#pragma once
// The backlog view: the history's pages (script/screens/message_history.h) shown again, newest
// at the bottom, stacked upward in one message window over the scene, each voiced line with a
// voice icon that replays its voice on a click. Operations 80 to 84; operation 82 runs through
// its three phases while the player reads, pages and replays.
//
// The view lays its pages out in the backlog window itself; the window's own page (a message
// waiting for its click when a system button opened the view) is kept aside and put back when
// the view closes.

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/surface.h"

namespace kv {

// One voice icon the view shows: where it stands on the screen and the voice it replays.
struct VoiceIcon {
    PixelRect rect;
    std::int32_t volume = 0;
    std::int32_t pan = 0;
    std::string name;
};

// 80 SetBacklogWindow (frame layer, window).
std::uint32_t SetBacklogWindow();
// 81 SetBacklogVoiceIcon (height, width, source y, source x, layer).
std::uint32_t SetBacklogVoiceIcon();
// 83 BacklogPageForward: one page older, while older pages are left to show.
std::uint32_t BacklogPageForward();
// 84 BacklogPageBack: one page newer, while the newest is not at the bottom.
std::uint32_t BacklogPageBack();

// Operation 82's phases. Ready: opens the view (or ends at once with nothing to show).
std::uint32_t BacklogViewReady();
// Once a frame: highlight, system buttons, close, paging, replay.
std::uint32_t BacklogViewRun();
// Closes the view and shows the game screen as it was.
std::uint32_t BacklogViewFinish();

// What the view shows now (its tests read it).
struct BacklogViewState {
    std::int32_t pageIndex = 0;  // pages from the newest to the newest one shown
    std::int32_t lastIndex = 0;  // the page after the oldest one shown
    std::vector<VoiceIcon> icons;
    std::int32_t highlighted = -1;  // into icons
};
const BacklogViewState& BacklogView();
// Forgets the window page kept aside (a data set restore makes the windows anew).
void ForgetBacklogWindowPage();

}  // namespace kv
