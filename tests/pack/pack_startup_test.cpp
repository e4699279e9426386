// The program's pack readers at start-up: a game that ships only packs runs, and a configured
// pack serves both readers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/clock_service.h"
#include "backend/dialog_service.h"
#include "backend/event_queue.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "pack/pack_reader.h"
#include "script/vm/vm_state.h"
#include "tests/support/headless_game.h"
#include "tools/pack/pack_tool.h"

namespace {

class PackStartupTest : public kvtest::HeadlessGameTest {
public:
    // The minimal game's two files packed into name, the loose copies gone. INIT runs until the
    // window closes: a line marker a frame.
    void WritePackedGame(const std::string& name) {
        WriteMinimalGame();
        std::vector<std::string> messages;
        ASSERT_EQ(kvpack::BuildPack(folder_ + "/" + name, {folder_ + "/INIT.SNX", folder_ + "/NECEMEM.SNI"}, messages),
                  kvpack::kOk);
        RemoveFile("INIT.SNX");
        RemoveFile("NECEMEM.SNI");
    }

    struct Seen {
        std::string mainPack, secondPack;
        std::uint32_t instructions = 0;
        std::string script;
    };
    int Run(Seen& seen) {
        Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::Yes);
        Os().Clock().SetSleepHook([&seen, this] {
            backend::HeadlessHub& os = Os();
            if (os.Clock().SleepCalls() != 3) return;
            if (kv::g_mainPack) seen.mainPack = std::string(kv::g_mainPack->DataPath().View());
            if (kv::g_secondPack) seen.secondPack = std::string(kv::g_secondPack->DataPath().View());
            if (kv::g_vm) {
                seen.instructions = kv::g_vm->InstructionCount();
                seen.script = std::string(kv::g_vm->GetScriptName().View());
            }
            os.Events().RequestClose();
        });
        return kv::WinMain();
    }
};

TEST_F(PackStartupTest, AGameInTheDefaultPackRuns) {
    WritePackedGame("kvrebody1");
    Seen seen;
    EXPECT_EQ(Run(seen), 0);
    EXPECT_EQ(seen.mainPack, backend::Get().Files().ModuleFolder() + "kvrebody1");
    EXPECT_EQ(seen.secondPack, "");  // no second pack: a reader that is not valid
    EXPECT_EQ(seen.instructions, 4u);  // the minimal INIT, read from the pack
    EXPECT_EQ(seen.script, "INIT");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Exit game|Are you sure you want to exit this game?"});
    EXPECT_EQ(kv::g_mainPack, nullptr);
    EXPECT_EQ(kv::g_secondPack, nullptr);
}

TEST_F(PackStartupTest, AConfiguredPackServesBothReaders) {
    WritePackedGame("game.dat");
    WriteFile("kvrebody.INF", "PACKFILENAME:\"game.dat\"\r\n");
    Seen seen;
    EXPECT_EQ(Run(seen), 0);
    EXPECT_EQ(seen.mainPack, backend::Get().Files().ModuleFolder() + "game.dat");
    EXPECT_EQ(seen.secondPack, seen.mainPack);
    EXPECT_EQ(seen.instructions, 4u);  // the minimal INIT, read from the pack
}

}  // namespace
