// Switching the game window between the window and full screen.

#include <gtest/gtest.h>

#include "backend/clock_service.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "app/engine.h"
#include "app/globals/globals.h"
#include "platform/display_mode.h"
#include "platform/game_window.h"
#include "tests/support/headless_game.h"

namespace {

struct Placement {
    backend::Rect client;
    backend::Rect origin;
    bool fullScreen = false;
};

class WindowModeTest : public kvtest::HeadlessGameTest {
public:
    // Runs the game and, at its second sleep, switches through the given modes, recording where
    // the window stands before (first) and after each. moveTo, when set, is where the player
    // has dragged the window first.
    std::vector<Placement> RunSwitches(std::vector<std::uint8_t> modes, const backend::Rect* moveTo = nullptr) {
        std::vector<Placement> placements;
        WriteMinimalGame();
        Os().Clock().SetSleepHook([&] {
            backend::HeadlessHub& os = Os();
            if (os.Clock().SleepCalls() != 2) return;
            const backend::WindowId window = kv::g_mainWindow->Handle();
            if (moveTo) os.Windows().SetWindowPosition(window, backend::ZOrder::Keep, *moveTo);
            auto record = [&] {
                placements.push_back({os.Windows().GetClientRect(window), os.Windows().ClientOrigin(window),
                                      kv::g_displayMode->IsFullScreen()});
            };
            record();
            for (std::uint8_t mode : modes) {
                kv::SetWindowMode(mode);
                record();
            }
            backend::RequestTermination();
        });
        EXPECT_EQ(kv::WinMain(), 0);
        return placements;
    }
};

TEST_F(WindowModeTest, SwitchesToFullScreenAndBackToWhereTheWindowWas) {
    const backend::Rect dragged{40, 30, 806, 632};
    for (const backend::Rect* moveTo : {static_cast<const backend::Rect*>(nullptr), &dragged}) {
        SCOPED_TRACE(moveTo ? "moved by the player" : "where start-up put it");
        Reinstall(DefaultOptions());  // a fresh program: the window class is registered anew
        auto placements = RunSwitches({1, 1, 0, 1, 0}, moveTo);
        ASSERT_EQ(placements.size(), 6u);
        EXPECT_TRUE(placements[1].fullScreen);
        EXPECT_EQ(placements[1].client.width, 1024);  // the desktop, with the screen scaled into it
        EXPECT_TRUE(placements[2].fullScreen);         // asking again changes nothing
        for (const std::size_t back : {3u, 5u}) {
            EXPECT_FALSE(placements[back].fullScreen);
            EXPECT_EQ(placements[back].client.width, 800);
            EXPECT_EQ(placements[back].client.height, 600);
            EXPECT_EQ(placements[back].origin.x, placements[0].origin.x);
            EXPECT_EQ(placements[back].origin.y, placements[0].origin.y);
        }
        if (moveTo) {
            EXPECT_EQ(placements[0].origin.x, 43);
        }
    }
}

TEST_F(WindowModeTest, ARefusedFullScreenLeavesAWorkingWindowAndALaterRequestTriesAgain) {
    struct Case {
        const char* name;
        std::int32_t desktopBitsPerPixel;
        std::int32_t refusedFullScreens;  // by the window system
        std::vector<std::uint8_t> modes;
        std::vector<bool> fullScreen;  // the mode after each switch
    };
    const Case cases[] = {
        {"8-bit desktop", 8, 0, {1, 0, 1}, {false, false, false}},
        {"the window system always refuses", 32, 1000, {1, 0, 1}, {false, false, false}},
        {"the window system refuses once", 32, 1, {1, 1, 0}, {false, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto options = DefaultOptions();
        options.desktopBitsPerPixel = c.desktopBitsPerPixel;
        options.refusedFullScreens = c.refusedFullScreens;
        Reinstall(options);
        auto placements = RunSwitches(c.modes);
        ASSERT_EQ(placements.size(), c.modes.size() + 1);
        for (std::size_t i = 1; i < placements.size(); ++i) {
            SCOPED_TRACE(i);
            const Placement& p = placements[i];
            EXPECT_EQ(p.fullScreen, c.fullScreen[i - 1]);
            if (p.fullScreen) {
                EXPECT_EQ(p.client.width, 1024);
                continue;
            }
            EXPECT_EQ(p.client.width, 800);
            EXPECT_EQ(p.client.height, 600);
            EXPECT_EQ(p.origin.x, placements[0].origin.x);  // the window does not move either
            EXPECT_EQ(p.origin.y, placements[0].origin.y);
        }
    }
}

}  // namespace
