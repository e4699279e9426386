#include "script/screens/message_window_ops.h"

#include "script/ops/op_state.h"
#include "script/ops/script_values.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"

namespace kv {

namespace {

// Pops the window operand (the first script argument, popped last) and runs the setting on it.
template <typename Apply>
std::uint32_t OnWindow(const char* name, Apply apply) {
    MessageWindow* window = MessageWindowAt(PopIntOperand());
    if (window == nullptr) return FailIllegalArguments(name);
    apply(*window);
    return CompleteOperation();
}

template <typename Apply>
std::uint32_t SetFlag(const char* name, Apply apply) {
    const bool flag = PopIntOperand() != 0;
    return OnWindow(name, [&](MessageWindow& window) { apply(window, flag); });
}

TextRgb PopColour() {
    TextRgb colour;
    colour.blue = static_cast<std::uint8_t>(PopIntOperand());
    colour.green = static_cast<std::uint8_t>(PopIntOperand());
    colour.red = static_cast<std::uint8_t>(PopIntOperand());
    return colour;
}

PixelRect PopRect() {
    PixelRect rect;
    rect.height = PopIntOperand();
    rect.width = PopIntOperand();
    rect.y = PopIntOperand();
    rect.x = PopIntOperand();
    return rect;
}

}  // namespace

std::uint32_t OpAllocTextWindows() {
    const std::int32_t count = PopIntOperand();
    if (count > kMaxMessageWindows) return FailIllegalArguments("OpAllocTextWindows");
    AllocMessageWindows(count);
    return CompleteOperation();
}

std::uint32_t SetMessageFont() {
    const std::int32_t weight = PopIntOperand();
    const std::int32_t height = PopIntOperand();
    char face[64];
    PopTextOperand(face);
    return OnWindow("SetMessageFont", [&](MessageWindow& window) {
        window.font.logicalFont.weight = weight;
        window.font.logicalFont.height = height;
        window.font.logicalFont.SetFaceName(face);
    });
}

std::uint32_t SetMessageFontStyle() {
    const bool strikeOut = PopIntOperand() != 0;
    const bool underline = PopIntOperand() != 0;
    const bool italic = PopIntOperand() != 0;
    return OnWindow("SetMessageFontStyle", [&](MessageWindow& window) {
        window.font.logicalFont.strikeOut = strikeOut ? 1 : 0;
        window.font.logicalFont.underline = underline ? 1 : 0;
        window.font.logicalFont.italic = italic ? 1 : 0;
    });
}

std::uint32_t SetMessageGlyphFormat() {
    return SetFlag("SetMessageGlyphFormat", [](MessageWindow& window, bool grey) {
        window.font.glyphFormat = grey ? kGlyphFormatGrey : kGlyphFormatMono;
    });
}

std::uint32_t SetMessageGlyphPlacement() {
    return SetFlag("SetMessageGlyphPlacement",
                   [](MessageWindow& window, bool flag) { window.font.placeByBlackBoxBottom = flag; });
}

std::uint32_t SetMessageShadow() {
    return SetFlag("SetMessageShadow", [](MessageWindow& window, bool flag) { window.shadow = flag; });
}

std::uint32_t SetMessageTextColor() {
    const TextRgb colour = PopColour();
    return OnWindow("SetMessageTextColor", [&](MessageWindow& window) { window.textColour = colour; });
}

std::uint32_t SetMessageShadowColor() {
    const TextRgb colour = PopColour();
    return OnWindow("SetMessageShadowColor", [&](MessageWindow& window) { window.shadowColour = colour; });
}

std::uint32_t SetMessageShadowOffset() {
    const std::int32_t y = PopIntOperand();
    const std::int32_t x = PopIntOperand();
    return OnWindow("SetMessageShadowOffset", [&](MessageWindow& window) {
        window.shadowOffsetX = x;
        window.shadowOffsetY = y;
    });
}

std::uint32_t SetMessageWindowRects() {
    const PixelRect textRect = PopRect();
    const PixelRect windowRect = PopRect();
    return OnWindow("SetMessageWindowRects", [&](MessageWindow& window) {
        window.windowRect = windowRect;
        window.textRect = textRect;
        // A window fresh from operation 29 has its cursor at (0, 0), outside any text
        // rectangle; its first page starts at the text origin like every later one.
        if (window.pageText.empty() && !window.lineHasText) {
            window.cursorX = textRect.x;
            window.cursorY = textRect.y;
        }
    });
}

std::uint32_t SetMessageRenderer() {
    const auto kind = static_cast<std::uint32_t>(PopIntOperand());
    return OnWindow("SetMessageRenderer", [&](MessageWindow& window) {
        window.End();
        window.rendererKind = kind;
        window.Begin();
    });
}

std::uint32_t SetMessageHanging() {
    return SetFlag("SetMessageHanging", [](MessageWindow& window, bool flag) { window.hanging = flag; });
}

std::uint32_t SetMessageBracketIndent() {
    return SetFlag("SetMessageBracketIndent", [](MessageWindow& window, bool flag) { window.bracketIndent = flag; });
}

std::uint32_t SetMessageBacklogFlag() {
    return SetFlag("SetMessageBacklogFlag", [](MessageWindow& window, bool flag) { window.history = flag; });
}

std::uint32_t SetMessageCharDelay() {
    const auto ms = static_cast<std::uint32_t>(PopIntOperand());
    return OnWindow("SetMessageCharDelay", [&](MessageWindow& window) { window.charTimer.Start(ms); });
}

std::uint32_t SetMessageVoiceChannel() {
    const std::int32_t channel = PopIntOperand();
    return OnWindow("SetMessageVoiceChannel", [&](MessageWindow& window) { window.voiceChannel = channel; });
}

std::uint32_t SetMessageInstant() {
    return SetFlag("SetMessageInstant", [](MessageWindow& window, bool flag) { window.instant = flag; });
}

std::uint32_t SetMessageSpacing() {
    const std::int32_t lineSpacing = PopIntOperand();
    const std::int32_t charSpacing = PopIntOperand();
    return OnWindow("SetMessageSpacing", [&](MessageWindow& window) {
        window.lineSpacing = lineSpacing;
        window.charSpacing = charSpacing;
    });
}

}  // namespace kv
