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
    // the window stands after each.
    std::vector<Placement> RunSwitches(std::vector<std::uint8_t> modes) {
        std::vector<Placement> placements;
        WriteMinimalGame();
        Os().Clock().SetSleepHook([&] {
            backend::HeadlessHub& os = Os();
            if (os.Clock().SleepCalls() != 2) return;
            for (std::uint8_t mode : modes) {
                kv::SetWindowMode(mode);
                backend::WindowId window = kv::g_mainWindow->Handle();
                placements.push_back({os.Windows().GetClientRect(window), os.Windows().ClientOrigin(window),
                                      kv::g_displayMode->IsFullScreen()});
            }
            backend::RequestTermination();
        });
        EXPECT_EQ(kv::WinMain(), 0);
        return placements;
    }
};

TEST_F(WindowModeTest, SwitchesToFullScreenAndBack) {
    auto placements = RunSwitches({1, 1, 0});
    ASSERT_EQ(placements.size(), 3u);
    EXPECT_TRUE(placements[0].fullScreen);
    EXPECT_EQ(placements[0].client.width, 1024);  // the desktop, with the screen scaled into it
    EXPECT_TRUE(placements[1].fullScreen);         // asking again changes nothing
    EXPECT_FALSE(placements[2].fullScreen);
    EXPECT_EQ(placements[2].client.width, 800);
    EXPECT_EQ(placements[2].client.height, 600);
    // Centred by its client size, as the window-mode switch does.
    EXPECT_EQ(placements[2].origin.x, (1024 - 800) / 2 + 3);
}

TEST_F(WindowModeTest, ARefusedFullScreenLeavesAWorkingWindow) {
    auto options = DefaultOptions();
    options.desktopBitsPerPixel = 8;
    Reinstall(options);
    auto placements = RunSwitches({1, 0, 1});
    ASSERT_EQ(placements.size(), 3u);
    for (const Placement& p : placements) {
        EXPECT_FALSE(p.fullScreen);
        EXPECT_EQ(p.client.width, 800);
        EXPECT_EQ(p.client.height, 600);
    }
}

}  // namespace
