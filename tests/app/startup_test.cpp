// The program's start-up, message loop and shut-down, run for real on the headless backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/instance_lock.h"
#include "platform/platform_base.h"
#include "tests/support/headless_game.h"

namespace {

using platform::MessageBoxAnswer;
using platform::MessageKind;

class StartupTest : public kvtest::HeadlessGameTest {
public:
    // Closes the window through the close box once the game has run for a while.
    void CloseAfter(std::uint64_t sleeps) {
        Os().SetSleepHook([sleeps](platform::HeadlessPlatform& os) {
            if (os.SleepCalls() == sleeps) os.RequestClose();
        });
    }
};

TEST_F(StartupTest, RunsUntilTheExitQuestionIsAnsweredYes) {
    WriteMinimalGame();
    std::string caption;
    bool active = false;
    Os().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
    Os().SetSleepHook([&](platform::HeadlessPlatform& os) {
        if (os.SleepCalls() == 5) {
            caption = os.GetWindowCaption(kv::g_mainWindow->Handle());
            active = kv::g_mainWindow->IsActive();
            os.RequestClose();
        }
    });
    EXPECT_EQ(kv::WinMain(), 0);
    EXPECT_EQ(caption, "ZE-RoreroRerodi ver1.0");
    EXPECT_TRUE(active);
    ASSERT_EQ(BoxTexts(), (std::vector<std::string>{"Exit game|Are you sure you want to exit this game?"}));
    EXPECT_EQ(Os().UnexpectedMessageBoxes(), 0);
    EXPECT_FALSE(Os().SleepLimitReached());
    // Shut-down deletes every global and frees the single-instance lock.
    EXPECT_EQ(kv::g_mainWindow, nullptr);
    EXPECT_EQ(kv::g_appEnv, nullptr);
    EXPECT_EQ(kv::g_displayMode, nullptr);
    EXPECT_EQ(kv::g_vm, nullptr);
    platform::InstanceLock again;
    EXPECT_TRUE(again.Acquire(std::string(kv::kInstanceLockName) + "." + lockName_));
}

TEST_F(StartupTest, AnsweringNoKeepsTheGameRunning) {
    WriteMinimalGame();
    Os().QueueMessageBoxAnswer(MessageBoxAnswer::No);
    Os().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
    bool aliveAfterNo = false;
    Os().SetSleepHook([&](platform::HeadlessPlatform& os) {
        if (os.SleepCalls() == 3) os.RequestClose();
        if (os.SleepCalls() == 50) {
            aliveAfterNo = kv::g_mainWindow && os.IsWindow(kv::g_mainWindow->Handle());
            os.RequestClose();
        }
    });
    EXPECT_EQ(kv::WinMain(), 0);
    EXPECT_TRUE(aliveAfterNo);
    EXPECT_EQ(Os().MessageBoxes().size(), 2u);
    EXPECT_EQ(Os().UnexpectedMessageBoxes(), 0);
}

TEST_F(StartupTest, ASecondInstanceEndsAtOnceAndShowsNothing) {
    WriteMinimalGame();
    platform::InstanceLock first;
    ASSERT_TRUE(first.Acquire(std::string(kv::kInstanceLockName) + "." + lockName_));
    EXPECT_EQ(kv::WinMain(), 1);
    EXPECT_TRUE(Os().MessageBoxes().empty());
    EXPECT_TRUE(Os().Dispatched().empty());
    EXPECT_EQ(kv::g_mainWindow, nullptr);
    EXPECT_EQ(kv::g_appEnv, nullptr);
}

TEST_F(StartupTest, StartUpFailuresShowTheirMessageAndEndWithOne) {
    struct Case {
        const char* name;
        std::function<void(StartupTest&)> prepare;
        std::vector<std::string> boxes;  // empty: the missing-pack message
    };
    const std::vector<Case> cases = {
        {"no variable image", [](StartupTest& t) { t.WriteMinimalGame(); t.RemoveFile("NECEMEM.SNI"); },
         {"error|NECEMEM.SNI is not found.", "error|This game failed to set NECEMEM.SNI."}},
        {"truncated variable image",
         [](StartupTest& t) { t.WriteMinimalGame(); t.WriteFile("NECEMEM.SNI", std::string(20, '\1')); },
         {"error|This game failed to set NECEMEM.SNI."}},
        {"no INIT", [](StartupTest& t) { t.WriteMinimalGame(); t.RemoveFile("INIT.SNX"); },
         {"error|INIT.SNX is not found.", "error|This game failed to load INIT.SNX."}},
        {"INIT whose header asks for more than it holds",
         [](StartupTest& t) { t.WriteMinimalGame(); t.WriteFile("INIT.SNX", std::string("\x05\0\0\0\0\0\0\0", 8)); },
         {"error|This game failed to load INIT.SNX."}},
        {"configured pack missing",
         [](StartupTest& t) { t.WriteMinimalGame(); t.WriteFile("kvrebody.INF", "PACKFILENAME:\"data.pak\"\n"); },
         {}},
        {"window class taken",
         [](StartupTest& t) {
             t.WriteMinimalGame();
             t.Os().RegisterWindowClass("KVRE", [](platform::WindowId, const platform::WindowMessage&) { return 0; });
         },
         {"error|This game failed to regist a windowclass."}},
        {"window not made",
         [](StartupTest& t) {
             auto options = t.DefaultOptions();
             options.failWindowCreation = true;
             t.Reinstall(options);
             t.WriteMinimalGame();
         },
         {"error|This game failed to generate a window."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFile("kvrebody.INF");
        Reinstall(DefaultOptions());
        c.prepare(*this);
        std::vector<std::string> expected = c.boxes;
        if (expected.empty())
            expected = {"error|Packed data file " + platform::Get().ModuleFolder() + "data.pak is not found."};
        for (std::size_t i = 0; i < expected.size(); ++i) Os().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
        EXPECT_EQ(kv::WinMain(), 1);
        EXPECT_EQ(BoxTexts(), expected);
        EXPECT_FALSE(Os().SleepLimitReached());
        // Shut-down ran (or the process would end): nothing is left behind, the lock is free.
        EXPECT_EQ(kv::g_appEnv, nullptr);
        EXPECT_EQ(kv::g_mainWindow, nullptr);
        platform::InstanceLock again;
        EXPECT_TRUE(again.Acquire(std::string(kv::kInstanceLockName) + "." + lockName_));
        EXPECT_EQ(kv::g_vm, nullptr);
    }
}

TEST_F(StartupTest, MessagesQueuedBehindTheQuitMessageAreStillDispatched) {
    WriteMinimalGame();
    Os().SetSleepHook([](platform::HeadlessPlatform& os) {
        if (os.SleepCalls() == 2) {
            platform::WindowId window = kv::g_mainWindow->Handle();
            os.QueueSystemMessage({0, MessageKind::Quit, 0, 0, 0});
            os.QueueSystemMessage({window, MessageKind::MouseMove, 40, 30, 0});
        }
    });
    EXPECT_EQ(kv::WinMain(), 0);
    const auto& dispatched = Os().Dispatched();
    ASSERT_GE(dispatched.size(), 2u);
    auto quit = std::find_if(dispatched.begin(), dispatched.end(),
                             [](const platform::WindowMessage& m) { return m.kind == MessageKind::Quit; });
    ASSERT_NE(quit, dispatched.end());
    ASSERT_NE(quit + 1, dispatched.end());
    EXPECT_EQ((quit + 1)->kind, MessageKind::MouseMove);
    EXPECT_TRUE(Os().MessageBoxes().empty());
}

TEST_F(StartupTest, TerminationEndsTheGameWithoutTheQuestion) {
    WriteMinimalGame();
    Os().SetSleepHook([](platform::HeadlessPlatform& os) {
        if (os.SleepCalls() == 3) platform::PlatformBase::RequestTermination();
    });
    EXPECT_EQ(kv::WinMain(), 0);
    EXPECT_TRUE(Os().MessageBoxes().empty());
    EXPECT_FALSE(Os().SleepLimitReached());
}

TEST_F(StartupTest, TheWindowFollowsActivationAndTheMouse) {
    WriteMinimalGame();
    bool activeAfterDeactivation = true;
    int mouseX = -1, mouseY = -1, previousX = -1;
    Os().SetSleepHook([&](platform::HeadlessPlatform& os) {
        platform::WindowId window = kv::g_mainWindow->Handle();
        switch (os.SleepCalls()) {
            case 2:
                os.QueueSystemMessage({window, MessageKind::ActivateApp, 0, 0, 0});
                os.QueueSystemMessage({window, MessageKind::MouseMove, 10, 20, 0});
                os.QueueSystemMessage({window, MessageKind::MouseMove, 799, 599, 0});
                break;
            case 3:
                activeAfterDeactivation = kv::g_mainWindow->IsActive();
                mouseX = kv::g_mainWindow->MouseX();
                mouseY = kv::g_mainWindow->MouseY();
                previousX = kv::g_mainWindow->PreviousMouseX();
                platform::PlatformBase::RequestTermination();
                break;
            default: break;
        }
    });
    EXPECT_EQ(kv::WinMain(), 0);
    EXPECT_FALSE(activeAfterDeactivation);
    EXPECT_EQ(mouseX, 799);
    EXPECT_EQ(mouseY, 599);
    EXPECT_EQ(previousX, 10);
}

}  // namespace
