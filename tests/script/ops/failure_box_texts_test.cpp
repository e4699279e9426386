// The boxes a game meets when a file is missing, the save folder or the disk fails, the system
// cannot play, or an operand is bad: each failure provoked as a game would meet it, and every
// box it shows compared whole, caption and text.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "script/ops/interruption.h"
#include "script/save/data_set.h"
#include "script/save/save_captures.h"
#include "tests/pack/file_size_limit.h"
#include "tests/script/ops/layer_scene_fixture.h"
#include "tests/script/ops/line_script_fixture.h"
#include "tests/support/test_sounds.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class FailureBoxTextsTest : public opstest::LineScriptTest {
public:
    void SetUp() override {
        LineScriptTest::SetUp();
        kv::ConstructStaticObjects();  // the title data and the save captures
        *kv::g_titleData = {};
        *kv::g_saveCaptures = {};
        WriteFile("SE.WAV", kvtest::MakeWav16(2, 44100, kvtest::RampPcm(4410, 2)));
    }

    // INIT runs the steps, then stands at its line 1.
    void Run(const std::string& steps) {
        WriteScript("INIT", steps + "line 1\nl: line 2\njmp l\n");
        Start();
        ASSERT_TRUE(RunToLine(1));
    }

    // INIT takes a thumbnail and stands at its line 1, before it saves to slot 1 with the
    // operation; SaveNow lets it save.
    void ReadyToSave(const std::string& saveOperation) {
        WriteScript("INIT", "calld SetThumbnailSize 160, 120\ncalld TitleBackGetTitleData\nline 1\ncalld " +
                                saveOperation + " 1\nline 2\nl: line 3\njmp l\n");
        Start();
        ASSERT_TRUE(RunToLine(1));
    }
    void SaveNow() { ASSERT_TRUE(RunToLine(2)); }

    // Saved while the disk holds 64 bytes a file: the common data (48 bytes) fits, no PNG does.
    void SaveOnAFullDisk(const std::string& saveOperation) {
        ReadyToSave(saveOperation);
        kvtest::FileSizeLimit full(64);
        ASSERT_TRUE(full.Active());
        SaveNow();
    }

    // GAME shows layer 0's picture A through mask 0's picture B, gives them C and D without
    // showing them yet, and saves to slot 1; then a fresh engine, whose game folder holds that
    // save and every picture but the missing one, loads it, and GAME goes on to its line 1 there.
    void LoadWithoutPicture(const std::string& missing) {
        const std::string game =
            "calld AllocLayers 1\ncalld AllocMaskLayers 1\ncalld LoadLayer 0, \"a\"\ncalld LoadMaskLayer 0, \"b\"\n"
            "calld SetLayerMask 0, 0\ncalld SetLayerRect 0, 0, 0, -1, -1\ncalld SetLayerVisible 0, 1\n"
            "calld StartupGraphicEffect -1, 1\ncalld LoadLayer 0, \"c\"\ncalld LoadMaskLayer 0, \"d\"\n"
            "calld Save 1\nline 1\nl: line 2\njmp l\n";
        const std::vector<std::string> pictures = {"A", "B", "C", "D"};
        for (const std::string& name : pictures) WritePicture(name);
        WriteScript("GAME", game);
        WriteScript("INIT", "calld LoadSNX \"GAME\"\n");
        Start();
        ASSERT_TRUE(RunToLine(1));
        ASSERT_EQ(BoxTexts(), std::vector<std::string>{});
        std::ifstream in(std::filesystem::path(folder_) / "sav" / "SAVE01.KVR", std::ios::binary);
        const Bytes save{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(save.empty());

        Restart();
        WriteFile("sav/SAVE01.KVR", save);
        for (const std::string& name : pictures) {
            if (name != missing) WritePicture(name);
        }
        WriteScript("GAME", game);
        WriteScript("INIT", "calld LoadDispatch 1\nl: line 9\njmp l\n");
        Start();
        ASSERT_TRUE(RunToLine(1));
    }

private:
    void WritePicture(const std::string& name) {
        WriteFile(name + ".PNG", opstest::PngBytes(opstest::PatternPicture(16, 16, 1)));
    }
};

TEST_F(FailureBoxTextsTest, EachFailureShowsItsOwnCaptionAndText) {
    using Test = FailureBoxTextsTest;
    struct Row {
        const char* what;
        std::function<void(Test&)> provoke;
        std::vector<std::string> boxes;  // caption|text, in the order shown
    };
    auto run = [](const std::string& steps) { return [steps](Test& t) { t.Run(steps); }; };
    // Streamed sounds load, but their feeder threads cannot start.
    auto runWithoutThreads = [](const std::string& steps) {
        return [steps](Test& t) {
            t.Os().Audio().FailFeederThreads(true);
            t.Run("calld CreateSoundChannels 1\ncalld SetChannelStreaming 0, 1\n" + steps);
        };
    };
    auto loadWithout = [](const std::string& picture) { return [picture](Test& t) { t.LoadWithoutPicture(picture); }; };
    const std::string title32(32, 'T');
    const std::string loadDataSetFailed = "error|This game failed to load Graphic-files in LoadDataSet().";
    const std::vector<Row> rows = {
        {"a missing mask picture", run("calld AllocMaskLayers 1\ncalld LoadMaskLayer 0, \"none\"\n"),
         {"error|none.PNG(or .BMP) is not found.",
          "error|This game failed to load Graphic-files in LoadMaskLayer()."}},
        {"a sound that cannot be played", runWithoutThreads("calld PlayDSB 0, \"SE\", 0\n"),
         {"error|This game failed to play a sound in PlayDSB()."}},
        {"a missing sound to fade in", run("calld CreateSoundChannels 1\ncalld FadeInPlayDSB 0, \"none\", 0, 500\n"),
         {"error|none.OGG(or .WAV) is not found.",
          "error|This game failed to load a soundfile in FadeInPlayDSB()."}},
        {"a sound to fade in that cannot be played", runWithoutThreads("calld FadeInPlayDSB 0, \"SE\", 0, 500\n"),
         {"error|This game failed to play a sound in FadeInPlayDSB()."}},
        {"a clickable map's missing hover sound",
         run("calld CreateSoundChannels 3\ncalld AllocLayers 1\n"
             "calld ReadyToClickableMap 0, 1, \"none\", 2, \"SE\", 100, 100, 0, 0, 20, 10, byte 1, 12\n"),
         {"error|none.OGG(or .WAV) is not found.",
          "error|This game failed to load a file in ReadyToClickableMap()."}},
        {"a chip map's missing click sound",
         run("calld CreateSoundChannels 3\ncalld AllocLayers 1\n"
             "calld ReadyToChipClickableMap 0, 1, \"SE\", 2, \"none\", 100, 100, 0, 0, 20, 10, "
             "500, 400, 60, 0, 30, 20, byte 1, 18\n"),
         {"error|none.OGG(or .WAV) is not found.",
          "error|This game failed to load a soundfile in ReadyToChipClickableMap()."}},
        {"a system button's missing hover sound",
         run("calld CreateSoundChannels 3\ncalld CreateSystemButtons 1\n"
             "calld SetSystemButtonSound 0, 1, \"none\", 2, \"SE\"\n"),
         {"error|none.OGG(or .WAV) is not found.",
          "error|This game failed to load a file in SetSystemButtonSound()."}},
        {"save titles empty and over 32 bytes, around one of 32",
         run("calld SetSNXTitle \"\"\ncalld SetSNXTitle \"" + title32 + "\"\ncalld SetSNXTitle \"" + title32 + "X\"\n"),
         {"error|Length of SNX-title string is illiegal.", "error|Length of SNX-title string is illiegal."}},
        {"a folder where the common data file belongs",
         [](Test& t) {
             t.ReadyToSave("Save");
             t.MakeFolder("sav/SAVE__.KVR");
             t.SaveNow();
         },
         {"error|This game failed to save CommonData."}},
        {"a full disk under the thumbnail of Save", [](Test& t) { t.SaveOnAFullDisk("Save"); },
         {"error|This game failed to write a thumbnail of savefile in Save().",
          "error|This game failed to write a savefile in Save()."}},
        {"a full disk under the thumbnail of SaveWithNewThumbnail",
         [](Test& t) { t.SaveOnAFullDisk("SaveWithNewThumbnail"); },
         {"error|This game failed to write a thumbnail of savefaile in Save().",
          "error|This game failed to write a savefile in Save()."}},
        {"a saved picture gone from the game", loadWithout("C"),
         {"error|C.PNG(or .BMP) is not found.", loadDataSetFailed}},
        {"a saved mask picture gone from the game", loadWithout("D"),
         {"error|D.PNG(or .BMP) is not found.", loadDataSetFailed}},
        {"a saved shown picture gone from the game", loadWithout("A"),
         {"error|A.PNG(or .BMP) is not found.", loadDataSetFailed}},
        {"a saved shown mask picture gone from the game", loadWithout("B"),
         {"error|B.PNG(or .BMP) is not found.", "error|This game failed to load Graphic-files in LoadDataSet()"}},
        {"screen objects switched to no screen",
         [](Test& t) {
             t.Run("");
             kv::SwitchObjectsRC(2);
         },
         {"error|illigal Switch in SwitchObjectsRC()"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Restart();
        row.provoke(*this);
        EXPECT_EQ(BoxTexts(), row.boxes);
    }
}

}  // namespace
