// The program's start-up, message loop and shut-down, run for real on the headless backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "backend/clock_service.h"
#include "backend/dialog_service.h"
#include "backend/event_queue.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "backend/window_table.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "app/main_icon.h"
#include "graphics/layer_set.h"
#include "graphics/surface.h"
#include "platform/game_window.h"
#include "backend/posix/instance_lock.h"
#include "tests/support/headless_game.h"

namespace {

using backend::MessageBoxAnswer;
using backend::MessageKind;

class StartupTest : public kvtest::HeadlessGameTest {
public:
    // Closes the window through the close box once the game has run for a while.
    void CloseAfter(std::uint64_t sleeps) {
        Os().Clock().SetSleepHook([sleeps, this] {
            backend::HeadlessHub& os = Os();
            if (os.Clock().SleepCalls() == sleeps) os.Events().RequestClose();
        });
    }
};

TEST_F(StartupTest, RunsUntilTheExitQuestionIsAnsweredYes) {
    WriteMinimalGame();
    std::string caption;
    bool active = false;
    backend::WindowTable::WindowClass windowClass;
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
    Os().Clock().SetSleepHook([&] {
        backend::HeadlessHub& os = Os();
        if (os.Clock().SleepCalls() == 5) {
            caption = os.Windows().GetWindowCaption(kv::g_mainWindow->Handle());
            active = kv::g_mainWindow->IsActive();
            if (const auto* found = os.Windows().ClassOf(kv::g_mainWindow->Handle())) windowClass = *found;
            os.Events().RequestClose();
        }
    });
    EXPECT_EQ(kv::WinMain(), 0);
    EXPECT_EQ(caption, "ZE-RoreroRerodi ver1.0");
    EXPECT_TRUE(active);
    // The window's class shows the program's own icon, found by its name.
    EXPECT_EQ(windowClass.iconName, "MAINICON");
    ASSERT_NE(windowClass.icon, nullptr);
    EXPECT_EQ(windowClass.icon->rgba, kv::kMainIconPixels);
    ASSERT_EQ(windowClass.icon->width, kv::kMainIconWidth);
    ASSERT_EQ(windowClass.icon->height, kv::kMainIconHeight);
    // Drawn with alpha: see-through in the corner, solid in the middle.
    const std::int32_t middle = (kv::kMainIconHeight / 2 * kv::kMainIconWidth + kv::kMainIconWidth / 2) * 4;
    EXPECT_EQ(windowClass.icon->rgba[3], 0);
    EXPECT_EQ(windowClass.icon->rgba[middle + 3], 255);
    ASSERT_EQ(BoxTexts(), (std::vector<std::string>{"Exit game|Are you sure you want to exit this game?"}));
    EXPECT_EQ(Os().Dialogs().UnexpectedMessageBoxes(), 0);
    EXPECT_FALSE(Os().Clock().SleepLimitReached());
    // Shut-down deletes every global and frees the single-instance lock.
    EXPECT_EQ(kv::g_mainWindow, nullptr);
    EXPECT_EQ(kv::g_appEnv, nullptr);
    EXPECT_EQ(kv::g_displayMode, nullptr);
    EXPECT_EQ(kv::g_vm, nullptr);
    backend::InstanceLock again;
    EXPECT_TRUE(again.Acquire(std::string(kv::kInstanceLockName) + "." + lockName_));
}

TEST_F(StartupTest, AnsweringNoKeepsTheGameRunning) {
    WriteMinimalGame();
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::No);
    Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Yes);
    bool aliveAfterNo = false;
    Os().Clock().SetSleepHook([&] {
        backend::HeadlessHub& os = Os();
        if (os.Clock().SleepCalls() == 3) os.Events().RequestClose();
        if (os.Clock().SleepCalls() == 50) {
            aliveAfterNo = kv::g_mainWindow && os.Windows().IsWindow(kv::g_mainWindow->Handle());
            os.Events().RequestClose();
        }
    });
    EXPECT_EQ(kv::WinMain(), 0);
    EXPECT_TRUE(aliveAfterNo);
    EXPECT_EQ(Os().Dialogs().MessageBoxes().size(), 2u);
    EXPECT_EQ(Os().Dialogs().UnexpectedMessageBoxes(), 0);
}

TEST_F(StartupTest, ASecondInstanceEndsAtOnceAndShowsNothing) {
    WriteMinimalGame();
    backend::InstanceLock first;
    ASSERT_TRUE(first.Acquire(std::string(kv::kInstanceLockName) + "." + lockName_));
    EXPECT_EQ(kv::WinMain(), 1);
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());
    EXPECT_TRUE(Os().Windows().Dispatched().empty());
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
             t.Os().Windows().RegisterWindowClass(
                 "KVRE", [](backend::WindowId, const backend::WindowMessage&) { return 0; }, {});
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
            expected = {"error|Packed data file " + backend::Get().Files().ModuleFolder() + "data.pak is not found."};
        for (std::size_t i = 0; i < expected.size(); ++i) Os().Dialogs().QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
        EXPECT_EQ(kv::WinMain(), 1);
        EXPECT_EQ(BoxTexts(), expected);
        EXPECT_FALSE(Os().Clock().SleepLimitReached());
        // Shut-down ran (or the process would end): nothing is left behind, the lock is free.
        EXPECT_EQ(kv::g_appEnv, nullptr);
        EXPECT_EQ(kv::g_mainWindow, nullptr);
        backend::InstanceLock again;
        EXPECT_TRUE(again.Acquire(std::string(kv::kInstanceLockName) + "." + lockName_));
        EXPECT_EQ(kv::g_vm, nullptr);
    }
}

TEST_F(StartupTest, MessagesQueuedBehindTheQuitMessageAreStillDispatched) {
    WriteMinimalGame();
    Os().Clock().SetSleepHook([this] {
        backend::HeadlessHub& os = Os();
        if (os.Clock().SleepCalls() == 2) {
            backend::WindowId window = kv::g_mainWindow->Handle();
            os.Events().QueueSystemMessage({0, MessageKind::Quit, 0, 0, 0});
            os.Events().QueueSystemMessage({window, MessageKind::MouseMove, 40, 30, 0});
        }
    });
    EXPECT_EQ(kv::WinMain(), 0);
    const auto& dispatched = Os().Windows().Dispatched();
    ASSERT_GE(dispatched.size(), 2u);
    auto quit = std::find_if(dispatched.begin(), dispatched.end(),
                             [](const backend::WindowMessage& m) { return m.kind == MessageKind::Quit; });
    ASSERT_NE(quit, dispatched.end());
    ASSERT_NE(quit + 1, dispatched.end());
    EXPECT_EQ((quit + 1)->kind, MessageKind::MouseMove);
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());
}

TEST_F(StartupTest, TerminationEndsTheGameWithoutTheQuestion) {
    WriteMinimalGame();
    Os().Clock().SetSleepHook([this] {
        backend::HeadlessHub& os = Os();
        if (os.Clock().SleepCalls() == 3) backend::RequestTermination();
    });
    EXPECT_EQ(kv::WinMain(), 0);
    EXPECT_TRUE(Os().Dialogs().MessageBoxes().empty());
    EXPECT_FALSE(Os().Clock().SleepLimitReached());
}

TEST_F(StartupTest, TheWindowFollowsActivationAndTheMouse) {
    WriteMinimalGame();
    bool activeAfterDeactivation = true;
    int mouseX = -1, mouseY = -1, previousX = -1;
    Os().Clock().SetSleepHook([&] {
        backend::HeadlessHub& os = Os();
        backend::WindowId window = kv::g_mainWindow->Handle();
        switch (os.Clock().SleepCalls()) {
            case 2:
                os.Events().QueueSystemMessage({window, MessageKind::ActivateApp, 0, 0, 0});
                os.Events().QueueSystemMessage({window, MessageKind::MouseMove, 10, 20, 0});
                os.Events().QueueSystemMessage({window, MessageKind::MouseMove, 799, 599, 0});
                break;
            case 3:
                activeAfterDeactivation = kv::g_mainWindow->IsActive();
                mouseX = kv::g_mainWindow->MouseX();
                mouseY = kv::g_mainWindow->MouseY();
                previousX = kv::g_mainWindow->PreviousMouseX();
                backend::RequestTermination();
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

// The screen surfaces and the layer sets exist from start-up to shut-down, and a paint shows the
// screen surface.
TEST_F(StartupTest, TheScreenObjectsLiveWhileTheGameRunsAndThePaintShowsTheScreen) {
    WriteMinimalGame();
    bool checked = false;
    std::size_t framesBeforePaint = 0;
    std::vector<std::uint8_t> painted;
    Os().Clock().SetSleepHook([&] {
        backend::HeadlessHub& os = Os();
        using kv::g_screenSurface, kv::g_workSurface1, kv::g_workSurface2, kv::g_workSurface3;
        switch (os.Clock().SleepCalls()) {
            case 2:
                for (kv::Surface* surface : {g_screenSurface, g_workSurface1, g_workSurface2, g_workSurface3}) {
                    ASSERT_NE(surface, nullptr);
                    EXPECT_EQ(surface->Width(), 800);
                    EXPECT_EQ(surface->Height(), 600);
                    EXPECT_EQ(surface->BitsPerPixel(), 24);
                }
                ASSERT_NE(kv::g_thumbnailSurface, nullptr);
                EXPECT_TRUE(kv::g_thumbnailSurface->IsEmpty());
                for (kv::LayerSet* layers : {kv::g_gameScreenLayers, kv::g_rightClickLayers}) {
                    ASSERT_NE(layers, nullptr);
                    EXPECT_EQ(layers->Target(), g_screenSurface);
                    EXPECT_EQ(layers->Compose(), g_workSurface1);
                    EXPECT_EQ(layers->Previous(), g_workSurface2);
                    EXPECT_EQ(layers->ClipRect().width, 800);
                }
                EXPECT_EQ(kv::g_currentLayers, kv::g_gameScreenLayers);
                checked = true;
                g_screenSurface->FillRect24(0, 0, 800, 600, 10, 20, 30);
                framesBeforePaint = os.Windows().Frames().size();
                os.Events().QueueSystemMessage({kv::g_mainWindow->Handle(), MessageKind::Paint, 0, 0, 0});
                break;
            case 3:
                if (os.Windows().Frames().size() > framesBeforePaint) painted = os.Windows().Frames().back().bgr;
                backend::RequestTermination();
                break;
            default: break;
        }
    });
    EXPECT_EQ(kv::WinMain(), 0);
    EXPECT_TRUE(checked);
    ASSERT_EQ(painted.size(), 800u * 600u * 3u);
    EXPECT_EQ(painted[0], 30);
    EXPECT_EQ(painted[2], 10);
    for (void* global : {static_cast<void*>(kv::g_screenSurface), static_cast<void*>(kv::g_thumbnailSurface),
                         static_cast<void*>(kv::g_gameScreenLayers), static_cast<void*>(kv::g_rightClickLayers),
                         static_cast<void*>(kv::g_currentLayers)})
        EXPECT_EQ(global, nullptr);
}

}  // namespace
