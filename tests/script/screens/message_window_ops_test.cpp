// The message-window setting operations run by scripts: each sets its own fields of the window
// it names, from its operands in their order and with their conversions, and nothing else.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "tests/script/ops/script_frame_fixture.h"

namespace {

using kv::TextRgb;

// What the setting operations write in a window.
struct WindowSettings {
    std::int32_t weight = 0, height = 0;
    std::string face;
    int italic = 0, underline = 0, strikeOut = 0;
    std::uint32_t glyphFormat = 0;
    bool placement = false, shadow = false;
    TextRgb textColour, shadowColour;
    std::int32_t shadowX = 0, shadowY = 0;
    std::uint32_t rendererKind = 0;
    bool builtInRenderer = false;
    bool hanging = false, bracketIndent = false;
    std::int32_t voiceChannel = 0;
    bool instant = false;
    std::int32_t lineSpacing = 0, charSpacing = 0;
    bool operator==(const WindowSettings&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TextRgb& c) {
    return out << "rgb(" << int(c.red) << "," << int(c.green) << "," << int(c.blue) << ")";
}

void PrintTo(const WindowSettings& s, std::ostream* out) {
    *out << "{font " << s.weight << " " << s.height << " \"" << s.face << "\" italic " << s.italic << " underline "
         << s.underline << " strike " << s.strikeOut << " format " << s.glyphFormat << " placement " << s.placement
         << " shadow " << s.shadow << " text " << s.textColour << " shadow " << s.shadowColour << " offset "
         << s.shadowX << "," << s.shadowY << " renderer " << s.rendererKind << (s.builtInRenderer ? " built-in" : "")
         << " hanging " << s.hanging << " indent " << s.bracketIndent << " voice " << s.voiceChannel << " instant "
         << s.instant << " spacing line " << s.lineSpacing << " char " << s.charSpacing << "}";
}

WindowSettings Read(const kv::MessageWindow& w) {
    const kv::LogicalFont& f = w.font.logicalFont;
    return {f.weight, f.height, f.faceName, f.italic, f.underline, f.strikeOut, w.font.glyphFormat,
            w.font.placeByBlackBoxBottom, w.shadow, w.textColour, w.shadowColour, w.shadowOffsetX,
            w.shadowOffsetY, w.rendererKind, w.renderer == &kv::BuiltInRenderer(), w.hanging, w.bracketIndent,
            w.voiceChannel, w.instant, w.lineSpacing, w.charSpacing};
}

// A window as operation 29 makes it.
const WindowSettings kFresh{0, 24, "Tahoma", 0, 0, 0, kv::kGlyphFormatGrey, false, true, {255, 255, 255}, {0, 0, 0},
                            1, 1, 0, true, true, true, -1, false, 0, 0};

class MessageWindowOpsTest : public opstest::ScriptFrameTest {};

TEST_F(MessageWindowOpsTest, EachOperationSetsItsFieldsFromItsOperandsInOrder) {
    struct Case {
        const char* calls;  // on window 1 of 2, script arguments in the order written
        void (*expect)(WindowSettings&);
    };
    const Case cases[] = {
        {R"(SetMessageFont 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn", 30, 700)",
         [](WindowSettings& s) {
             s.weight = 700;
             s.height = 30;
             s.face = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde";  // cut to 31 bytes
         }},
        {"SetMessageFontStyle 1, 5, 0, 0", [](WindowSettings& s) { s.italic = 1; }},
        {"SetMessageFontStyle 1, 0, -2, 0", [](WindowSettings& s) { s.underline = 1; }},
        {"SetMessageFontStyle 1, 0, 0, 9", [](WindowSettings& s) { s.strikeOut = 1; }},
        {"SetMessageGlyphFormat 1, 0", [](WindowSettings& s) { s.glyphFormat = kv::kGlyphFormatMono; }},
        {"SetMessageGlyphFormat 1, 0\ncalld SetMessageGlyphFormat 1, 5",
         [](WindowSettings& s) { s.glyphFormat = kv::kGlyphFormatGrey; }},
        {"SetMessageGlyphPlacement 1, 3", [](WindowSettings& s) { s.placement = true; }},
        {"SetMessageShadow 1, 0", [](WindowSettings& s) { s.shadow = false; }},
        {"SetMessageShadow 1, 0\ncalld SetMessageShadow 1, 4", [](WindowSettings&) {}},
        {"SetMessageTextColor 1, 10, 20, 30", [](WindowSettings& s) { s.textColour = {10, 20, 30}; }},
        {"SetMessageShadowColor 1, 40, 50, 60", [](WindowSettings& s) { s.shadowColour = {40, 50, 60}; }},
        {"SetMessageShadowOffset 1, 3, -2",
         [](WindowSettings& s) {
             s.shadowX = 3;
             s.shadowY = -2;
         }},
        {"SetMessageRenderer 1, 7", [](WindowSettings& s) { s.rendererKind = 7; }},
        {"SetMessageHanging 1, 0", [](WindowSettings& s) { s.hanging = false; }},
        {"SetMessageBracketIndent 1, 0", [](WindowSettings& s) { s.bracketIndent = false; }},
        {"SetMessageVoiceChannel 1, 3", [](WindowSettings& s) { s.voiceChannel = 3; }},
        {"SetMessageInstant 1, 6", [](WindowSettings& s) { s.instant = true; }},
        {"SetMessageSpacing 1, 5, 11",
         [](WindowSettings& s) {
             s.charSpacing = 5;
             s.lineSpacing = 11;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls);
        Restart();
        WriteScript("INIT", std::string("calld OpAllocTextWindows 2\ncalld ") + c.calls +
                                "\ncalld OpSetCaption \"set\"\nl: line 1\njmp l\n");
        Start();
        for (int i = 0; i < 20 && Caption() != "set"; ++i) Frame();
        ASSERT_EQ(Caption(), "set") << ::testing::PrintToString(BoxTexts());
        WindowSettings expected = kFresh;
        c.expect(expected);
        EXPECT_EQ(Read(*kv::MessageWindowAt(1)), expected);
        EXPECT_EQ(Read(*kv::MessageWindowAt(0)), kFresh);
    }
}

// Every window operation takes its window the same way; one outside the array ends the game.
TEST_F(MessageWindowOpsTest, AWindowOutsideTheArrayIsAnArgumentError) {
    WriteScript("INIT", "calld OpAllocTextWindows 2\ncalld SetMessageTextColor 2, 10, 20, 30\n"
                        "calld OpSetCaption \"went on\"\nl: line 1\njmp l\n");
    Start();
    Frames(12);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|Illiegal argments in SetMessageTextColor()."});
    EXPECT_FALSE(WindowAlive());
    EXPECT_EQ(Read(*kv::MessageWindowAt(1)), kFresh);
}

}  // namespace
