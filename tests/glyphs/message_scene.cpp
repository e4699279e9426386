// A window that shows a message window's page as the message flow lays it out, from the
// installed fonts: text colour and shadow over a coloured panel, two lines broken at the right
// edge with hanging punctuation and the bracket indent. Built once for each code page;
// tests/glyphs/check_glyph_scene.sh compares a screenshot of it with the expected picture.
// Prints the screen position of the window's client area, then shows the picture until it is
// ended (SIGTERM).

#include <cstdio>

#include "backend/hub.h"
#include "backend/sdl/sdl_hub.h"
#include "base/build_variant.h"
#include "graphics/surface.h"
#include "script/screens/message_window.h"
#include "tests/glyphs/scene_window.h"

namespace {

constexpr std::int32_t kWidth = 440;
constexpr std::int32_t kHeight = 120;

// 「漢字とかなの、長い一行が右の端で折り返される。」 in Shift-JIS;
// 「汉字和拼音的、很长的一行在右边折行。」 in GBK.
constexpr const char* kJapaneseText =
    "\x81\x75\x8A\xBF\x8E\x9A\x82\xC6\x82\xA9\x82\xC8\x82\xCC\x81\x41\x92\xB7\x82\xA2\x88\xEA\x8D\x73\x82\xAA"
    "\x89\x45\x82\xCC\x92\x5B\x82\xC5\x90\xDC\x82\xE8\x95\xD4\x82\xB3\x82\xEA\x82\xE9\x81\x42\x81\x76";
constexpr const char* kChineseText =
    "\xA1\xB8\xBA\xBA\xD7\xD6\xBA\xCD\xC6\xB4\xD2\xF4\xB5\xC4\xA1\xA2\xBA\xDC\xB3\xA4\xB5\xC4\xD2\xBB\xD0\xD0"
    "\xD4\xDA\xD3\xD2\xB1\xDF\xD5\xDB\xD0\xD0\xA1\xA3\xA1\xB9";

}  // namespace

int main() {
    const backend::CodePage page = kv::ActiveBuildVariant().codePage;
    backend::Install(backend::CreateNativeHub(page));

    kv::Surface picture;
    if (!picture.Create(kWidth, kHeight, 24)) return 1;
    picture.FillRect24(0, 0, kWidth, kHeight, 200, 210, 230);
    picture.FillRect24(8, 8, kWidth - 16, kHeight - 16, 30, 34, 70);
    {
        kv::MessageWindow window;
        window.screen = &picture;
        window.windowRect = {8, 8, kWidth - 16, kHeight - 16};
        window.textRect = {20, 16, 400, 96};
        window.textColour = {255, 240, 200};
        window.shadowColour = {0, 0, 0};
        window.shadowOffsetX = window.shadowOffsetY = 2;
        window.lineSpacing = 4;
        window.BuildSurfaces();
        window.NewPage();
        window.PutText(page == backend::CodePage::Gbk ? kChineseText : kJapaneseText);
        for (int guard = 0; guard < 1000; ++guard) {
            const std::int32_t r = window.Step();
            if (r == kv::message_code::kTextEnd) break;
            if (r == kv::message_code::kLineBreak) window.NewLine();
            if (r == kv::message_code::kPageBreak) window.NewPage();
        }
    }

    const int shown = glyphscene::ShowUntilClosed(picture, "KVMESSAGE", "message", kWidth, kHeight);
    backend::Uninstall();
    return shown;
}
