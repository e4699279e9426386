#pragma once
// Operation 44, MessageFlow (window, voice name when the kind is 3, text, kind, message id): one
// message shown in a message window, with its voice, character by character at the window's
// pace, waiting for the player at each click-wait code, turning pages, honouring skip, auto and
// instant text, and marking the message read in its common flag (bank-C byte [message id]).
//
// Its state lies in the operation's scratch words, so that a system button or the right click
// can interrupt the click wait and the operation resume where it stood.

#include <cstdint>

namespace kv {

// Phase 0: takes the operands, loads and starts the voice, puts the text in the window and
// decides how it is shown (phase 1, or phase 4 when skipping or instant).
std::uint32_t MessageFlowReady();
// Phase 1: lays the text out until one character is drawn (phase 3) or the flow must wait.
std::uint32_t FlowMessage();
// Phase 2: a click, the auto-mode deadline, a system button or the right click.
std::uint32_t WaitMessageClick();
// Phase 3: the window's character timer; a click or skipping shows the rest of the page.
std::uint32_t WaitMessageCharDelay();
// Phase 4: the rest of the page at once.
std::uint32_t FlushMessageOp();

// Milliseconds of a voice still to be heard that keep an auto-mode page up after the voice.
inline constexpr std::uint32_t kAutoVoiceGraceMs = 1000;

}  // namespace kv
