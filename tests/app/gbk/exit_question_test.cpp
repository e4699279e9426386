// The GBK program asks the exit question in Chinese, in GBK.

#include <gtest/gtest.h>

#include "app/engine.h"
#include "tests/support/headless_game.h"

namespace {

class GbkExitQuestionTest : public kvtest::HeadlessGameTest {};

TEST_F(GbkExitQuestionTest, AsksInChinese) {
    WriteMinimalGame();
    Os().QueueMessageBoxAnswer(platform::MessageBoxAnswer::Yes);
    Os().SetSleepHook([](platform::HeadlessPlatform& os) {
        if (os.SleepCalls() == 2) os.RequestClose();
    });
    EXPECT_EQ(kv::WinMain(), 0);
    ASSERT_EQ(Os().MessageBoxes().size(), 1u);
    // "确定退出游戏?" and "退出游戏" in GBK.
    EXPECT_EQ(Os().MessageBoxes()[0].text, "\xC8\xB7\xB6\xA8\xCD\xCB\xB3\xF6\xD3\xCE\xCF\xB7?");
    EXPECT_EQ(Os().MessageBoxes()[0].caption, "\xCD\xCB\xB3\xF6\xD3\xCE\xCF\xB7");
}

}  // namespace
