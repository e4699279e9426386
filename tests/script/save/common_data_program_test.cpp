// The common data across runs of the real program on the headless backend: loaded at script
// start-up, saved after the main loop.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "backend/clock_service.h"
#include "backend/dialog_service.h"
#include "backend/event_queue.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "script/vm/vm_state.h"
#include "tests/support/headless_game.h"

namespace {

using backend::MessageBoxAnswer;

const std::string kExitQuestion = "Exit game|Are you sure you want to exit this game?";

class CommonDataProgramTest : public kvtest::HeadlessGameTest {
public:
    // The minimal game with an INIT that runs until the window closes: a line marker a frame.
    void WriteGame() {
        WriteMinimalGame();
    }

    // Runs the program until the exit question, answered Yes; atRun sees the running game.
    int Run(const std::function<void()>& atRun) {
        Reinstall(DefaultOptions());
        Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
        Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
        Os().Clock().SetSleepHook([atRun, this] {
            backend::HeadlessHub& os = Os();
            if (os.Clock().SleepCalls() == 3) {
                if (atRun && kv::g_vm) atRun();
                os.Events().RequestClose();
            }
        });
        return kv::WinMain();
    }
    std::string ReadSave() {
        std::ifstream in(std::filesystem::path(folder_) / "sav" / "SAVE__.KVR", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(CommonDataProgramTest, WhatOneRunSetsTheNextRunFinds) {
    WriteGame();
    ASSERT_EQ(Run([] {
                  *kv::g_vm->CInt(2) = 42;
                  *kv::g_vm->CByte(1) = 1;
              }),
              0);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kExitQuestion});
    ASSERT_TRUE(FileExistsNative("sav/SAVE__.KVR"));

    std::int32_t value = 0;
    std::uint8_t flag = 0;
    ASSERT_EQ(Run([&] {
                  value = *kv::g_vm->CInt(2);
                  flag = *kv::g_vm->CByte(1);
              }),
              0);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(flag, 1);
}

TEST_F(CommonDataProgramTest, AnotherVersionOrAnUnreadableFileEndsTheGameAndKeepsTheFile) {
    WriteGame();
    ASSERT_EQ(Run([] { *kv::g_vm->CInt(0) = 5; }), 0);
    const std::string saved = ReadSave();

    WriteFile("kvrebody.INF", "SAVEDATAVERSTR:\"2.0\"");
    Reinstall(DefaultOptions());
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
    EXPECT_EQ(kv::WinMain(), 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|This game loaded an irregular save data. This game is terminated."});
    EXPECT_EQ(ReadSave(), saved);

    // Cut short, as an update that adds common variables leaves every old file: the box names
    // the file, which stays as it was, and the game does not start.
    RemoveFile("kvrebody.INF");
    WriteFile("sav/SAVE__.KVR", saved.substr(0, saved.size() - 1));
    Reinstall(DefaultOptions());
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
    EXPECT_EQ(kv::WinMain(), 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"error|This game failed to read " + EngineFolder() +
                                                   "sav\\SAVE__.KVR. This game is terminated."});
    EXPECT_EQ(ReadSave(), saved.substr(0, saved.size() - 1));
    EXPECT_EQ(kv::g_mainWindow, nullptr);
}

TEST_F(CommonDataProgramTest, AFailedSaveAtTheEndIsReported) {
    WriteGame();
    WriteFile("sav", "a file where the save folder should be");
    ASSERT_EQ(Run(nullptr), 0);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kExitQuestion, "error|This game failed to save commondatas."}));
}

}  // namespace
