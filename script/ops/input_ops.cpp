#include "script/ops/input_ops.h"

#include "app/globals/globals.h"
#include "backend/clock_service.h"
#include "backend/event_queue.h"
#include "backend/hub.h"
#include "backend/window_message.h"
#include "backend/window_service.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "script/ops/op_state.h"

namespace kv {

namespace {
// "Failed to create the DirectInput manager", in the code page the games were made in.
constexpr const char kCreateFailedText[] =
    "DirectInput"
    "\x83}\x83l\x81[\x83W\x83\x83"  // manager
    "\x90\xB6\x90\xAC\x82\xC9"      // creation (+ particle)
    "\x8E\xB8\x94s";                // failed

// Hands the waiting window messages to the windows, as the main loop does: the window comes to
// the front only through them. False when the quit message came (it is put back for the loop).
bool PumpWindowMessages() {
    backend::Hub& hub = backend::Get();
    backend::WindowMessage message;
    bool quit = false;
    while (hub.Events().PeekMessage(message)) {
        if (message.kind == backend::MessageKind::Quit) quit = true;
        hub.Windows().DispatchMessage(message);
    }
    if (quit) hub.Events().PostQuitMessage();
    return !quit;
}

}  // namespace

std::uint32_t CreateDirectInputManager() {
    if (!g_input) {
        Input* input = new Input();
        backend::WindowId window = g_mainWindow ? g_mainWindow->Handle() : 0;
        for (int attempt = 0; attempt < kInputCreateAttempts; ++attempt) {
            if (input->Create(window) == 0) {
                g_input = input;
                if (g_mainWindow) g_mainWindow->SetInput(input);
                return CompleteOperation(0);
            }
            // The keyboard goes only to the window in front; give the player time to come back.
            backend::Get().Clock().Sleep(kInputCreateRetryMs);
            if (!PumpWindowMessages()) {
                // The game is being closed: no more attempts, and nothing to report.
                delete input;
                SetCurrentOperation(kOpQuit);
                return kOpContinue;
            }
        }
        // Its destructor releases what the attempts made.
        delete input;
    }
    MessageBoxOk(0, kCreateFailedText, "error");
    SetCurrentOperation(kOpQuit);
    return kOpContinue;
}

}  // namespace kv
