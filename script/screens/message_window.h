#pragma once
// One message window of the game screen: it owns the page of text being shown, lays it out a
// character at a time inside its text rectangle by the engine's line-breaking rules, draws each
// glyph in black into its mask and blends the text colour (and the shadow colour, offset) into
// the screen surface through that mask.
//
// The windows live in one array (script/screens/message_windows.h) that operation 29 and a data
// set restore make anew; everything outside reaches a window by its index, never by a kept
// pointer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/font.h"
#include "graphics/surface.h"
#include "platform/interval_timer.h"
#include "script/screens/line_breaking.h"

namespace kv {

class MessageWindow;

// The layout operations callers invoke through a window. Step results besides the control codes
// it reads are those of PageLayout (script/ops/page_replay.h).
struct MessageRenderer {
    std::int32_t (*begin)(MessageWindow& window);
    std::int32_t (*step)(MessageWindow& window);
    std::int32_t (*newLine)(MessageWindow& window);
    std::int32_t (*newPage)(MessageWindow& window);
    std::int32_t (*end)(MessageWindow& window);
};
// The engine's one renderer, whatever renderer kind a script names.
const MessageRenderer& BuiltInRenderer();

struct TextRgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const TextRgb&) const = default;
};

// Step results and the control codes of a message.
namespace message_code {
inline constexpr std::int32_t kLaidOut = 0;
inline constexpr std::int32_t kLineBreak = 1;  // the code, or the line is full
inline constexpr std::int32_t kWaitClick = 2;
inline constexpr std::int32_t kPageBreak = 3;  // the code, or the page is full
inline constexpr std::int32_t kTextEnd = 255;
}  // namespace message_code

class MessageWindow {
public:
    MessageWindow();
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    // Every field but the character timer and the font to its first value; the surfaces freed.
    void Reset();
    // A working copy of the other window for laying its page out again: its screen, font
    // settings, rectangles, spacings, styles and colours, its page text as the text to lay out,
    // and surfaces of its own. The copy's cursor starts at the text rectangle's origin, where
    // every page of the window itself starts, so the page comes out where it stood.
    void CopyFrom(const MessageWindow& other);
    // The message to lay out next, continuing the current page. False, and nothing changed, for
    // a text of more than 1023 bytes.
    bool PutText(std::string_view text);
    // The three surfaces made at the window's size and filled (text colour, shadow colour, white
    // mask). 1 and nothing done for an empty window rectangle, else 0.
    std::int32_t BuildSurfaces();

    // ---- the renderer's operations ----
    std::int32_t Begin() { return renderer->begin(*this); }
    std::int32_t Step() { return renderer->step(*this); }
    std::int32_t NewLine() { return renderer->newLine(*this); }
    std::int32_t NewPage() { return renderer->newPage(*this); }
    std::int32_t End() { return renderer->end(*this); }

    // Whether the next character fits: 0 on this line, 1 on a next line, 3 only on a new page.
    // The first character of a line always fits, so that a rectangle too small for one
    // character still shows each character rather than turning lines and pages for ever.
    std::int32_t FitCheck() const;
    // Whether a new line still fits on the page (NewLine would otherwise start a new page).
    bool NextLineFits() const;
    // Draws the character at the cursor and advances the cursor.
    void DrawCharAtCursor(std::uint32_t code);
    // The whole page blended over the screen surface, the shadow first, cut to the limit size.
    void Redraw(std::int32_t limitWidth, std::int32_t limitHeight);
    // The same for one screen rectangle inside the window.
    void RedrawRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    // Its page text is not empty.
    bool Shown() const { return !pageText.empty(); }

    // The shadow offsets while the shadow is on, else 0.
    std::int32_t ShadowX() const { return shadow ? shadowOffsetX : 0; }
    std::int32_t ShadowY() const { return shadow ? shadowOffsetY : 0; }
    std::int32_t FontHeight() const { return font.logicalFont.height; }

    // ---- fields (set by the script's window operations, saved by the data sets) ----
    IntervalTimer charTimer;  // one character each time it fires
    std::unique_ptr<Surface> textColourSurface;
    std::unique_ptr<Surface> shadowColourSurface;
    std::unique_ptr<Surface> maskSurface;  // white; the page's glyphs in black
    Surface* screen = nullptr;             // not owned: the engine's screen surface
    Font font;
    PixelRect windowRect;
    PixelRect textRect;
    std::int32_t cursorX = 0;
    std::int32_t cursorY = 0;  // the top of the current line
    std::int32_t readIndex = -1;
    std::int32_t textLength = 0;
    std::int32_t lineSpacing = 0;
    std::int32_t charSpacing = 0;
    std::string pageText;  // every byte laid out on the current page, codes included
    char text[kMessageBufferSize] = {};
    std::string voiceName;
    std::int32_t voiceChannel = -1;
    std::int32_t shadowOffsetX = 1;
    std::int32_t shadowOffsetY = 1;
    bool halfWidth = false;
    bool shadow = true;
    bool bracketIndent = true;
    std::int32_t bracketDepth = 0;
    std::int32_t charsOnPage = 0;
    bool hanging = true;
    bool history = true;
    bool instant = false;
    TextRgb textColour{255, 255, 255};
    TextRgb shadowColour{0, 0, 0};
    std::uint32_t rendererKind = 0;
    const MessageRenderer* renderer = &BuiltInRenderer();
    // Something is laid out on the current line (derived: a restored window counts a cursor
    // right of the text rectangle's left edge).
    bool lineHasText = false;

private:
    void FillMask();
    // The page's shadow and text from the window's surfaces (source corner) onto the screen.
    void BlendPage(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t sourceX,
                   std::int32_t sourceY, std::int32_t shadowWidth, std::int32_t shadowHeight);
};

}  // namespace kv
