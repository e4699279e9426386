// The save and load slot screen: slots read from real save files, drawn with their thumbnail,
// number, title and date, highlighted and chosen by the pointer; files that cannot be shown; bad
// operand counts, kinds and indexes; selections placed partly or wholly off the screen.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/key_codes.h"
#include "script/ops/op_state.h"
#include "script/save/data_set_codec.h"
#include "script/save/save_file.h"
#include "script/screens/save_slot_screen.h"
#include "script/vm/vm_state.h"
#include "tests/script/ops/overlay_input_fixture.h"

namespace {

using opstest::Picture;
using Bytes = std::vector<std::uint8_t>;

const std::string kHeaderBox = "error|This game failed to load infomations of save-header in SetSaveInfoOne().";
const std::string kThumbnailBox = "error|This game failed to load thumbnails in SetSaveInfoOne().";

// Selection operands in script order.
std::string Selection(int kind, int x, int y, int sourceX, int sourceY, int width, int height, int save, int selectable) {
    return ", byte " + std::to_string(kind) + ", " + std::to_string(x) + ", " + std::to_string(y) + ", " +
           std::to_string(sourceX) + ", " + std::to_string(sourceY) + ", " + std::to_string(width) + ", " +
           std::to_string(height) + ", " + std::to_string(save) + ", byte " + std::to_string(selectable);
}

class SaveScreenTest : public opstest::OverlayInputTest {
public:
    void SetUp() override {
        OverlayInputTest::SetUp();
        kv::ConstructStaticObjects();
    }
    void TearDown() override {
        OverlayInputTest::TearDown();
        kv::DestroyStaticObjects();
    }

    // Saves 1 ("First") and 2 ("Second") with 40x30 thumbnails of the scene, made once.
    static const std::map<std::string, Bytes>& Saves() {
        static std::map<std::string, Bytes> saves;
        return saves;
    }
    void MakeSaves() {
        auto& saves = const_cast<std::map<std::string, Bytes>&>(Saves());
        if (!saves.empty()) return;
        WriteScript("INIT", SceneSetup() + Commit() +
                                "calld SetThumbnailSize 40, 30\ncalld SetSNXTitle \"First\"\n"
                                "calld SaveWithNewThumbnail 1\ncalld SetSNXTitle \"Second\"\n"
                                "calld SaveWithNewThumbnail 2\ncalld OpSetCaption \"saved\"\nl: line 1\njmp l\n");
        Start();
        ASSERT_TRUE(RunUntilCaption("saved"));
        for (const char* name : {"sav/SAVE01.KVR", "sav/SAVE02.KVR"}) {
            std::ifstream in(folder_ + "/" + name, std::ios::binary);
            saves[name] = Bytes(std::istreambuf_iterator<char>(in), {});
            ASSERT_FALSE(saves[name].empty());
        }
        Restart();
    }

    // Window 0 (text at the slot's corner), then the screen: saves 1, 2 and 3 in slots of 300x60
    // at x 100, y 100, 200, 300, and a plain button of 20x10 from STRIP at (100, 400); preview at
    // (500, 100); then op 99 into A int 2.
    void StartScreen(const std::map<std::string, Bytes>& files, const std::string& settings = "",
                     const std::string& selections = "", int count = 47) {
        MakeFolder("sav");
        for (const auto& [name, bytes] : files) WriteFile(name, bytes);
        const std::string head = settings.empty() ? "0, byte 0, 2, \"HOVER\", 3, \"CLICK\", 1, 0, 0, 500, 100" : settings;
        const std::string slots = selections.empty() ? Selection(1, 100, 100, 0, 0, 300, 60, 1, 0) +
                                                           Selection(1, 100, 200, 0, 0, 300, 60, 2, 0) +
                                                           Selection(1, 100, 300, 0, 0, 300, 60, 3, 0) +
                                                           Selection(0, 100, 400, 0, 0, 20, 10, -1, 1)
                                                     : selections;
        WriteScript("INIT", SceneSetup() +
                                "calld OpAllocTextWindows 1\ncalld SetMessageWindowRects 0, 0, 0, 300, 60, 0, 0, 300, 60\n"
                                "calld ResetTextWindow 0\ncalld SaveLoadMapDispatch " + head + slots + ", " +
                                std::to_string(count) + "\n" + Commit() +
                                "calld OpSetCaption \"select\"\ncalld ClickableMapDispatch 2, 1\n"
                                "calld OpSetCaption \"chosen\"\nl: line 1\njmp l\n");
        Start();
        RunUntilCaption("select", 40);
        Frames(2);
    }
    const kv::SaveSlotInfo& Slot(int index) { return *kv::g_saveInfo->Slot(index); }
    bool InSelectRun() { return kv::CurrentOp().operation == 99 && kv::CurrentOp().phase == 1; }
};

Bytes WithVersion(const Bytes& file, const char* version) {
    kv::DataSetSnapshot snapshot;
    EXPECT_EQ(kv::ReadSaveFile(file, kv::MakeVersionField(""), snapshot), kv::SaveFileCheck::Sound);
    snapshot.header.version = kv::MakeVersionField(version);
    return kv::ComposeSaveFile({}, snapshot);
}

TEST_F(SaveScreenTest, AFileThatCannotBeShownIsReportedOnceAndItsSlotIsEmpty) {
    MakeSaves();
    const Bytes& first = Saves().at("sav/SAVE01.KVR");
    const Bytes oversized = opstest::PngBytes(opstest::PatternPicture(801, 2, 3));
    Bytes oversizedSave = oversized;
    const Bytes blob = WithVersion(first, "");
    oversizedSave.insert(oversizedSave.end(), blob.begin(), blob.end());
    struct Case {
        const char* what;
        Bytes third;
        std::string box;  // empty: none
    };
    const std::vector<Case> cases = {
        {"no third file", {}, ""},
        {"not a save", Bytes(300, 'x'), kHeaderBox},
        {"cut short", Bytes(first.begin(), first.end() - 10), kHeaderBox},
        {"another version", WithVersion(first, "OTHERGAME"), kHeaderBox},
        {"a PNG that never ends", Bytes(oversized.begin(), oversized.begin() + 40), kThumbnailBox},
        {"a thumbnail larger than the screen", oversizedSave, kThumbnailBox},
        {"a save without a thumbnail", WithVersion(first, ""), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        std::map<std::string, Bytes> files = Saves();
        if (!c.third.empty()) files["sav/SAVE03.KVR"] = c.third;
        StartScreen(files);
        ASSERT_TRUE(InSelectRun());
        EXPECT_EQ(BoxTexts(), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box});
        EXPECT_EQ(std::string(Slot(0).title.View()), "First");
        EXPECT_EQ(std::string(Slot(1).title.View()), "Second");
        ASSERT_TRUE(Slot(1).thumbnail);
        EXPECT_EQ(Slot(1).thumbnail->Width(), 40);
        const bool sound = c.what == std::string("a save without a thumbnail");
        EXPECT_EQ(Slot(2).selectable, sound ? 1 : 0);
        EXPECT_EQ(std::string(Slot(2).date.View()) == kv::kEmptySlotDate, !sound);
        EXPECT_FALSE(Slot(2).thumbnail);
        // Opened again, the screen does not repeat the box.
        kv::g_saveInfo->Acquire(-1);
        EXPECT_EQ(BoxTexts().size(), c.box.empty() ? 0u : 1u);
        EXPECT_TRUE(WindowAlive());
    }
}

TEST_F(SaveScreenTest, CountsKindsAndIndexesOutsideTheirRangeAreRefused) {
    const std::string one = Selection(1, 0, 0, 0, 0, 10, 10, 1, 1);
    const std::string settings = "0, byte 1, -1, \"\", -1, \"\", 1, 0, 0, 0, 0";
    struct Case {
        std::string settings, selections;
        int count;
        std::string more;  // after the screen is built
        std::string box;
    };
    const std::vector<Case> cases = {
        {settings, one, 20, "", ""},
        {settings, one.substr(0, one.rfind(',')), 19, "", "error|No selections."},
        {settings, one + ", 5", 21, "", "error|Illiegal argments in ReadyToSaveLoadClickableMap()."},
        {settings, one, 200, "", "error|Illiegal argments in ReadyToSaveLoadClickableMap()."},
        {"0, byte 1, -1, \"\", -1, \"\", \"layer\", 0, 0, 0, 0", one, 20, "",
         "error|Illiegal argments in ReadyToSaveLoadClickableMap()."},
        {settings, Selection(1, 0, 0, 0, 0, 10, 10, 1, 1).replace(1, 6, "1"), 20, "",
         "error|Illiegal argments in ReadyToSaveLoadClickableMap()."},
        {"0, byte 1, 9, \"HOVER\", -1, \"\", 1, 0, 0, 0, 0", one, 20, "",
         "error|This game failed to load a soundfile in ReadyToSaveLoadClickableMap2()."},
        {settings, one, 20, "calld ResetSaveLoadClickableMapsChoise 1, 1, 0, 0, 0, 0, 10, 10, 1, 1\n",
         "error|Illiegal argments in ResetSaveLoadClickableMapsChoise()."},
        {settings, one, 20, "calld ResetSaveLoadClickableMapsChoise 0, 0, 5, 6, 7, 8, 9, 10, -1, 1\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings + c.selections + " " + std::to_string(c.count) + " " + c.more);
        Restart();
        WriteScript("INIT", SceneSetup() + "calld SaveLoadMapDispatch " + c.settings + c.selections + ", " +
                                std::to_string(c.count) + "\n" + c.more + "calld OpSetCaption \"built\"\nl: line 1\njmp l\n");
        Start();
        for (int i = 0; i < 40 && WindowAlive() && Caption().rfind("built", 0) != 0; ++i) Frame();
        Frame();
        EXPECT_EQ(BoxTexts(), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box});
        const bool fatal = c.box.find("Illiegal") != std::string::npos || c.box.find("No selections") != std::string::npos;
        EXPECT_EQ(WindowAlive(), !fatal);
        if (fatal) continue;
        EXPECT_EQ(kv::g_vm->StackDepth(), 0);
        ASSERT_EQ(kv::g_saveInfo->SlotCount(), 1);
        if (!c.more.empty()) {
            EXPECT_EQ(Slot(0).saveNumber, -1);  // now a plain button
            EXPECT_EQ(Slot(0).sourceX, 7);
        }
    }
}

TEST_F(SaveScreenTest, ThePointerTintsASlotShowsItsThumbnailAndAClickChoosesIt) {
    MakeSaves();
    StartScreen(Saves());
    ASSERT_TRUE(InSelectRun());
    Picture screen = Screen();
    EXPECT_TRUE(ShowsPart(screen, strip_, 100, 400, 20, 10, 20, 0));  // the plain button at rest
    // The slot's text begins at its corner; its bottom right is the scene.
    EXPECT_FALSE(ShowsPart(screen, background_, 100, 100, 40, 20, 100, 100));
    EXPECT_TRUE(ShowsPart(screen, background_, 380, 152, 20, 8, 380, 152));
    // Thumbnail mode 0: no thumbnail until a slot is highlighted.
    EXPECT_TRUE(ShowsPart(screen, background_, 500, 100, 40, 30, 500, 100));
    MoveMouse(105, 305);  // the empty slot cannot be chosen while loading
    EXPECT_EQ(kv::g_saveInfo->hoverIndex, -1);
    MoveMouse(390, 150);
    EXPECT_EQ(kv::g_saveInfo->hoverIndex, 0);
    EXPECT_TRUE(Heard(hoverPcm_));
    screen = LastPresented();
    // The tint, beside the text at the slot's bottom right.
    const std::uint8_t* under = background_.At(395, 155);
    const std::uint8_t* tinted = screen.At(395, 155);
    EXPECT_EQ(tinted[0], std::min(under[0] + 128, 255));
    EXPECT_EQ(tinted[1], std::max(under[1] - 128, 0));
    EXPECT_EQ(tinted[2], std::max(under[2] - 128, 0));
    const Picture thumbnail = Copy(*Slot(0).thumbnail);
    EXPECT_TRUE(ShowsPart(screen, thumbnail, 500, 100, 40, 30, 0, 0));
    MoveMouse(395, 250);  // the second slot: the first is as it was, its preview gone
    screen = LastPresented();
    EXPECT_EQ(screen.At(395, 155)[0], under[0]);
    EXPECT_TRUE(ShowsPart(screen, Copy(*Slot(1).thumbnail), 500, 100, 40, 30, 0, 0));
    Silence();
    TapButton(0);
    EXPECT_TRUE(Heard(clickPcm_));
    Frames(2);
    EXPECT_EQ(Caption(), "chosen");
    EXPECT_EQ(*kv::g_vm->AInt(2), 1);
}

TEST_F(SaveScreenTest, SelectionsAndPlacesOffTheScreenOrTooSmallForTheirTextAreCut) {
    MakeSaves();
    struct Case {
        const char* what;
        std::string settings;
        std::string selections;
    };
    const std::string bothSaves = Selection(1, -50, 590, 0, 0, 2000, 60, 1, 0) + Selection(1, 790, -20, 0, 0, 4, 30, 2, 0);
    const std::vector<Case> cases = {
        {"off the edges, thumbnails in the slots", "0, byte 0, -1, \"\", -1, \"\", 1, 1, 1, 5, 5", bothSaves},
        {"preview place off the screen", "0, byte 0, -1, \"\", -1, \"\", 1, 0, 0, 790, 590", bothSaves},
        {"two-line text in a slot of one pixel", "0, byte 0, -1, \"\", -1, \"\", 1, 1, 0, 0, 0",
         Selection(1, 10, 10, 0, 0, 1, 1, 1, 0) + Selection(1, 10, 20, 0, 0, 30, 30, 2, 0)},
        {"no such window or layer", "7, byte 0, -1, \"\", -1, \"\", 9, 0, 0, 0, 0",
         Selection(0, 10, 10, 0, 0, 20, 10, -1, 1) + Selection(1, 10, 20, 0, 0, 30, 30, 2, 0)},
        {"thumbnails in the slots, no text", "0, byte 0, -1, \"\", -1, \"\", 1, 2, 1, 200, 5",
         Selection(1, 100, 100, 0, 0, 300, 60, 1, 0) + Selection(1, 100, 200, 0, 0, 300, 60, 2, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        StartScreen(Saves(), c.settings, c.selections, 29);
        ASSERT_TRUE(InSelectRun());
        for (int i = 0; i < 3; ++i) TapKey(backend::key::Down);
        TapKey(backend::key::Up);
        EXPECT_EQ(kv::g_saveInfo->hoverIndex, 1);
        EXPECT_TRUE(BoxTexts().empty());
        if (c.what == std::string("thumbnails in the slots, no text")) {
            // The first slot lost the highlight last, and keeps its own thumbnail.
            EXPECT_TRUE(ShowsPart(LastPresented(), Copy(*Slot(0).thumbnail), 300, 105, 40, 30, 0, 0));
        }
        EXPECT_TRUE(WindowAlive());
    }
}

}  // namespace
