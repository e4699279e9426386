// Keyboard and mouse snapshots on the headless backend: release edges, levels, the wheel, reads
// that fail while the window is behind another, and the window's activation.

#include <gtest/gtest.h>

#include <memory>

#include "backend/event_queue.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "app/globals/globals.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/key_codes.h"
#include "tests/support/headless_game.h"

namespace {

namespace key = backend::key;

class InputTest : public kvtest::HeadlessGameTest {
public:
    void SetUp() override {
        kvtest::HeadlessGameTest::SetUp();
        ASSERT_TRUE(kv::Window::RegisterClass("KVRE"));
        ASSERT_TRUE(window_.Create("KVRE", "input", backend::WindowStyle::Framed, 0, 0, 800, 600));
        Os().Windows().ShowWindow(window_.Handle());
        Pump();
        kv::g_mainWindow = &window_;
        ASSERT_EQ(input_.Create(window_.Handle()), 0);
        kv::g_input = &input_;
        window_.SetInput(&input_);
    }
    void TearDown() override {
        kv::g_input = nullptr;
        kv::g_mainWindow = nullptr;
        window_.DestroyHandle();
        kvtest::HeadlessGameTest::TearDown();
    }
    void Pump() {
        backend::WindowMessage message;
        while (Os().Events().PeekMessage(message)) Os().Windows().DispatchMessage(message);
    }
    // One frame's input: the events pumped, then a read.
    void PumpAndRead() {
        Pump();
        kv::RefreshInput();
    }
    void SetActive(bool active) {
        Os().Events().QueueSystemMessage({window_.Handle(), backend::MessageKind::ActivateApp, 0, 0, active ? 1u : 0u});
        Pump();
    }

    kv::GameWindow window_;
    kv::Input input_;
};

TEST_F(InputTest, HoldingADecideInputGivesNothingAndItsReleaseExactlyOneDecide) {
    struct Case {
        bool isKey;
        int code;
        bool decides;
    };
    const Case cases[] = {
        {true, key::Return, true},     {true, key::NumpadEnter, true}, {true, key::LeftShift, true},
        {true, key::RightShift, true}, {false, 0, true},               {true, key::Space, false},
        {true, key::LeftControl, false}, {false, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.isKey ? "key " : "button ") << c.code);
        auto press = [&](bool down) {
            if (c.isKey) Os().Events().QueueKey(static_cast<std::uint8_t>(c.code), down);
            else Os().Events().QueueMouseButton(c.code, down);
        };
        press(true);
        PumpAndRead();
        EXPECT_FALSE(kv::IsDecidePressed());
        PumpAndRead();
        EXPECT_FALSE(kv::IsDecidePressed());  // still held
        press(false);
        PumpAndRead();
        EXPECT_EQ(kv::IsDecidePressed(), c.decides);
        kv::RefreshInput();  // a second read before the next pump: no new edge
        EXPECT_FALSE(kv::IsDecidePressed());
    }
}

TEST_F(InputTest, AReleaseTogetherWithAPressCountsOnceCtrlIsALevelAndTheWheelAMovement) {
    Os().Events().QueueKey(key::Return, true);
    Os().Events().QueueKey(key::RightControl, true);
    Os().Events().QueueWheel(120);
    Os().Events().QueueWheel(120);
    PumpAndRead();
    EXPECT_EQ(input_.Wheel(), 240);
    Os().Events().QueueKey(key::Return, false);
    Os().Events().QueueKey(key::RightShift, true);
    PumpAndRead();
    EXPECT_TRUE(kv::IsDecidePressed());
    EXPECT_EQ(input_.Wheel(), 0);
    PumpAndRead();
    EXPECT_FALSE(kv::IsDecidePressed());
    EXPECT_TRUE(kv::IsCtrlHeld());  // held all along
    Os().Events().QueueKey(key::RightControl, false);
    PumpAndRead();
    EXPECT_FALSE(kv::IsCtrlHeld());
}

TEST_F(InputTest, AFailedReadKeepsThePreviousStateAndTheDevicesFollowActivation) {
    Os().Events().QueueKey(key::LeftControl, true);
    Os().Events().QueueMouseButton(0, true);
    Os().Events().QueueWheel(120);
    PumpAndRead();
    // Behind another window the devices are let go and the reads fail; what was last seen
    // stays, with no edge and no wheel movement.
    SetActive(false);
    EXPECT_FALSE(input_.KeyboardAcquired());
    EXPECT_FALSE(input_.MouseAcquired());
    EXPECT_NE(input_.UpdateKeyboard(true), kv::kInputOk);
    input_.UpdateMouse(true);
    EXPECT_TRUE(kv::IsCtrlHeld());
    EXPECT_TRUE(input_.ButtonDown(0));
    EXPECT_FALSE(kv::IsDecidePressed());
    EXPECT_EQ(input_.Wheel(), 0);
    // Back in front the devices are taken again and the next read sees the keys as they are.
    SetActive(true);
    EXPECT_TRUE(input_.KeyboardAcquired());
    kv::RefreshInput();
    EXPECT_FALSE(kv::IsCtrlHeld());
    EXPECT_FALSE(input_.ButtonDown(0));
    // A device lost some other way is taken again by the read itself.
    input_.UnacquireKeyboard();
    Os().Events().QueueKey(key::A, true);
    Pump();
    EXPECT_EQ(input_.UpdateKeyboard(true), kv::kInputOk);
    EXPECT_TRUE(input_.KeyDown(key::A));
}

TEST_F(InputTest, CreateNamesTheStepThatFailedAndStartsOverCleanly) {
    kv::Input input;
    EXPECT_EQ(input.Create(0), 4);
    SetActive(false);
    EXPECT_EQ(input.Create(window_.Handle()), 5);
    EXPECT_NE(input.UpdateKeyboard(true), kv::kInputOk);  // what the failed attempt made reads nothing
    SetActive(true);
    EXPECT_EQ(input.Create(window_.Handle()), 0);
    EXPECT_EQ(input.Create(window_.Handle()), 0);
    EXPECT_TRUE(input.MouseAcquired());
    input.Release();
    EXPECT_FALSE(input.IsCreated());
    EXPECT_NE(input.UpdateKeyboard(true), kv::kInputOk);
}

}  // namespace
