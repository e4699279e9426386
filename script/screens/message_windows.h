#pragma once
// The array of message windows: made by operation 29, reached by index. Nothing outside keeps a
// window's address, since the next operation 29 or data-set restore makes the array anew.

#include <cstdint>

namespace kv {

class MessageWindow;

// Null outside 0 .. GameState::messageWindowCount - 1.
MessageWindow* MessageWindowAt(std::int32_t index);
// Deletes every window; count >= 1 makes that many in their first state, each drawing into the
// engine's screen surface. The count is stored (0 for none).
void AllocMessageWindows(std::int32_t count);
void FreeMessageWindows();

// The window's page laid out again in a scratch copy of the window over the screen surface, a
// new page restoring the window's area from work surface 1; the copy's mask then becomes the
// window's own (the full redraw after a load).
void ReplayMessageWindowPage(std::int32_t index);

}  // namespace kv
