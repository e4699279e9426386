// Where scripts, the variable image, pictures and sounds are looked for, in which order, and
// the messages when nothing is found.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "backend/dialog_service.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "backend/window_service.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "base/app_env.h"
#include "pack/pack_entry.h"
#include "pack/pack_entry_type.h"
#include "pack/pack_reader.h"
#include "pack/pack_writer.h"
#include "platform/game_window.h"
#include "script/vm/resource_lookup.h"
#include "script/vm/vm_state.h"
#include "tests/support/assembled_image.h"
#include "tests/support/headless_game.h"

namespace {

using kv::FoundResource;

// A code image of n instructions: the count tells which copy of a script was loaded.
std::vector<std::uint8_t> Script(int n) {
    std::string source;
    for (int i = 0; i < n; ++i) source += "nop\n";
    return kvtest::AssembledScript(source);
}

std::vector<std::uint8_t> Variables(std::int32_t aInts) {
    return kvtest::AssembledVariables("aint " + std::to_string(aInts) + "\n");
}

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

struct Seen {
    FoundResource::Place place;
    std::string path;
    std::uint32_t kind;
    std::string bytes;
    std::int64_t size;
};

class ResourceLookupTest : public kvtest::HeadlessGameTest {
public:
    void SetUp() override {
        HeadlessGameTest::SetUp();
        kv::g_appEnv = new kv::AppEnv();
        kv::g_vm = new kv::VmState();
    }
    void TearDown() override {
        delete kv::g_mainPack;
        delete kv::g_secondPack;
        delete kv::g_vm;
        delete kv::g_appEnv;
        delete kv::g_mainWindow;
        kv::g_mainPack = kv::g_secondPack = nullptr;
        kv::g_vm = nullptr;
        kv::g_appEnv = nullptr;
        kv::g_mainWindow = nullptr;
        HeadlessGameTest::TearDown();
    }

    std::string Engine(const std::string& name) { return backend::Get().Files().ModuleFolder() + name; }

    // A pack of the given files (name with extension, bytes), the way the packing tool makes it.
    void MakePack(const std::string& base, const std::vector<std::pair<std::string, std::string>>& files) {
        kv::PackWriter writer;
        ASSERT_TRUE(writer.Create(Engine(base).c_str()));
        ASSERT_TRUE(writer.AllocEntries(static_cast<std::int32_t>(files.size())));
        for (const auto& [name, bytes] : files) {
            WriteFile("packsrc/" + name, bytes);
            const std::uint32_t kind = name == "NECEMEM.SNI" ? 1u : kv::GetPackEntryType(name.c_str());
            ASSERT_EQ(writer.AddFile(Engine("packsrc\\" + name).c_str(), kind), bytes.size()) << name;
        }
        writer.CloseData();
        ASSERT_TRUE(writer.WriteIndex());
    }

    kv::PackReader* OpenPack(const std::string& base) {
        auto* reader = new kv::PackReader(kv::String(Engine(base).c_str()));
        if (reader->IsValid()) reader->LoadIndex();
        return reader;
    }
    void UseMainPack(const std::string& base) {
        delete kv::g_mainPack;
        kv::g_mainPack = OpenPack(base);
    }
    void UseSecondPack(const std::string& base) {
        delete kv::g_secondPack;
        kv::g_secondPack = OpenPack(base);
    }

    // A decoder that records what it was given and answers as told.
    kv::ResourceDecoder Recorder(std::vector<Seen>& seen, bool answer = true) {
        return [&seen, answer](FoundResource& found) {
            seen.push_back({found.place, std::string(found.path.View()), found.kind, Text(found.bytes), found.size});
            return answer;
        };
    }

    std::int32_t Instructions() { return static_cast<std::int32_t>(kv::g_vm->InstructionCount()); }
    std::string ScriptName() { return std::string(kv::g_vm->GetScriptName().View()); }
};

TEST_F(ResourceLookupTest, ScriptsAreLooseThenPackedThenInTheSubfolder) {
    WriteFile("INIT.SNX", Script(1));
    WriteFile("snx/INIT.SNX", Script(3));
    MakePack("kvrebody1", {{"INIT.SNX", Text(Script(2))}, {"OTHER.SNX", Text(Script(4))}});
    UseMainPack("kvrebody1");

    ASSERT_TRUE(kv::LoadScriptFile("INIT"));
    EXPECT_EQ(Instructions(), 1);
    EXPECT_EQ(ScriptName(), "INIT");

    // From the pack: stored scrambled, loaded plain.
    RemoveFile("INIT.SNX");
    kv::g_vm->SetPc(5);
    ASSERT_TRUE(kv::LoadScriptFile("init"));
    EXPECT_EQ(Instructions(), 2);
    EXPECT_EQ(kv::g_vm->InstructionAt(1)->kind, kv::snx::kOpNop);
    EXPECT_EQ(kv::g_vm->Pc(), 0);
    EXPECT_EQ(ScriptName(), "init");

    // A valid pack without the script ends the search: no subfolder, no message, name kept.
    ASSERT_TRUE(kv::LoadScriptFile("OTHER"));
    EXPECT_FALSE(kv::LoadScriptFile("MISSING"));
    WriteFile("snx/MISSING.SNX", Script(3));
    EXPECT_FALSE(kv::LoadScriptFile("MISSING"));
    EXPECT_EQ(ScriptName(), "OTHER");
    EXPECT_EQ(Instructions(), 4);
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());

    // Without a valid main pack the subfolder is searched, and a miss there is reported.
    delete kv::g_mainPack;
    kv::g_mainPack = OpenPack("nopack");
    ASSERT_TRUE(kv::LoadScriptFile("INIT"));
    EXPECT_EQ(Instructions(), 3);
    EXPECT_FALSE(kv::LoadScriptFile("GONE"));
    EXPECT_EQ(ScriptName(), "INIT");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|GONE.SNX is not found."});
}

TEST_F(ResourceLookupTest, AFailedScriptLoadChangesNothing) {
    ASSERT_TRUE(kv::g_vm->LoadCode(Script(2).data(), Script(2).size()));
    kv::g_vm->SetScriptName("BEFORE");
    WriteFile("EMPTY.SNX", "");
    WriteFile("SHORT.SNX", std::string("\x05\0\0\0\0\0\0\0", 8));  // asks for five instructions
    WriteFile("snx/EMPTY2.SNX", "");
    for (const char* name : {"EMPTY", "SHORT", "EMPTY2"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(kv::LoadScriptFile(name));
        EXPECT_EQ(ScriptName(), "BEFORE");
        EXPECT_EQ(Instructions(), 2);
    }
    MakePack("P", {{"EMPTY3.SNX", ""}});
    UseMainPack("P");
    EXPECT_FALSE(kv::LoadScriptFile("EMPTY3"));
    EXPECT_EQ(ScriptName(), "BEFORE");
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());
}

TEST_F(ResourceLookupTest, NamesMatchWhateverTheirCaseOnDisk) {
    WriteFile("Snx/init.snx", Script(3));
    WriteFile("necemem.sni", Text(Variables(6)));
    ASSERT_TRUE(kv::LoadNecemem());
    EXPECT_EQ(kv::g_vm->VariableCount(kv::VarBank::AInt), 6);
    ASSERT_TRUE(kv::LoadScriptFile("INIT"));
    EXPECT_EQ(Instructions(), 3);
    WriteFile("grp/bg.bmp", "bmp");
    std::vector<Seen> seen;
    ASSERT_TRUE(kv::LoadGraphic("BG", Recorder(seen)));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].bytes, "bmp");
    EXPECT_EQ(seen[0].kind, kv::pack_kind::kBmp);
}

TEST_F(ResourceLookupTest, TheVariableImageIsLooseThenPackedThenInTheSubfolder) {
    WriteFile("NECEMEM.SNI", Text(Variables(1)));
    WriteFile("snx/NECEMEM.SNI", Text(Variables(3)));
    MakePack("kvrebody1", {{"NECEMEM.SNI", Text(Variables(2))}});
    UseMainPack("kvrebody1");
    ASSERT_TRUE(kv::LoadNecemem());
    EXPECT_EQ(kv::g_vm->VariableCount(kv::VarBank::AInt), 1);

    RemoveFile("NECEMEM.SNI");
    ASSERT_TRUE(kv::LoadNecemem());
    EXPECT_EQ(kv::g_vm->VariableCount(kv::VarBank::AInt), 2);

    MakePack("EMPTYPACK", {{"INIT.SNX", Text(Script(1))}});
    UseMainPack("EMPTYPACK");
    EXPECT_FALSE(kv::LoadNecemem());
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());

    delete kv::g_mainPack;
    kv::g_mainPack = nullptr;
    ASSERT_TRUE(kv::LoadNecemem());
    EXPECT_EQ(kv::g_vm->VariableCount(kv::VarBank::AInt), 3);
    RemoveFile("snx/NECEMEM.SNI");
    EXPECT_FALSE(kv::LoadNecemem());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|NECEMEM.SNI is not found."});
}

TEST_F(ResourceLookupTest, PicturesAreLooseThenInEitherPackThenInTheSubfolder) {
    MakePack("kvrebody1", {{"BG.PNG", "main png"}, {"BROKEN.PNG", "main broken"}});
    MakePack("kvrebody2", {{"SECOND.BMP", "second bmp"}, {"BROKEN.BMP", "second bmp"}, {"BG.PNG", "second png"}});
    UseMainPack("kvrebody1");
    UseSecondPack("kvrebody2");
    std::vector<Seen> seen;

    // Loose files come first, ".PNG" before ".BMP".
    WriteFile("BG.BMP", "loose bmp");
    ASSERT_TRUE(kv::LoadGraphic("BG", Recorder(seen)));
    WriteFile("BG.PNG", "loose png");
    ASSERT_TRUE(kv::LoadGraphic("BG", Recorder(seen)));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].place, FoundResource::Place::LooseFile);
    EXPECT_EQ(seen[0].path, Engine("BG.BMP"));
    EXPECT_EQ(seen[0].kind, kv::pack_kind::kBmp);
    EXPECT_EQ(seen[0].bytes, "loose bmp");
    EXPECT_EQ(seen[1].bytes, "loose png");

    // A loose picture that fails to decode ends the search.
    seen.clear();
    EXPECT_FALSE(kv::LoadGraphic("BG", Recorder(seen, false)));
    EXPECT_EQ(seen.size(), 1u);

    // Then the main pack, then the second; a failure in a pack goes on to the next place.
    RemoveFile("BG.BMP");
    RemoveFile("BG.PNG");
    seen.clear();
    ASSERT_TRUE(kv::LoadGraphic("bg", Recorder(seen)));
    ASSERT_TRUE(kv::LoadGraphic("SECOND", Recorder(seen)));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].place, FoundResource::Place::PackEntry);
    EXPECT_EQ(seen[0].path, Engine("kvrebody1"));
    EXPECT_EQ(seen[0].bytes, "main png");
    EXPECT_EQ(seen[0].size, 8);
    EXPECT_EQ(seen[1].bytes, "second bmp");
    EXPECT_EQ(seen[1].kind, kv::pack_kind::kBmp);

    seen.clear();
    int calls = 0;
    auto firstFails = [&](FoundResource& found) {
        seen.push_back({found.place, std::string(found.path.View()), found.kind, Text(found.bytes), found.size});
        return ++calls > 1;
    };
    ASSERT_TRUE(kv::LoadGraphic("BROKEN", firstFails));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].bytes, "second bmp");
    // Both packs fail: the subfolder.
    seen.clear();
    WriteFile("grp/BROKEN.BMP", "grp bmp");
    ASSERT_TRUE(kv::LoadGraphic("BROKEN", [&](FoundResource& found) {
        seen.push_back({found.place, std::string(found.path.View()), found.kind, Text(found.bytes), found.size});
        return found.place == FoundResource::Place::LooseFile;
    }));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].path, Engine("grp\\BROKEN.BMP"));
    // A pack's data file is closed again after each try.
    EXPECT_EQ(kv::g_mainPack->Data(), nullptr);
    EXPECT_EQ(kv::g_secondPack->Data(), nullptr);
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());

    // Without a valid main pack neither pack is tried.
    UseMainPack("nopack");
    seen.clear();
    EXPECT_FALSE(kv::LoadGraphic("SECOND", Recorder(seen)));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|SECOND.PNG(or .BMP) is not found."});
}

TEST_F(ResourceLookupTest, SoundsAreLooseThenInTheChannelPackThenInTheSubfolder) {
    kv::PackReader packs[2];
    MakePack("voice", {{"V1.OGG", "packed ogg"}, {"V2.WAV", "packed wav"}});
    packs[1].Open(kv::String(Engine("voice").c_str()));
    ASSERT_TRUE(packs[1].LoadIndex());
    kv::SoundLoadTarget noPack;
    kv::SoundLoadTarget withPack{1, false, packs, 2};
    std::vector<Seen> seen;

    WriteFile("SE.WAV", "loose wav");
    WriteFile("snd/SE.OGG", "snd ogg");
    ASSERT_TRUE(kv::LoadSound("SE", withPack, Recorder(seen)));
    WriteFile("SE.OGG", "loose ogg");
    ASSERT_TRUE(kv::LoadSound("SE", withPack, Recorder(seen)));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, kv::pack_kind::kWav);
    EXPECT_EQ(seen[0].bytes, "loose wav");
    EXPECT_EQ(seen[1].kind, kv::pack_kind::kOgg);
    EXPECT_EQ(seen[1].bytes, "loose ogg");

    // Without a pack, and with an index outside the pack array: the game folder and "snd\".
    RemoveFile("SE.WAV");
    RemoveFile("SE.OGG");
    seen.clear();
    ASSERT_TRUE(kv::LoadSound("SE", noPack, Recorder(seen)));
    ASSERT_TRUE(kv::LoadSound("SE", kv::SoundLoadTarget{2, false, packs, 2}, Recorder(seen)));
    ASSERT_TRUE(kv::LoadSound("SE", kv::SoundLoadTarget{0, false, packs, 2}, Recorder(seen)));  // not valid
    ASSERT_EQ(seen.size(), 3u);
    for (const Seen& s : seen) EXPECT_EQ(s.path, Engine("snd\\SE.OGG"));

    // A valid channel pack answers for good: what it lacks is not looked for in "snd\".
    seen.clear();
    EXPECT_FALSE(kv::LoadSound("SE", withPack, Recorder(seen)));
    ASSERT_TRUE(kv::LoadSound("V1", withPack, Recorder(seen)));
    ASSERT_TRUE(kv::LoadSound("V2", withPack, Recorder(seen)));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].bytes, "packed ogg");
    EXPECT_EQ(seen[1].bytes, "packed wav");
    EXPECT_EQ(seen[1].kind, kv::pack_kind::kWav);
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());

    RemoveFile("snd/SE.OGG");
    EXPECT_FALSE(kv::LoadSound("SE", noPack, Recorder(seen)));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|SE.OGG(or .WAV) is not found."});
}

TEST_F(ResourceLookupTest, StreamsGetTheirSourceInsteadOfTheBytes) {
    kv::PackReader packs[1];
    MakePack("voice", {{"V1.OGG", "packed ogg"}, {"V2.WAV", "..packed wav"}});
    packs[0].Open(kv::String(Engine("voice").c_str()));
    ASSERT_TRUE(packs[0].LoadIndex());
    kv::SoundLoadTarget stream{0, true, packs, 1};

    WriteFile("BGM.OGG", "loose ogg");
    std::vector<Seen> seen;
    ASSERT_TRUE(kv::LoadSound("BGM", stream, Recorder(seen)));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].bytes, "");
    EXPECT_EQ(seen[0].size, 9);
    EXPECT_EQ(seen[0].path, Engine("BGM.OGG"));

    // A packed WAV: the data file open at the entry, for the stream to take.
    std::unique_ptr<backend::FileHandle> kept;
    std::string firstBytes;
    ASSERT_TRUE(kv::LoadSound("V2", stream, [&](FoundResource& found) {
        EXPECT_EQ(found.pack, &packs[0]);
        EXPECT_EQ(found.offset, 10);
        EXPECT_EQ(found.size, 12);
        char head[2] = {};
        if (found.pack->Data() && found.pack->Data()->Read(head, 2) == 2) firstBytes.assign(head, 2);
        kept = found.pack->TakeData();
        return true;
    }));
    EXPECT_EQ(firstBytes, "..");
    EXPECT_NE(kept, nullptr);
    // The reader counts its data file as closed and serves the next load.
    ASSERT_TRUE(kv::LoadSound("V2", stream, nullptr));
    EXPECT_EQ(packs[0].Data(), nullptr);

    // A packed Ogg file cannot stream.
    int calls = 0;
    EXPECT_FALSE(kv::LoadSound("V1", stream, [&](FoundResource&) { return ++calls > 0; }));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(packs[0].Data(), nullptr);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|This game cannot play packedoggfile on streaming."});
}

TEST_F(ResourceLookupTest, TheCaptionShowsTheScriptLine) {
    kv::ResetGameState(kv::g_gameState);
    kv::g_gameState.screenWidth = 800;
    kv::g_gameState.screenHeight = 600;
    kv::g_mainWindow = new kv::GameWindow();
    ASSERT_TRUE(kv::CreateGameWindow());
    kv::g_vm->SetScriptName("INIT");
    kv::SetScriptLineCaption(12);
    EXPECT_EQ(Os().Windows().GetWindowCaption(kv::g_mainWindow->Handle()), "ZE-RoreroRerodi ver1.0INIT.SNX=Line : 12");
    std::memcpy(kv::g_gameState.secondCaption, " [test] ", 9);
    kv::g_vm->SetScriptName("SUB");
    kv::SetScriptLineCaption(-3);
    EXPECT_EQ(Os().Windows().GetWindowCaption(kv::g_mainWindow->Handle()), "ZE-RoreroRerodi ver1.0 [test] SUB.SNX=Line : -3");
}

}  // namespace
