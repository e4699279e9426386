// Saving and loading on the headless backend: a save made inside the right-click script loads
// into a fresh run with the whole engine state and the screen as they were; the return to the
// title; a save made outside any interruption; files that must not be loaded; a full disk.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "graphics/layer_set.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/save/data_set_codec.h"
#include "script/save/data_set_engine.h"
#include "script/save/save_captures.h"
#include "script/save/save_file.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "script/vm/vm_state.h"
#include "sound/sound_buffer.h"
#include "sound/sound_manager.h"
#include "tests/pack/file_size_limit.h"
#include "tests/script/ops/layer_scene_fixture.h"
#include "tests/support/test_sounds.h"

namespace {

using opstest::Picture;
using Bytes = std::vector<std::uint8_t>;

// GAME for the message wait: window 1 with its text speed and colour, icon 0 from a strip of four
// frames in layer 1 masked by mask layer 0, then the message (replacing TEXT) and its end.
const std::string kMessageGame = R"(
    calld SetRightClickEnable 1
    calld OpAllocTextWindows 2
    calld SetMessageWindowRects 1, 40, 390, 720, 160, 50, 400, 700, 140
    calld ResetTextWindow 1
    calld SetMessageCharDelay 1, 10
    calld SetMessageTextColor 1, 250, 200, 100
    calld SetMessageFontStyle 1, 1, 0, 1
    calld AllocLayers 2
    calld LoadLayer 0, "bg"
    calld SetLayerRect 0, 0, 0, -1, -1
    calld SetLayerVisible 0, 1
    calld LoadLayer 1, "icons"
    calld SetLayerRect 1, 0, 0, -1, -1
    calld AllocMaskLayers 1
    calld LoadMaskLayer 0, "iconmask"
    calld SetLayerMask 1, 0
    calld StartupGraphicEffect -1, 1
    calld DefineClickWaitIcon 0, 1, 600, 500, 0, 0, 8, 8, 4, 100
    calld SetClickWaitIconEnable 0, 1
    calld MessageFlow 1, "TEXT", 0, 1
    calld OpSetCaption "after the message"
l:  line 1
    jmp l
)";

// The game's own set-up, the same in every run, so that a save of one run fits the next.
const std::string kSetUp =
    "calld CreateDirectInputManager\ncalld CreateSoundChannels 2\ncalld SetChannelStreaming 1, 1\n"
    "calld SetThumbnailSize 160, 120\n";

// GAME: a scene of two pictures, bank A values, a sound and looping music, then a click wait.
const std::string kGame = R"(
    calld SetSNXTitle "Chapter 1"
    calld PlayDSB 0, "SE", 0
    calld PlayDSB 1, "BGM", 1
    calld AllocLayers 2
    calld LoadLayer 0, "bg"
    calld SetLayerRect 0, 0, 0, -1, -1
    calld SetLayerVisible 0, 1
    calld LoadLayer 1, "chara"
    calld SetLayerRect 1, 0, 0, -1, -1
    calld SetLayerPosition 1, 100, 50
    calld SetLayerVisible 1, 1
    calld StartupGraphicEffect -1, 1
    ref aint[0]
    push 42
    assign
    discard
    ref astr[1]
    push "hero"
    assign
    discard
    calld OpSetCaption "in the scene"
    call OpWaitClick 7
    discard
    calld OpSetCaption "after the wait"
l:  line 1
    jmp l
)";

class SaveOpsTest : public opstest::LayerSceneTest {
public:
    void SetUp() override {
        LayerSceneTest::SetUp();
        kv::ConstructStaticObjects();
        *kv::g_titleData = {};
        *kv::g_saveCaptures = {};
        WriteGameFiles();
    }
    void WriteGameFiles() {
        WritePattern("BG", 800, 600, 1);
        WritePattern("CHARA", 120, 200, 2);
        WritePattern("OTHER", 800, 600, 3);
        WriteFile("SE.WAV", kvtest::MakeWav16(2, 44100, kvtest::RampPcm(44100, 2)));
        WriteFile("snd/BGM.OGG", kvtest::EncodeOgg(2, 44100, kvtest::SinePcm(22050, 2, 44100, 220, 8000)));
        WriteScript("GAME", kGame);
    }
    // Runs the game to its click wait.
    void StartGame(const std::string& rclick = "calld Save 1\nret\n") {
        UseWaitProbes();
        WriteScript("RCLICK", rclick);
        WriteScript("INIT", kSetUp + "calld LoadSNX \"GAME\"\n");
        Start();
        kv::g_gameState.rightClickEnabled = 1;
        for (int i = 0; i < 60 && !(kv::CurrentOp().operation == 15 && kv::CurrentOp().phase == 1); ++i) Frame();
        ASSERT_EQ(kv::CurrentOp().operation, 15u);
    }
    Bytes ReadNative(const std::string& name) {
        std::ifstream in(folder_ + "/" + name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // A fresh run (new folder and engine) with the files given, whose INIT sets up the game and
    // loads slot 1.
    void FreshRunLoading(const std::map<std::string, Bytes>& files, std::int32_t slot = 1,
                         const std::string& game = kGame) {
        Restart();
        WriteScript("GAME", game);
        UseWaitProbes();
        MakeFolder("sav");
        for (const auto& [name, bytes] : files) WriteFile(name, bytes);
        WriteScript("INIT", kSetUp + "calld OpSetCaption \"fresh\"\ncalld LoadDispatch " + std::to_string(slot) +
                                "\ncalld OpSetCaption \"not loaded\"\nl: line 1\njmp l\n");
        Start();
        ASSERT_TRUE(RunUntilCaption("fresh", 40));
    }
    // Runs frames until the caption starts with the text (the line marker adds to it).
    bool RunUntilCaptionStarts(const std::string& text, int limit = 60) {
        for (int i = 0; i < limit && Caption().rfind(text, 0) != 0; ++i) Frame();
        return Caption().rfind(text, 0) == 0;
    }
    kv::DataSetSnapshot EngineNow() {
        kv::CaptureVmState();
        kv::CaptureSystemButtons();
        kv::DataSetSnapshot now;
        kv::GetDataSet(now);
        return now;
    }
};

TEST_F(SaveOpsTest, ASaveInTheRightClickScriptLoadsIntoAFreshRunAsItWas) {
    StartGame();
    Frames(3);
    const Picture before = LastPresented();
    ASSERT_EQ(before.At(400, 300)[0], opstest::PatternPicture(800, 600, 1).At(400, 300)[0]);
    TapButton(1);  // RCLICK saves and returns
    for (int i = 0; i < 6 && kv::g_vm->GetScriptName().View() != "GAME"; ++i) Frame();
    ASSERT_EQ(kv::CurrentOp().operation, 15u);
    EXPECT_TRUE(BoxTexts().empty());
    const Bytes file = ReadNative("sav/SAVE01.KVR");
    ASSERT_FALSE(file.empty());
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/sav/SAVE01.KVR.tmp"));
    kv::DataSetSnapshot saved;
    ASSERT_EQ(kv::ReadSaveFile(file, kv::MakeVersionField(""), saved), kv::SaveFileCheck::Sound);
    EXPECT_EQ(saved.header.title, "Chapter 1");
    EXPECT_EQ(saved.set.op.operation, 95u);  // the save itself, the wait beneath it
    EXPECT_EQ(saved.set.opSaveTop, 0);
    EXPECT_EQ(saved.set.opSave[0].operation, 15u);
    EXPECT_EQ(saved.set.vm.scriptName, "GAME");
    EXPECT_EQ(saved.arrays.aInts[0], 42);
    ASSERT_EQ(saved.arrays.channels.size(), 2u);
    EXPECT_EQ(saved.arrays.channels[1].looping, 1);
    EXPECT_EQ(saved.arrays.channels[0].looping, 0);
    // The thumbnail is the screen, stretched.
    const std::optional<std::size_t> blobAt = kv::BlobOffset(file);
    ASSERT_TRUE(blobAt && *blobAt > 0);

    FreshRunLoading({{"sav/SAVE01.KVR", file}});
    for (int i = 0; i < 10 && kv::CurrentOp().operation != 15; ++i) Frame();
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(kv::CurrentOp().operation, 15u);
    EXPECT_EQ(kv::CurrentOp().phase, 1u);
    EXPECT_EQ(kv::CurrentOp().scratch[0], 7u);  // the wait's own tag
    EXPECT_EQ(Caption(), "in the scene");

    kv::DataSetSnapshot expected = saved;
    expected.set.op = saved.set.opSave[0];
    expected.set.opSaveTop = -1;
    kv::DataSetSnapshot now = EngineNow();
    now.header.date = expected.header.date;
    now.set.op.scratch[1] = expected.set.op.scratch[1];  // the wait counts its frames there
    EXPECT_EQ(now.set, expected.set);
    EXPECT_EQ(now.arrays, expected.arrays);
    EXPECT_EQ(now.header, expected.header);
    EXPECT_EQ(LastPresented(), before);
    // The music plays again, looping; the sound effect does not.
    EXPECT_TRUE(kv::g_soundManager->Channel(1)->PlaysLoop());
    EXPECT_EQ(kv::g_soundManager->Channel(0)->GetStatus() & 1u, 0u);

    // And the game goes on from its wait.
    TapKey(backend::key::Return);
    EXPECT_TRUE(RunUntilCaptionStarts("after the wait", 6));
}

TEST_F(SaveOpsTest, ASaveAtAMessageWaitBringsBackThePageTheIconsAndTheWait) {
    constexpr std::uint32_t kMessage = 44, kWaitClick = 2;
    struct Case {
        const char* what;
        std::string text;      // as the script writes it
        std::string page;      // the page at the wait
        bool lineHasText;      // the cursor stands right of the text origin
        std::string pageAfter;  // once the click let the message end
    };
    const std::vector<Case> cases = {
        {"text on the line", R"(ab\wcd)", "ab\x02", true, "ab\x02" "cd"},
        {"a new line before the wait", R"(ab\n\wcd)", "ab\x01\x02", false, "ab\x01\x02" "cd"},
        {"a new page before the wait", R"(ab\p\wcd)", "\x02", false, "\x02" "cd"},
    };
    auto atWait = [] { return kv::CurrentOp().operation == kMessage && kv::CurrentOp().phase == kWaitClick; };
    auto runUntil = [&](auto done) {
        for (int i = 0; i < 200 && !done(); ++i) {
            Os().Clock().AdvanceClock(10);
            Frame();
        }
        return done();
    };
    // The presented screen without the icon, whose frame depends on the moment, and without the
    // window, whose page a redraw blends whole where the flow blended glyph by glyph (the page's
    // own pixels are its mask's).
    auto screenAroundWindow = [&] {
        Picture picture = LastPresented();
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const bool icon = x >= 600 && x < 608 && y >= 500 && y < 508;
                const bool window = x >= 40 && x < 760 && y >= 390 && y < 550;
                if (icon || window) std::fill_n(picture.At(x, y), 3, 0);
            }
        }
        return picture;
    };
    auto pageMask = [](const kv::MessageWindow& window) {
        const kv::Surface& mask = *window.maskSurface;
        return std::vector<std::uint8_t>(mask.Bits(), mask.Bits() + mask.ImageSize());
    };
    for (const Case& c : cases) {
        Restart();
        WriteGameFiles();
        WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\ncbyte 4\n");
        WritePattern("ICONS", 32, 8, 4);
        WritePattern("ICONMASK", 32, 8, 5);
        std::string game = kMessageGame;
        game.replace(game.find("TEXT"), 4, c.text);
        WriteScript("GAME", game);
        WriteScript("RCLICK", "calld Save 1\nret\n");
        WriteScript("INIT", kSetUp + "calld LoadSNX \"GAME\"\n");
        Start();
        ASSERT_TRUE(runUntil(atWait)) << c.what;
        for (int i = 0; i < 3; ++i) {  // the icon animates
            Os().Clock().AdvanceClock(101);
            Frame();
        }
        const kv::MessageWindow& window = *kv::MessageWindowAt(1);
        ASSERT_EQ(window.pageText, c.page) << c.what;
        EXPECT_EQ(window.lineHasText, c.lineHasText) << c.what;
        const Picture before = screenAroundWindow();
        const std::vector<std::uint8_t> maskBefore = pageMask(window);
        TapButton(1);  // RCLICK saves and returns to the wait
        ASSERT_TRUE(runUntil([&] { return atWait() && kv::g_gameState.opSaveTop < 0; })) << c.what;
        const Bytes file = ReadNative("sav/SAVE01.KVR");
        kv::DataSetSnapshot saved;
        ASSERT_EQ(kv::ReadSaveFile(file, kv::MakeVersionField(""), saved), kv::SaveFileCheck::Sound) << c.what;
        ASSERT_EQ(saved.arrays.windows.size(), 2u) << c.what;
        EXPECT_EQ(saved.arrays.windows[1].pageText, c.page) << c.what;
        EXPECT_EQ(saved.set.icons[0].enabled, 1) << c.what;

        FreshRunLoading({{"sav/SAVE01.KVR", file},
                         {"NECEMEM.SNI", ReadNative("NECEMEM.SNI")},
                         {"ICONS.PNG", ReadNative("ICONS.PNG")},
                         {"ICONMASK.PNG", ReadNative("ICONMASK.PNG")}},
                        1, game);
        ASSERT_TRUE(runUntil(atWait)) << c.what;
        EXPECT_TRUE(BoxTexts().empty()) << c.what << ::testing::PrintToString(BoxTexts());
        const kv::MessageWindow& loaded = *kv::MessageWindowAt(1);
        EXPECT_EQ(loaded.pageText, c.page) << c.what;
        EXPECT_EQ(loaded.lineHasText, c.lineHasText) << c.what;
        EXPECT_EQ(loaded.charTimer.Interval(), 10u) << c.what;
        const kv::DataSetSnapshot now = EngineNow();
        EXPECT_EQ(now.arrays.windows, saved.arrays.windows) << c.what;
        EXPECT_EQ(now.set.icons, saved.set.icons) << c.what;
        EXPECT_EQ(screenAroundWindow(), before) << c.what;
        EXPECT_EQ(pageMask(loaded), maskBefore) << c.what;
        const kv::ClickWaitIcon& icon = *kv::ClickWaitIconAt(kv::kMessageWaitIcon);
        const std::int32_t frame = icon.currentFrame;
        Os().Clock().AdvanceClock(101);
        Frame();
        EXPECT_EQ(icon.currentFrame, (frame + 1) % 4) << c.what;

        // And the wait resumes: a click lets the message end.
        TapButton(0);
        ASSERT_TRUE(runUntil([&] { return Caption().rfind("after the message", 0) == 0; })) << c.what;
        EXPECT_EQ(kv::MessageWindowAt(1)->pageText, c.pageAfter) << c.what;
    }
}

TEST_F(SaveOpsTest, TheTitleReturnPutsTheCapturedSceneBack) {
    WriteScript("INIT", kSetUp + R"(
        calld AllocLayers 1
        calld LoadLayer 0, "bg"
        calld SetLayerRect 0, 0, 0, -1, -1
        calld SetLayerVisible 0, 1
        calld StartupGraphicEffect -1, 1
        ref aint[0]
        push 5
        assign
        discard
        calld TitleBackGetTitleData
        load cint[0]
        push 0
        cmp eq
        jf back
        ref cint[0]
        push 1
        assign
        discard
        ref aint[0]
        push 6
        assign
        discard
        calld LoadLayer 0, "other"
        calld StartupGraphicEffect -1, 1
        calld OpSetCaption "changed"
        calld SoundsResetOp
        calld OpSetCaption "not reached"
  back: calld OpSetCaption "back at the title"
    l:  line 1
        jmp l
    )");
    const Picture title = WritePattern("BG", 800, 600, 1);
    Start();
    ASSERT_TRUE(RunUntilCaptionStarts("changed"));
    ASSERT_TRUE(RunUntilCaptionStarts("back at the title"));
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(*kv::g_vm->AInt(0), 5);
    EXPECT_EQ(kv::g_gameScreenLayers->GetLayer(0)->name.View(), "BG");
    EXPECT_EQ(LastPresented(), title);
}

TEST_F(SaveOpsTest, ASaveMadeOutsideAnInterruptionGoesOnAfterItsOperationOnLoad) {
    const std::string game = "ref aint[0]\npush 9\nassign\ndiscard\ncalld Save 2\ncalld OpSetCaption \"saved\"\n"
                             "l: line 1\njmp l\n";
    WriteScript("GAME", game);
    WriteScript("INIT", kSetUp + "calld LoadSNX \"GAME\"\n");
    Start();
    ASSERT_TRUE(RunUntilCaptionStarts("saved"));
    const Bytes file = ReadNative("sav/SAVE02.KVR");
    ASSERT_FALSE(file.empty());

    FreshRunLoading({{"sav/SAVE02.KVR", file}}, 2, game);
    ASSERT_TRUE(RunUntilCaptionStarts("saved", 20));
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(*kv::g_vm->AInt(0), 9);
    // No save was made again by the load.
    EXPECT_EQ(ReadNative("sav/SAVE02.KVR"), file);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_ + "/sav"), {}), 1);
}

TEST_F(SaveOpsTest, FilesThatMustNotLoadLeaveTheGameUntouched) {
    StartGame();
    TapButton(1);
    Frames(4);
    const Bytes good = ReadNative("sav/SAVE01.KVR");
    const std::size_t blobAt = *kv::BlobOffset(good);
    Bytes cut(good.begin(), good.end() - 100);
    Bytes badCount = good;
    badCount[blobAt + 68 + 7128] ^= 0x55;  // the stack top, past the stack
    Bytes otherChannels;
    {
        kv::DataSetSnapshot s;
        ASSERT_EQ(kv::ReadSaveFile(good, kv::MakeVersionField(""), s), kv::SaveFileCheck::Sound);
        s.arrays.channels.push_back({});
        otherChannels = kv::ComposeSaveFile({}, s);
    }
    // Window records the engine must not take: a read position or a length past the text.
    auto withWindow = [&](std::int32_t readIndex, std::int32_t textLength) {
        kv::DataSetSnapshot s;
        EXPECT_EQ(kv::ReadSaveFile(good, kv::MakeVersionField(""), s), kv::SaveFileCheck::Sound);
        kv::WindowRecord window;
        window.textBuffer = "ab";
        window.readIndex = readIndex;
        window.textLength = textLength;
        s.arrays.windows.push_back(window);
        return kv::ComposeSaveFile({}, s);
    };
    Bytes otherVersion;
    {
        kv::DataSetSnapshot s;
        ASSERT_EQ(kv::ReadSaveFile(good, kv::MakeVersionField(""), s), kv::SaveFileCheck::Sound);
        s.header.version = kv::MakeVersionField("OTHER");
        otherVersion = kv::ComposeSaveFile({}, s);
    }
    struct Case {
        const char* what;
        std::map<std::string, Bytes> files;
        std::string box;
        bool ends;  // the game is over
    };
    const std::string failed = "error|This game failed to load a savefile in Load().";
    const std::vector<Case> cases = {
        {"no file", {}, "error|This game failed to open a savefile in Load().", false},
        {"cut short", {{"sav/SAVE01.KVR", cut}}, failed, false},
        {"a stack top past the stack", {{"sav/SAVE01.KVR", badCount}}, failed, false},
        {"another channel count", {{"sav/SAVE01.KVR", otherChannels}}, failed, false},
        {"a window's text length past its text", {{"sav/SAVE01.KVR", withWindow(0, 900)}}, failed, false},
        {"a window's read position past its text", {{"sav/SAVE01.KVR", withWindow(3, 2)}}, failed, false},
        {"a window's read position before its text", {{"sav/SAVE01.KVR", withWindow(-2, 2)}}, failed, false},
        {"another version", {{"sav/SAVE01.KVR", otherVersion}},
         "error|This game loaded an illiegal version savedata. This game is terminated.", true},
    };
    for (const Case& c : cases) {
        FreshRunLoading(c.files);
        Frames(6);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.box}) << c.what;
        EXPECT_EQ(kv::g_vm->GetScriptName().View(), "INIT") << c.what;
        if (!c.ends) {
            EXPECT_TRUE(RunUntilCaptionStarts("not loaded", 1)) << c.what;
        }
    }
}

TEST_F(SaveOpsTest, AFullDiskAtAnyByteLeavesTheOldSaveWhole) {
    WriteScript("INIT", kSetUp + "calld OpSetCaption \"ready\"\nl: calld Save 1\nline 1\njmp l\n");
    Start();
    ASSERT_TRUE(RunUntilCaption("ready"));
    Frames(3);
    const Bytes old = ReadNative("sav/SAVE01.KVR");
    ASSERT_GT(old.size(), 13508u);
    for (std::uint64_t limit : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{68}, std::uint64_t{5000},
                                std::uint64_t{old.size() - 1}}) {
        // The common data (a few bytes) fits under every limit but the smallest.
        {
            kvtest::FileSizeLimit full(limit);
            ASSERT_TRUE(full.Active());
            Frames(4);
        }
        EXPECT_EQ(ReadNative("sav/SAVE01.KVR"), old) << limit;
        EXPECT_FALSE(std::filesystem::exists(folder_ + "/sav/SAVE01.KVR.tmp")) << limit;
        const std::vector<std::string> boxes = BoxTexts();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back(), "error|This game failed to write a savefile in Save().") << limit;
    }
    kv::DataSetSnapshot s;
    EXPECT_EQ(kv::ReadSaveFile(old, kv::MakeVersionField(""), s), kv::SaveFileCheck::Sound);
}

}  // namespace
