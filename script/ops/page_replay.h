#pragma once
// A message window's page laid out again, character by character, as the full screen redraw
// does it after a load: the window's text is put into a scratch copy of the window, whose
// renderer then draws it over the screen surface and into the copy's mask.

#include <cstdint>

#include "graphics/surface.h"

namespace kv {

// The renderer operations the replay drives (a message window's Step, NewLine and NewPage).
class PageLayout {
public:
    // Results of Step besides the control codes it reads: a character was laid out, the line or
    // the page is full (the character is not taken), the text has ended.
    static constexpr std::int32_t kLaidOut = 0;
    static constexpr std::int32_t kLineFull = 1;
    static constexpr std::int32_t kPageFull = 3;
    static constexpr std::int32_t kTextEnd = 255;

    virtual ~PageLayout() = default;
    virtual std::int32_t Step() = 0;
    virtual std::int32_t NewLine() = 0;
    virtual std::int32_t NewPage() = 0;
    // Where the next Step reads: it moves whenever Step takes a character or a code.
    virtual std::int32_t ReadPosition() const = 0;
};

// A character refused this many times in a row, each time on a fresh line or page, fits
// nowhere in the window: more lines than any page of the screen holds.
inline constexpr std::int32_t kMaxRefusals = 1024;

// Steps the layout to the end of its text: a full line goes on at the next line, a full page on
// a new page, before which the window's area of the screen surface is restored from work
// surface 1 (the scene under the window). True at the end of the text; false when a character
// fits nowhere in the window (kMaxRefusals), which ends the replay there.
bool ReplayPage(PageLayout& layout, const PixelRect& windowArea);

}  // namespace kv
