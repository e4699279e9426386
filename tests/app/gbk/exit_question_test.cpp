// The GBK program asks the exit question in Chinese, in GBK.

#include <gtest/gtest.h>

#include "backend/clock_service.h"
#include "backend/dialog_service.h"
#include "backend/event_queue.h"
#include "app/engine.h"
#include "tests/support/headless_game.h"

namespace {

class GbkExitQuestionTest : public kvtest::HeadlessGameTest {};

TEST_F(GbkExitQuestionTest, AsksInChinese) {
    WriteMinimalGame();
    Os().Dialogs().QueueMessageBoxAnswer(backend::MessageBoxAnswer::Yes);
    Os().Clock().SetSleepHook([this] {
        backend::HeadlessHub& os = Os();
        if (os.Clock().SleepCalls() == 2) os.Events().RequestClose();
    });
    EXPECT_EQ(kv::WinMain(), 0);
    ASSERT_EQ(Os().Dialogs().MessageBoxes().size(), 1u);
    // "确定退出游戏?" and "退出游戏" in GBK.
    EXPECT_EQ(Os().Dialogs().MessageBoxes()[0].text, "\xC8\xB7\xB6\xA8\xCD\xCB\xB3\xF6\xD3\xCE\xCF\xB7?");
    EXPECT_EQ(Os().Dialogs().MessageBoxes()[0].caption, "\xCD\xCB\xB3\xF6\xD3\xCE\xCF\xB7");
}

}  // namespace
