#pragma once
// The script's message-window operations: the array (29) and each window's font, styles,
// colours, rectangles, pace, voice channel and spacing. Each finishes in one frame; a window
// operand outside the array is an argument error that ends the game.

#include <cstdint>

namespace kv {

// More windows than any screen can use: a larger count is an argument error, not an allocation.
inline constexpr std::int32_t kMaxMessageWindows = 1024;

std::uint32_t OpAllocTextWindows();        // 29 (count)
std::uint32_t SetMessageFont();            // 30 (window, face name, height, weight)
std::uint32_t SetMessageFontStyle();       // 31 (window, italic, underline, strike-out)
std::uint32_t SetMessageGlyphFormat();     // 32 (window, grey)
std::uint32_t SetMessageGlyphPlacement();  // 33 (window, by the black box's bottom)
std::uint32_t SetMessageShadow();          // 34 (window, flag)
std::uint32_t SetMessageTextColor();       // 35 (window, red, green, blue)
std::uint32_t SetMessageShadowColor();     // 36 (window, red, green, blue)
std::uint32_t SetMessageShadowOffset();    // 37 (window, x, y)
// 38 (window, window x, y, width, height, text x, y, width, height). While the window has no
// page in progress its cursor moves to the new text origin, where its first page then starts.
std::uint32_t SetMessageWindowRects();
std::uint32_t SetMessageRenderer();        // 39 (window, kind)
std::uint32_t SetMessageHanging();         // 40 (window, flag)
std::uint32_t SetMessageBracketIndent();   // 41 (window, flag)
std::uint32_t SetMessageBacklogFlag();     // 42 (window, flag)
std::uint32_t SetMessageCharDelay();       // 43 (window, milliseconds)
std::uint32_t SetMessageVoiceChannel();    // 52 (window, channel)
std::uint32_t SetMessageInstant();         // 53 (window, flag)
std::uint32_t SetMessageSpacing();         // 75 (window, character spacing, line spacing)

}  // namespace kv
