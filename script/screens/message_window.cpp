#include "script/screens/message_window.h"

#include <algorithm>
#include <cstring>

#include "base/text_utils.h"

namespace kv {

namespace {

using namespace message_code;

// Sums of script-given sizes, kept from overflowing: a script may give any numbers.
std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

std::int32_t BuiltInNothing(MessageWindow&) { return 0; }

std::int32_t BuiltInStep(MessageWindow& w) {
    if (w.readIndex < 0 || w.readIndex >= w.textLength) return kTextEnd;
    const char* at = w.text + w.readIndex;
    const auto first = static_cast<unsigned char>(at[0]);
    if (first == 0) return kTextEnd;

    if (w.readIndex < w.textLength - 1 && IsDbcsLeadPair(at)) {
        w.halfWidth = false;
        const std::uint32_t code = first * 256u + static_cast<unsigned char>(at[1]);
        const std::int32_t fit = w.FitCheck();
        if (fit != 0 && !(w.hanging && IsHangingPunctuation(code))) return fit;
        if (IsOpeningBracket(code)) ++w.bracketDepth;
        if (IsClosingBracket(code)) w.bracketDepth = std::max(w.bracketDepth - 1, 0);
        w.DrawCharAtCursor(code);
        w.pageText.append(at, 2);
        w.readIndex += 2;
        ++w.charsOnPage;
        return kLaidOut;
    }

    w.halfWidth = true;
    if (first <= 0x1F) {
        if (first == kPageBreak) w.charsOnPage = 0;
        w.pageText.push_back(at[0]);
        ++w.readIndex;
        return first;
    }
    const std::uint32_t code = first * 256u;
    const std::int32_t fit = w.FitCheck();
    if (fit != 0 && !(w.hanging && IsHangingPunctuation(code))) return fit;
    if (IsOpeningBracket(code)) ++w.bracketDepth;
    if (IsClosingBracket(code)) w.bracketDepth = std::max(w.bracketDepth - 1, 0);
    // Bytes above 0x7F reach the glyph query sign-extended, as the engine always passed them.
    w.DrawCharAtCursor(static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(at[0]))));
    w.pageText.push_back(at[0]);
    ++w.readIndex;
    ++w.charsOnPage;
    return kLaidOut;
}

void StartPage(MessageWindow& w) {
    w.cursorX = w.textRect.x;
    w.cursorY = w.textRect.y;
    w.bracketDepth = 0;
    w.lineHasText = false;
    if (w.maskSurface && !w.maskSurface->IsEmpty()) {
        w.maskSurface->FillRect24(0, 0, w.maskSurface->Width(), w.maskSurface->Height(), 255, 255, 255);
    }
    w.pageText.clear();
}

std::int32_t BuiltInNewLine(MessageWindow& w) {
    const std::int32_t h = w.FontHeight();
    const bool indent = w.bracketIndent && w.bracketDepth > 0;
    w.cursorX = Clamp32(static_cast<std::int64_t>(w.textRect.x) +
                        (indent ? static_cast<std::int64_t>(w.ShadowX()) + w.charSpacing + h : 0));
    w.cursorY = Clamp32(static_cast<std::int64_t>(w.cursorY) + w.ShadowY() + w.lineSpacing + h);
    w.lineHasText = false;
    if (static_cast<std::int64_t>(w.cursorY) + w.ShadowY() + h <=
        static_cast<std::int64_t>(w.textRect.y) + w.textRect.height) {
        return 0;
    }
    StartPage(w);
    return 1;
}

std::int32_t BuiltInNewPage(MessageWindow& w) {
    StartPage(w);
    return 0;
}

constexpr MessageRenderer kBuiltIn = {BuiltInNothing, BuiltInStep, BuiltInNewLine, BuiltInNewPage, BuiltInNothing};

bool Usable(const std::unique_ptr<Surface>& surface) { return surface && !surface->IsEmpty(); }

}  // namespace

const MessageRenderer& BuiltInRenderer() { return kBuiltIn; }

MessageWindow::MessageWindow() { Reset(); }

MessageWindow::~MessageWindow() {
    End();
    Reset();
}

void MessageWindow::Reset() {
    textColourSurface.reset();
    shadowColourSurface.reset();
    maskSurface.reset();
    screen = nullptr;
    windowRect = PixelRect{};
    textRect = PixelRect{};
    cursorX = cursorY = 0;
    readIndex = -1;
    textLength = 0;
    lineSpacing = charSpacing = 0;
    pageText.clear();
    std::memset(text, 0, sizeof text);
    voiceName.clear();
    voiceChannel = -1;
    shadowOffsetX = shadowOffsetY = 1;
    shadow = true;
    bracketIndent = true;
    bracketDepth = 0;
    charsOnPage = 0;
    hanging = true;
    history = true;
    instant = false;
    textColour = TextRgb{255, 255, 255};
    shadowColour = TextRgb{0, 0, 0};
    rendererKind = 0;
    renderer = &BuiltInRenderer();
    lineHasText = false;
}

void MessageWindow::CopyFrom(const MessageWindow& other) {
    if (&other == this) return;
    Reset();
    screen = other.screen;
    font.CopySettings(other.font);
    windowRect = other.windowRect;
    textRect = other.textRect;
    readIndex = 0;
    const std::size_t length = std::min(other.pageText.size(), kMessageBufferSize - 1);
    std::memcpy(text, other.pageText.data(), length);
    textLength = static_cast<std::int32_t>(length);
    lineSpacing = other.lineSpacing;
    charSpacing = other.charSpacing;
    shadowOffsetX = other.shadowOffsetX;
    shadowOffsetY = other.shadowOffsetY;
    shadow = other.shadow;
    bracketIndent = other.bracketIndent;
    hanging = other.hanging;
    textColour = other.textColour;
    shadowColour = other.shadowColour;
    rendererKind = other.rendererKind;
    // The page is laid out again from its start, where every page starts: at the text origin,
    // outside any bracket.
    cursorX = textRect.x;
    cursorY = textRect.y;
    bracketDepth = 0;
    BuildSurfaces();
}

bool MessageWindow::PutText(std::string_view message) {
    const std::size_t length = message.find('\0') == std::string_view::npos ? message.size() : message.find('\0');
    if (length > kMessageBufferSize - 1) return false;
    std::memcpy(text, message.data(), length);
    text[length] = '\0';
    readIndex = 0;
    textLength = static_cast<std::int32_t>(length);
    charsOnPage = 0;
    return true;
}

std::int32_t MessageWindow::BuildSurfaces() {
    if (windowRect.width < 1 || windowRect.height < 1) return 1;
    const auto make = [this](std::unique_ptr<Surface>& surface, const TextRgb& colour) {
        if (!surface) surface = std::make_unique<Surface>();
        surface->Create(windowRect.width, windowRect.height, 24);
        surface->FillRect24(0, 0, windowRect.width, windowRect.height, colour.red, colour.green, colour.blue);
    };
    make(textColourSurface, textColour);
    make(shadowColourSurface, shadowColour);
    make(maskSurface, TextRgb{255, 255, 255});
    return 0;
}

std::int32_t MessageWindow::FitCheck() const {
    const std::int64_t h = FontHeight();
    const std::int64_t characterWidth = halfWidth ? h / 2 : h;
    const std::int64_t advance = characterWidth + charSpacing + ShadowX();
    if (cursorX + advance <= static_cast<std::int64_t>(textRect.x) + textRect.width) return 0;
    if (!lineHasText) return 0;
    return NextLineFits() ? kLineBreak : kPageBreak;
}

bool MessageWindow::NextLineFits() const {
    const std::int64_t h = FontHeight();
    return static_cast<std::int64_t>(cursorY) + lineSpacing + 2 * (h + ShadowY()) <=
           static_cast<std::int64_t>(textRect.y) + textRect.height;
}

void MessageWindow::DrawCharAtCursor(std::uint32_t code) {
    const std::int32_t h = FontHeight();
    font.colour = TextColour{0, 0, 0};
    const std::int32_t baseline = Clamp32(static_cast<std::int64_t>(cursorY) + h);
    bool drawn = false;
    if (Usable(maskSurface)) {
        drawn = font.DrawChar(*maskSurface, Clamp32(static_cast<std::int64_t>(cursorX) - windowRect.x),
                              Clamp32(static_cast<std::int64_t>(baseline) - windowRect.y), code);
    }
    // A glyph that could not be made leaves the last glyph's metrics in the font: nothing of
    // this character may be blended by them.
    if (drawn && code != kIdeographicSpaceCode && code != kSpaceCode && screen && Usable(textColourSurface)) {
        const backend::GlyphMetrics& metrics = font.Metrics();
        const std::int32_t x = Clamp32(static_cast<std::int64_t>(cursorX) + metrics.originX);
        const std::int32_t y = Clamp32(static_cast<std::int64_t>(baseline) - font.RowsAbove());
        const auto width = static_cast<std::int32_t>(std::min<std::uint32_t>(metrics.blackBoxWidth, INT32_MAX));
        const auto height = static_cast<std::int32_t>(std::min<std::uint32_t>(metrics.blackBoxHeight, INT32_MAX));
        const std::int32_t sourceX = Clamp32(static_cast<std::int64_t>(x) - windowRect.x);
        const std::int32_t sourceY = Clamp32(static_cast<std::int64_t>(y) - windowRect.y);
        if (shadow && Usable(shadowColourSurface)) {
            screen->MaskBlend(*shadowColourSurface, Clamp32(static_cast<std::int64_t>(x) + shadowOffsetX),
                              Clamp32(static_cast<std::int64_t>(y) + shadowOffsetY), width, height, sourceX, sourceY,
                              *maskSurface);
        }
        screen->MaskBlend(*textColourSurface, x, y, width, height, sourceX, sourceY, *maskSurface);
    }
    const std::int64_t characterWidth = halfWidth ? h / 2 : h;
    cursorX = Clamp32(cursorX + characterWidth + charSpacing + ShadowX());
    lineHasText = true;
}

void MessageWindow::BlendPage(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                              std::int32_t sourceX, std::int32_t sourceY, std::int32_t shadowWidth,
                              std::int32_t shadowHeight) {
    if (!Usable(maskSurface) || screen == nullptr) return;
    if (shadow && Usable(shadowColourSurface)) {
        screen->MaskBlend(*shadowColourSurface, Clamp32(static_cast<std::int64_t>(x) + shadowOffsetX),
                          Clamp32(static_cast<std::int64_t>(y) + shadowOffsetY), shadowWidth, shadowHeight, sourceX,
                          sourceY, *maskSurface);
    }
    if (Usable(textColourSurface)) {
        screen->MaskBlend(*textColourSurface, x, y, width, height, sourceX, sourceY, *maskSurface);
    }
}

void MessageWindow::Redraw(std::int32_t limitWidth, std::int32_t limitHeight) {
    // The shadow is cut where it would pass the limit; the blend clips everything else.
    const auto cut = [](std::int32_t origin, std::int32_t size, std::int32_t offset, std::int32_t limit) {
        const std::int64_t end = static_cast<std::int64_t>(origin) + size + offset;
        return end > limit ? Clamp32(static_cast<std::int64_t>(limit) - origin - offset) : size;
    };
    BlendPage(windowRect.x, windowRect.y, windowRect.width, windowRect.height, 0, 0,
              cut(windowRect.x, windowRect.width, shadowOffsetX, limitWidth),
              cut(windowRect.y, windowRect.height, shadowOffsetY, limitHeight));
}

void MessageWindow::RedrawRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    BlendPage(x, y, width, height, Clamp32(static_cast<std::int64_t>(x) - windowRect.x),
              Clamp32(static_cast<std::int64_t>(y) - windowRect.y), width, height);
}

}  // namespace kv
