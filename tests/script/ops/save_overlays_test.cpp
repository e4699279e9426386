// Saves made while the player works the overlays (system buttons over a message's click wait, a
// clickable map waiting for its pick) load into a fresh run with the same buttons or map, drawn
// the same and working; snapshots whose button or map indexes no engine holds are refused.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/save/data_set_codec.h"
#include "script/save/data_set_engine.h"
#include "script/save/save_captures.h"
#include "script/save/save_file.h"
#include "script/screens/clickable_map.h"
#include "script/screens/system_buttons.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/overlay_input_fixture.h"

namespace {

using opstest::Picture;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kMessageFlow = 44, kClickPhase = 2, kMapSelect = 70;

// Button 0 runs SYSA (A int 2 = 5) and has the sounds, the wheel and Space; button 1 (key B)
// saves; both over window 1's click wait.
const std::string kButtonScene = R"(
    calld CreateSystemButtons 2
    calld SetSystemButtonImage 1
    calld DefineSystemButton 0, 100, 100, 0, 0, 20, 10, "SYSA", 0
    calld DefineSystemButton 1, 200, 100, 0, 10, 20, 10, "SAVER", 0x30
    calld SetSystemButtonEnable 0, 1
    calld SetSystemButtonEnable 1, 1
    calld SetSystemButtonVisible 0, 1
    calld SetSystemButtonVisible 1, 1
    calld SetSystemButtonSound 0, 1, "HOVER", 2, "CLICK"
    calld SetSystemButtonSpaceKey 0
    calld SetSystemButtonWheel 0
    calld OpAllocTextWindows 2
    calld SetMessageWindowRects 1, 40, 390, 720, 160, 50, 400, 700, 140
    calld ResetTextWindow 1
    calld SetMessageCharDelay 1, 10
    calld StartupGraphicEffect -1, 1
    calld MessageFlow 1, "ab\wcd", 0, 1
    calld OpSetCaption "done"
l:  line 9
    jmp l
)";

// Three areas of 20x10 at y 100 (the second disabled), picked into A int 2; no cancel, so the
// right click runs RCLICK, which saves.
const std::string kMapScene = R"(
    calld ReadyToClickableMap 1, 1, "HOVER", 2, "CLICK", 100, 100, 0, 0, 20, 10, byte 1, 200, 100, 0, 10, 20, 10, byte 0, 300, 100, 0, 20, 20, 10, byte 1, 26
    calld StartupGraphicEffect -1, 1
    calld SetRightClickEnable 1
    calld ClickableMapSelect 2, 0
    calld OpSetCaption "done"
l:  line 9
    jmp l
)";

class SaveOverlaysTest : public opstest::OverlayInputTest {
public:
    void SetUp() override {
        OverlayInputTest::SetUp();
        kv::ConstructStaticObjects();
        *kv::g_titleData = {};
        *kv::g_saveCaptures = {};
    }
    static std::string GameSetUp() { return SceneSetup() + "calld SetThumbnailSize 160, 120\n"; }
    void WriteGame(const std::string& scene) {
        WriteVariables("NECEMEM.SNI", "aint 4\nastr 2\ncint 4\ncbyte 8\n");
        WriteScript("SYSA", "ref aint[2]\npush 5\nassign\ndiscard\nret\n");
        WriteScript("SAVER", "calld Save 1\nret\n");
        WriteScript("RCLICK", "calld Save 1\ncalld ReturnFromRightClickScreen\nret\n");
        WriteScript("SCENE", scene);
    }
    template <typename Done>
    bool RunUntil(Done done, int limit = 200) {
        for (int i = 0; i < limit && !done(); ++i) {
            Os().Clock().AdvanceClock(10);
            Frame();
        }
        return done();
    }
    Bytes ReadNative(const std::string& name) {
        std::ifstream in(folder_ + "/" + name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    kv::DataSetSnapshot EngineNow() {
        kv::CaptureVmState();
        kv::CaptureSystemButtons();
        kv::DataSetSnapshot now;
        kv::GetDataSet(now);
        return now;
    }
    // The presented screen without message window 1, whose page a redraw blends whole where the
    // flow blended it glyph by glyph.
    Picture ScreenOutsideWindow() {
        Picture picture = LastPresented();
        for (int y = 390; y < 550 && y < picture.height; ++y) std::fill_n(picture.At(40, y), 720 * 3, 0);
        return picture;
    }
};

// The buttons' and the map's part of a data set.
struct OverlayState {
    std::int32_t buttonLayer, spaceKeyButton, wheelButton, mapLayer, mapHoverChannel, mapClickChannel;
    std::string mapHoverSound, mapClickSound;
    std::vector<kv::ButtonRecord> buttons;
    std::vector<kv::AreaRecord> areas;
    bool operator==(const OverlayState&) const = default;
};

OverlayState OverlaysOf(const kv::DataSetSnapshot& snapshot) {
    const kv::DataSet& set = snapshot.set;
    return {set.buttonLayer,   set.spaceKeyButton, set.wheelButton,      set.mapLayer,
            set.mapHoverChannel, set.mapClickChannel, set.mapHoverSound, set.mapClickSound,
            snapshot.arrays.buttons, snapshot.arrays.areas};
}

TEST_F(SaveOverlaysTest, ASaveAtAnOverlayLoadsBackWithTheOverlayDrawnAndWorking) {
    struct Case {
        const char* what;
        std::string scene;
        std::function<bool()> waiting;  // the interrupted operation runs again
        std::function<void(SaveOverlaysTest&)> save;
        std::function<void(SaveOverlaysTest&)> use;  // the player works the overlay after the load
        std::size_t buttons, areas;
    };
    const auto atMessageWait = [] {
        return kv::CurrentOp().operation == kMessageFlow && kv::CurrentOp().phase == kClickPhase &&
               kv::g_gameState.opSaveTop < 0;
    };
    const auto atMapSelect = [] {
        return kv::CurrentOp().operation == kMapSelect && kv::g_gameState.opSaveTop < 0 &&
               kv::g_currentClickableMap == &kv::GameScreenClickableMap();
    };
    const std::vector<Case> cases = {
        {"system buttons at a message wait", kButtonScene, atMessageWait,
         [](SaveOverlaysTest& t) { t.TapKey(0x30); },
         [](SaveOverlaysTest& t) {
             // The hover picture and sound come back with the button, then its press runs SYSA.
             t.MoveMouse(105, 105);
             EXPECT_TRUE(ShowsPart(t.Screen(), t.strip_, 100, 100, 20, 10, 40, 0));
             EXPECT_TRUE(t.Heard(t.hoverPcm_));
             t.TapKey(backend::key::Space);
             EXPECT_TRUE(t.RunUntil([] { return *kv::g_vm->AInt(2) == 5; }, 20));
         },
         2, 0},
        {"a clickable map at its pick", kMapScene, atMapSelect, [](SaveOverlaysTest& t) { t.TapButton(1); },
         [](SaveOverlaysTest& t) {
             t.MoveMouse(305, 105);
             EXPECT_TRUE(ShowsPart(t.Screen(), t.strip_, 300, 100, 20, 10, 40, 20));
             EXPECT_TRUE(t.Heard(t.hoverPcm_));
             t.MoveMouse(205, 105);  // disabled: no pick
             t.TapButton(0);
             t.MoveMouse(305, 105);
             t.TapButton(0);
             EXPECT_TRUE(t.RunUntil([&t] { return t.Caption().rfind("done", 0) == 0; }, 20));
             EXPECT_EQ(*kv::g_vm->AInt(2), 2);
         },
         0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        WriteGame(c.scene);
        WriteScript("INIT", GameSetUp() + "calld LoadSNX \"SCENE\"\n");
        Start();
        ASSERT_TRUE(RunUntil(c.waiting)) << ::testing::PrintToString(BoxTexts());
        MoveMouse(50, 50);
        Frames(3);
        Silence();
        const Picture before = ScreenOutsideWindow();
        c.save(*this);
        ASSERT_TRUE(RunUntil([&] { return !ReadNative("sav/SAVE01.KVR").empty() && c.waiting(); }, 40))
            << Trace() << ::testing::PrintToString(BoxTexts()) << ReadNative("sav/SAVE01.KVR").size();
        ASSERT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
        const Bytes file = ReadNative("sav/SAVE01.KVR");
        kv::DataSetSnapshot saved;
        ASSERT_EQ(kv::ReadSaveFile(file, kv::MakeVersionField(""), saved), kv::SaveFileCheck::Sound);
        EXPECT_EQ(saved.arrays.buttons.size(), c.buttons);
        EXPECT_EQ(saved.arrays.areas.size(), c.areas);

        Restart();
        WriteGame(c.scene);
        MakeFolder("sav");
        WriteFile("sav/SAVE01.KVR", file);
        WriteScript("INIT", GameSetUp() + "calld LoadDispatch 1\ncalld OpSetCaption \"not loaded\"\nl: line 1\njmp l\n");
        Start();
        ASSERT_TRUE(RunUntil(c.waiting, 20));
        Frames(2);
        EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
        EXPECT_EQ(OverlaysOf(EngineNow()), OverlaysOf(saved));
        EXPECT_EQ(kv::g_systemButtons->PictureLayer(), saved.set.buttonLayer);
        EXPECT_EQ(ScreenOutsideWindow(), before);
        Silence();
        c.use(*this);
    }
}

TEST_F(SaveOverlaysTest, IndexesNoEngineHoldsAreRefusedBeforeTheGameIsTouched) {
    struct Case {
        const char* what;
        std::function<void(kv::DataSetSnapshot&)> damage;
        bool fits;
    };
    const std::vector<Case> cases = {
        {"the scene as saved", [](kv::DataSetSnapshot&) {}, true},
        {"no Space or wheel button", [](kv::DataSetSnapshot& s) { s.set.spaceKeyButton = s.set.wheelButton = -1; }, true},
        {"a Space button below -1", [](kv::DataSetSnapshot& s) { s.set.spaceKeyButton = -2; }, false},
        {"a wheel button below -1", [](kv::DataSetSnapshot& s) { s.set.wheelButton = -7; }, false},
        {"a button layer below -1", [](kv::DataSetSnapshot& s) { s.set.buttonLayer = -2; }, false},
        {"a hover sound past the channels", [](kv::DataSetSnapshot& s) { s.arrays.buttons[0].hoverChannel = 4; }, false},
        {"a click sound past the channels", [](kv::DataSetSnapshot& s) { s.arrays.buttons[1].clickChannel = 99; }, false},
        {"no sound (channel 0 or below)", [](kv::DataSetSnapshot& s) { s.arrays.buttons[1].clickChannel = -5; }, true},
        {"a map layer below -1",
         [](kv::DataSetSnapshot& s) {
             s.arrays.areas.emplace_back();
             s.set.mapLayer = -3;
         },
         false},
    };
    WriteGame(kButtonScene);
    WriteScript("INIT", GameSetUp() + "calld LoadSNX \"SCENE\"\n");
    Start();
    ASSERT_TRUE(RunUntil([] { return kv::CurrentOp().operation == kMessageFlow; }));
    kv::DataSetSnapshot scene = EngineNow();
    ASSERT_EQ(scene.arrays.buttons.size(), 2u);
    for (const Case& c : cases) {
        kv::DataSetSnapshot damaged = scene;
        c.damage(damaged);
        EXPECT_EQ(kv::FitsRunningGame(damaged), c.fits) << c.what;
        // The fields travel through the file's bytes unchanged, refused or not.
        kv::DataSetSnapshot decoded;
        std::vector<std::uint8_t> blob = kv::EncodeBlob(damaged);
        ASSERT_TRUE(kv::DecodeBlob(blob, decoded)) << c.what;
        EXPECT_EQ(OverlaysOf(decoded), OverlaysOf(damaged)) << c.what;
    }
}

}  // namespace
