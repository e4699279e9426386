// The save file's bytes: a snapshot with a distinct value in every field is written and checked
// at the stored offsets by a reader written here from the layout tables; bytes put together
// here by those tables are read back; damaged blobs of every kind are refused; the thumbnail is
// found by its signature; fixed text fields are cut on a character boundary.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/memory_file.h"
#include "graphics/surface.h"
#include "script/save/data_set_codec.h"
#include "script/save/save_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::int32_t I32(const Bytes& b, std::size_t at) { return static_cast<std::int32_t>(U32(b, at)); }
std::string Text(const Bytes& b, std::size_t at) { return std::string(reinterpret_cast<const char*>(&b[at])); }
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutText(Bytes& b, std::size_t at, const std::string& text) { std::memcpy(&b[at], text.data(), text.size()); }

// Header 68 bytes, then the fixed block: offsets below count from the blob's first byte.
constexpr std::size_t H = 68;

kv::DataSetSnapshot KnownScene() {
    kv::DataSetSnapshot s;
    s.header.version = kv::MakeVersionField("V1.02");
    s.header.title = "Chapter 3";
    s.header.date = "03/09 07:05";
    kv::DataSet& d = s.set;
    d.caption = "Caption";
    d.secondCaption = "Second";
    d.screenWidth = 800;
    d.screenHeight = 600;
    d.reserved = 77;
    d.effectRunning = 1;
    d.scriptRunsOn = 1;
    d.streamPackCount = 2;
    d.op.operation = 15;
    d.op.phase = 1;
    d.op.scratch[0] = 5;
    d.op.scratch[15] = 6;
    d.op.flag = 1;
    d.opSaveTop = 0;
    d.opSave[0].operation = 44;
    d.opSave[0].phase = 3;
    d.opSave[7].scratch[2] = 9;
    d.rightClickEnabled = 1;
    d.skipMode = 1;
    d.voicedWindow = 2;
    d.brightness = {0, 40, -1, -2};
    d.effectIntervalMs = 33;
    d.vm.scriptName = "CHAPTER3";
    d.vm.stack[0] = {5, 42};
    d.vm.stack[767] = {0, 7};
    d.vm.stackTop = 0;
    std::strcpy(d.vm.callFrames[0].scriptName, "INIT");
    d.vm.callFrames[0].pc = 12;
    d.vm.callFrames[0].interruption = 1;
    d.vm.callDepth = 0;
    d.vm.pc = 99;
    d.vm.fixedCounts = {3, 4, 5, 6, 7};
    d.backlogWindow = 1;
    d.backlogFrameLayer = 8;
    d.voiceIconLayer = 9;
    d.voiceIconSourceX = 10;
    d.voiceIconSourceY = 11;
    d.voiceIconWidth = 12;
    d.voiceIconHeight = 13;
    d.pendingVoices.count = 2;
    d.pendingVoices.volumes[1] = 80;
    d.pendingVoices.pans[7] = -50;
    d.pendingVoices.positions[7] = {3, 4};
    d.pendingVoices.names[7] = "V007";
    d.buttonLayer = 14;
    d.spaceKeyButton = 1;
    d.wheelButton = 2;
    d.mapLayer = 15;
    d.mapHoverChannel = 3;
    d.mapClickChannel = 4;
    d.mapHoverSound = "HOVER";
    d.mapClickSound = "CLICK";
    d.choiceText = "Which way?";
    d.icons[2] = {16, 17, 18, 19, 20, 21, 22, 4, 100, 1};

    kv::DataSetArrays& a = s.arrays;
    a.aInts = {-1, 2};
    a.aBytes = {1, 0, 1};
    a.aStrings = {{'a', 'b'}, {}};
    a.pictureWorking = {{-1, 1, 2, 3, 4, 5, 6, "BG01", -1, 0, 1, 0}};
    a.pictureShown = {{0, 7, 8, 9, 10, 11, 12, "BG00", 1, 128, 1, 1}};
    a.maskWorking = {{-1, 0, 0, 0, 0, 0, 0, "MASK", 0, 0, 0, 0}};
    a.maskShown = {{-1, 0, 0, 0, 0, 0, 0, "", 0, 0, 0, 0}};
    a.channels = {{-1, 100, "BGM01", 1, 1}, {1, 50, "", 0, 0}};
    kv::WindowRecord w;
    w.charIntervalMs = 30;
    w.window = {10, 20, 780, 160};
    w.text = {30, 40, 700, 120};
    w.cursorX = 5;
    w.charSpacing = 2;
    w.pageText = "Page";
    w.textBuffer = "Buffer";
    w.voiceName = "V001";
    w.voiceChannel = 1;
    w.shadowY = 2;
    w.bracketIndent = 1;
    w.bracketDepth = 1;
    w.instant = 1;
    w.textColour = {255, 128, 1};
    w.shadowColour = {2, 3, 4};
    w.rendererKind = 1;
    w.fontHeight = 24;
    w.fontWeight = 700;
    w.faceName = "Tahoma";
    w.greyGlyphs = 1;
    w.strikeOut = 1;
    a.windows = {w};
    kv::PageRecord page{0, "Old page", {}};
    page.voices.count = 1;
    page.voices.names[0] = "V000";
    a.pages = {page, kv::PageRecord{0, "Older", {}}};
    kv::ButtonRecord b;
    b.x = 700;
    b.hitHeight = 30;
    b.shortcutKey = 'S';
    b.script = std::string(64, 'S');  // the longest script name the field holds
    b.hoverChannel = 1;
    b.clickSound = "CLK";
    a.buttons = {b};
    kv::AreaRecord area;
    area.x = 1;
    area.chipHeight = 16;
    area.enabled = 1;
    a.areas = {area};
    a.choices = {{10, 20, 300, 24, "North"}};
    return s;
}

TEST(SaveFileLayout, EveryFieldStandsAtItsOffset) {
    const kv::DataSetSnapshot s = KnownScene();
    const Bytes b = kv::EncodeBlob(s);
    const std::size_t arrays = H + 13508;
    const std::size_t pictures = arrays + 4 * 2 + 3 + (4 + 2) + 4;
    const std::size_t channels = pictures + 4 * 104;
    const std::size_t windows = channels + 2 * 76;
    const std::size_t pages = windows + 2288;
    const std::size_t buttons = pages + 2 * 1672;
    const std::size_t areas = buttons + 244;
    const std::size_t choices = areas + 68;
    ASSERT_EQ(b.size(), choices + 80);
    EXPECT_EQ(b.size(), kv::BlobSize(s.arrays));

    // Header.
    EXPECT_EQ(U32(b, 0), b.size());
    EXPECT_EQ(Text(b, 4), "V1.02");
    EXPECT_EQ(Text(b, 20), "Chapter 3");
    EXPECT_EQ(Text(b, 53), "03/09 07:05");
    EXPECT_EQ(b[64], 0);

    struct Field {
        std::size_t at;
        std::int64_t value;
    };
    const std::vector<Field> words = {
        {H + 128, 800}, {H + 132, 600}, {H + 136, 77}, {H + 144, 1}, {H + 148, 2}, {H + 152, 2},
        {H + 156, 15}, {H + 160, 1}, {H + 164, 5}, {H + 224, 6}, {H + 228, 1}, {H + 232, 0},
        {H + 236, 44}, {H + 240, 3}, {H + 236 + 7 * 76 + 16, 9}, {H + 888, 2}, {H + 892, 1}, {H + 896, 1},
        {H + 900, 0}, {H + 904, 40}, {H + 908, -1}, {H + 912, -2}, {H + 916, 33},
        {H + 984, 5}, {H + 988, 42}, {H + 984 + 767 * 8 + 4, 7}, {H + 7128, 0}, {H + 7132 + 128, 12},
        {H + 11484, 0}, {H + 11488, 99}, {H + 11492, 2}, {H + 11496, 3}, {H + 11500, 2}, {H + 11504, 3},
        {H + 11508, 4}, {H + 11512, 5}, {H + 11516, 6}, {H + 11520, 7}, {H + 11524, 2}, {H + 11528, 1},
        {H + 11532, 8}, {H + 11536, 9}, {H + 11552, 13}, {H + 11556, 2}, {H + 11556 + 8, 80},
        {H + 11556 + 36 + 28, -50}, {H + 11556 + 68 + 56, 3}, {H + 11556 + 68 + 60, 4}, {H + 12200, 1},
        {H + 12204, 14}, {H + 12208, 1}, {H + 12212, 2}, {H + 12216, 1}, {H + 12220, 15}, {H + 12224, 3},
        {H + 12228, 4}, {H + 12360, 1}, {H + 13388 + 80, 16}, {H + 13388 + 80 + 28, 4}, {H + 13388 + 80 + 32, 100},
        // Arrays.
        {arrays, -1}, {arrays + 4, 2}, {arrays + 11, 2}, {arrays + 17, 0},
        {pictures, -1}, {pictures + 24, 6}, {pictures + 92, -1}, {pictures + 104, 0}, {pictures + 104 + 96, 128},
        {channels, -1}, {channels + 4, 100}, {channels + 76, 1}, {channels + 80, 50},
        {windows, 30}, {windows + 12, 780}, {windows + 36, 5}, {windows + 56, 2}, {windows + 2172, 1},
        {windows + 2180, 2}, {windows + 2188, 1}, {windows + 2204, 1}, {windows + 2208, 24}, {windows + 2212, 700},
        {pages, 0}, {pages + 1028, 1}, {buttons, 700}, {buttons + 36, 30}, {buttons + 108, 1},
        {areas, 1}, {areas + 60, 16}, {choices, 10}, {choices + 8, 300},
    };
    for (const Field& f : words) EXPECT_EQ(I32(b, f.at), f.value) << "offset " << f.at;
    const std::vector<Field> bytes = {
        {H + 140, 1}, {H + 141, 1}, {H + 876, 1}, {H + 877, 1}, {H + 7132 + 132, 1}, {H + 13388 + 80 + 36, 1},
        {arrays + 8, 1}, {arrays + 9, 0}, {arrays + 10, 1}, {arrays + 15, 'a'}, {arrays + 16, 'b'},
        {pictures + 100, 1}, {pictures + 104 + 101, 1}, {channels + 72, 1}, {channels + 73, 1},
        {channels + 76 + 73, 0}, {windows + 2186, 1}, {windows + 2194, 1}, {windows + 2195, 255},
        {windows + 2197, 1}, {windows + 2198, 2}, {windows + 2200, 4}, {windows + 2280, 1}, {windows + 2284, 1},
        {buttons + 42, 'S'}, {areas + 64, 1},
    };
    for (const Field& f : bytes) EXPECT_EQ(b[f.at], f.value) << "offset " << f.at;
    const std::vector<std::pair<std::size_t, std::string>> texts = {
        {H + 0, "Caption"}, {H + 64, "Second"}, {H + 920, "CHAPTER3"}, {H + 7132, "INIT"},
        {H + 11556 + 132 + 7 * 64, "V007"}, {H + 12232, "HOVER"}, {H + 12296, "CLICK"}, {H + 12364, "Which way?"},
        {pictures + 28, "BG01"}, {pictures + 104 + 28, "BG00"}, {pictures + 2 * 104 + 28, "MASK"},
        {channels + 8, "BGM01"}, {windows + 60, "Page"}, {windows + 1084, "Buffer"}, {windows + 2108, "V001"},
        {windows + 2216, "Tahoma"}, {pages + 4, "Old page"}, {pages + 1028 + 132, "V000"},
        {pages + 1672 + 4, "Older"}, {buttons + 43, std::string(64, 'S')}, {buttons + 180, "CLK"},
        {choices + 16, "North"},
    };
    for (const auto& [at, text] : texts) EXPECT_EQ(Text(b, at), text) << "offset " << at;

    // Every byte the layout leaves unused is zero.
    for (std::size_t at = H + 844; at < H + 876; ++at) ASSERT_EQ(b[at], 0) << at;
    for (std::size_t at = H + 12428; at < H + 13388; ++at) ASSERT_EQ(b[at], 0) << at;
}

TEST(SaveFileLayout, BytesPutTogetherFromTheTablesReadBack) {
    // The smallest save: no arrays, a few fields set by offset.
    Bytes b(H + 13508, 0);
    Put32(b, 0, static_cast<std::uint32_t>(b.size()));
    PutText(b, 4, "DEFAULTVERSION");
    PutText(b, 20, "Title");
    PutText(b, 53, "12/31 23:59");
    Put32(b, H + 128, 800);
    Put32(b, H + 156, 15);
    Put32(b, H + 232, 0xFFFFFFFF);
    Put32(b, H + 7128, 0xFFFFFFFF);
    Put32(b, H + 11484, 0xFFFFFFFF);
    Put32(b, H + 11488, 3);
    PutText(b, H + 920, "INIT");
    kv::DataSetSnapshot s;
    ASSERT_TRUE(kv::DecodeBlob(b, s));
    EXPECT_EQ(s.header.title, "Title");
    EXPECT_EQ(s.header.date, "12/31 23:59");
    EXPECT_EQ(s.header.version, kv::MakeVersionField(""));
    EXPECT_EQ(s.set.screenWidth, 800);
    EXPECT_EQ(s.set.op.operation, 15u);
    EXPECT_EQ(s.set.opSaveTop, -1);
    EXPECT_EQ(s.set.vm.scriptName, "INIT");
    EXPECT_EQ(s.set.vm.pc, 3);
    EXPECT_EQ(s.arrays, kv::DataSetArrays{});
    EXPECT_EQ(kv::EncodeBlob(s), b);

    // And the full scene survives its own round trip, field for field.
    const kv::DataSetSnapshot scene = KnownScene();
    kv::DataSetSnapshot back;
    ASSERT_TRUE(kv::DecodeBlob(kv::EncodeBlob(scene), back));
    kv::DataSetSnapshot expected = scene;
    expected.header.totalSize = static_cast<std::uint32_t>(kv::BlobSize(scene.arrays));
    EXPECT_EQ(back, expected);
}

TEST(SaveFileLayout, ScramblingXorsEachByteWithItsIndexModulo255) {
    Bytes blob(600, 0);
    kv::ScrambleBlob(blob);
    EXPECT_EQ(blob[1], 1);
    EXPECT_EQ(blob[254], 254);
    EXPECT_EQ(blob[255], 0);
    EXPECT_EQ(blob[256], 1);
    EXPECT_EQ(blob[511], 1);
    kv::ScrambleBlob(blob);
    EXPECT_EQ(blob, Bytes(600, 0));

    // The file: a thumbnail PNG as it is, then the scrambled blob.
    kv::Surface thumbnail;
    ASSERT_TRUE(thumbnail.Create(16, 12, 24));
    kv::MemoryFile png;
    ASSERT_TRUE(thumbnail.SavePng(png));
    const Bytes pngBytes(png.Bytes().begin(), png.Bytes().end());
    const kv::DataSetSnapshot scene = KnownScene();
    const Bytes file = kv::ComposeSaveFile(pngBytes, scene);
    ASSERT_EQ(kv::BlobOffset(file), pngBytes.size());
    Bytes blob2(file.begin() + static_cast<std::ptrdiff_t>(pngBytes.size()), file.end());
    kv::ScrambleBlob(blob2);
    EXPECT_EQ(blob2, kv::EncodeBlob(scene));
    EXPECT_TRUE(std::equal(pngBytes.begin(), pngBytes.end(), file.begin()));

    // Presence of the thumbnail is told by the signature, with or without one.
    for (const Bytes& thumb : {pngBytes, Bytes{}}) {
        kv::DataSetSnapshot back;
        EXPECT_EQ(kv::ReadSaveFile(kv::ComposeSaveFile(thumb, scene), scene.header.version, back),
                  kv::SaveFileCheck::Sound);
        EXPECT_EQ(back.arrays, scene.arrays);
        EXPECT_EQ(kv::ReadSaveFile(kv::ComposeSaveFile(thumb, scene), kv::MakeVersionField("V2"), back),
                  kv::SaveFileCheck::OtherVersion);
    }
    // A PNG cut short, or one without its end chunk, is a damaged file.
    const Bytes cut(pngBytes.begin(), pngBytes.begin() + 40);
    EXPECT_FALSE(kv::BlobOffset(cut).has_value());
    Bytes noEnd(pngBytes.begin(), pngBytes.end() - 12);
    EXPECT_FALSE(kv::BlobOffset(noEnd).has_value());
}

TEST(SaveFileLayout, DamagedBlobsAreRefused) {
    const Bytes good = kv::EncodeBlob(KnownScene());
    kv::DataSetSnapshot s;
    ASSERT_TRUE(kv::DecodeBlob(good, s));
    const std::size_t last = good.size() - 1;  // inside the last choice's text
    struct Damage {
        const char* what;
        std::function<void(Bytes&)> apply;
    };
    const std::vector<Damage> damages = {
        {"cut short", [](Bytes& b) { b.resize(b.size() - 1); Put32(b, 0, static_cast<std::uint32_t>(b.size())); }},
        {"one byte too many", [](Bytes& b) { b.push_back(0); Put32(b, 0, static_cast<std::uint32_t>(b.size())); }},
        {"total size not the blob's", [](Bytes& b) { Put32(b, 0, U32(b, 0) + 1); }},
        {"shorter than the header", [](Bytes& b) { b.resize(60); }},
        {"negative count", [](Bytes& b) { Put32(b, H + 11524, 0xFFFFFFFF); }},
        {"count past the blob", [](Bytes& b) { Put32(b, H + 12360, 0x7FFFFFFF); }},
        {"string count past the blob", [](Bytes& b) { Put32(b, H + 11500, 0x40000000); }},
        {"string length past the blob", [](Bytes& b) { Put32(b, H + 13508 + 11, 0xFFFFFFF0); }},
        {"stack top past the stack", [](Bytes& b) { Put32(b, H + 7128, 768); }},
        {"stack top below empty", [](Bytes& b) { Put32(b, H + 7128, 0xFFFFFFFE); }},
        {"call depth past the stack", [](Bytes& b) { Put32(b, H + 11484, 32); }},
        {"op-save top past the stack", [](Bytes& b) { Put32(b, H + 232, 8); }},
        {"phase entry as the operation", [](Bytes& b) { Put32(b, H + 156, 135); }},
        {"saved operation outside the table", [](Bytes& b) { Put32(b, H + 236, 9999); }},
        {"nine voices", [](Bytes& b) { Put32(b, H + 11556, 9); }},
        {"unterminated script name", [](Bytes& b) { std::memset(&b[H + 920], 'A', 64); }},
        {"unterminated call frame", [](Bytes& b) { std::memset(&b[H + 7132], 'A', 128); }},
        {"unterminated title", [](Bytes& b) { std::memset(&b[20], 'A', 33); }},
        {"unterminated choice text", [last](Bytes& b) { std::memset(&b[last - 63], 'A', 64); }},
    };
    for (const Damage& damage : damages) {
        Bytes b = good;
        damage.apply(b);
        kv::DataSetSnapshot out;
        EXPECT_FALSE(kv::DecodeBlob(b, out)) << damage.what;
    }
    // An unused stack slot past the top may hold anything; only the used ones are indexes.
    Bytes b = good;
    Put32(b, H + 236 + 76, 9999);
    EXPECT_TRUE(kv::DecodeBlob(b, s));
}

TEST(SaveFileLayout, TextsAreCutOnACharacterBoundaryAndNamesNumberTheSlot) {
    const std::string kanji = "\x82\xa0\x82\xa2";  // two double-byte characters
    struct Case {
        std::string text;
        std::size_t field;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {"short", 64, "short"},
        {std::string(40, 'x'), 33, std::string(32, 'x')},
        {std::string(31, 'x') + kanji, 33, std::string(31, 'x')},  // the pair would end past the limit
        {std::string(30, 'x') + kanji, 33, std::string(30, 'x') + kanji.substr(0, 2)},
        {std::string("ab\0cd", 5), 64, "ab"},
    };
    for (const Case& c : cases) EXPECT_EQ(kv::FitField(c.text, c.field), c.stored) << c.text;

    kv::DataSetSnapshot s;
    s.header.title = std::string(31, 'x') + kanji;
    const Bytes b = kv::EncodeBlob(s);
    EXPECT_EQ(Text(b, 20), std::string(31, 'x'));

    const std::vector<std::pair<std::int32_t, std::string>> names = {
        {3, "sav\\SAVE03.KVR"}, {10, "sav\\SAVE10.KVR"}, {123, "sav\\SAVE123.KVR"}, {-1, "sav\\SAVE0-1.KVR"}};
    for (const auto& [slot, name] : names) EXPECT_EQ(kv::SaveFileName("sav\\", slot).View(), name);
}

}  // namespace
