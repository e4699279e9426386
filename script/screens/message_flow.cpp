#include "script/screens/message_flow.h"

#include <algorithm>
#include <climits>
#include <string>

#include "app/globals/globals.h"
#include "backend/clock_service.h"
#include "backend/hub.h"
#include "base/message_box.h"
#include "platform/game_window.h"
#include "platform/input.h"
#include "platform/tick_time.h"
#include "script/ops/interruption.h"
#include "script/ops/op_state.h"
#include "script/ops/player_hooks.h"
#include "script/ops/script_values.h"
#include "script/ops/sound_channels.h"
#include "script/screens/click_wait_icons.h"
#include "script/screens/line_breaking.h"
#include "script/screens/message_window.h"
#include "script/screens/message_windows.h"
#include "sound/sound_buffer.h"

namespace kv {

namespace {

using namespace message_code;

// Scratch words of the operation.
constexpr int kWindow = 0;
constexpr int kVoiced = 1;
constexpr int kMessageId = 2;
constexpr int kReadBefore = 3;
constexpr int kAutoDeadline = 4;
constexpr int kVoiceStart = 5;

enum Phase : std::uint32_t { kReadyPhase = 0, kFlowPhase = 1, kClickPhase = 2, kCharPhase = 3, kFlushPhase = 4 };

// The voice is silent at this volume and does not hold an auto-mode page.
constexpr std::int32_t kSilentVolume = -10000;

std::uint32_t Now() { return backend::Get().Clock().TickCount(); }

backend::WindowId Owner() { return g_mainWindow ? g_mainWindow->Handle() : 0; }

// A player setting: the bank-C integer the script bound it to. Polled every frame, so an
// unbound or misbound setting reads as 0 instead of a box a frame.
std::int32_t Setting(std::int32_t index) {
    const std::int32_t* value = g_vm ? g_vm->CInt(static_cast<std::uint32_t>(index)) : nullptr;
    return value ? *value : 0;
}

MessageWindow* CurrentWindow() { return MessageWindowAt(static_cast<std::int32_t>(CurrentOp().scratch[kWindow])); }

void Present(const PixelRect& area) {
    if (g_screenSurface && g_mainWindow) g_screenSurface->BlitRectToDC(g_mainWindow->Handle(), area);
}

void Restore(const PixelRect& area) {
    if (g_screenSurface && g_workSurface1) g_screenSurface->BlitRect(*g_workSurface1, area);
}

// Whether this message may be skipped now. The wait phases stop skip mode at an unread message.
bool Skipping(bool inWait) {
    const bool wanted = IsCtrlHeld() || g_gameState.skipMode != 0;
    if (Setting(g_gameState.skipAllVar) != 0 || CurrentOp().scratch[kReadBefore] != 0) return wanted;
    if (inWait) g_gameState.skipMode = 0;
    return false;
}

void SetAutoDeadline(const MessageWindow& window) {
    OpState& op = CurrentOp();
    const std::uint32_t now = Now();
    const std::uint32_t perPage =
        static_cast<std::uint32_t>(Setting(g_gameState.autoWaitVar)) * static_cast<std::uint32_t>(window.charsOnPage);
    std::uint32_t deadline = now + perPage;
    const std::uint32_t voiceStart = op.scratch[kVoiceStart];
    const SoundBuffer* voice = ChannelBuffer(window.voiceChannel);
    if (voiceStart > 0 && voice && voice->Volume() > kSilentVolume) {
        // A voice holds the page until it has ended and a moment has passed.
        const std::uint32_t heard = now - voiceStart;
        const std::uint32_t length = voice->LengthMs();
        if (length > heard + perPage) deadline = now + (length - heard) + kAutoVoiceGraceMs;
    }
    op.scratch[kAutoDeadline] = deadline;
}

void MarkRead() {
    std::uint8_t* flag = g_vm ? g_vm->CByte(CurrentOp().scratch[kMessageId]) : nullptr;
    if (flag) *flag = 1;
}

std::uint32_t Finish() {
    MarkRead();
    return CompleteOperation();
}

enum class Flow : std::uint8_t { PerCharacter, Flushing };

// A finished page goes to the history and the window starts a new one; the screen loses the
// old page's text.
void TurnPage(MessageWindow& window, Flow flow) {
    if (window.history) AddHistoryPage(static_cast<std::int32_t>(CurrentOp().scratch[kWindow]), window.pageText);
    window.NewPage();
    if (flow == Flow::PerCharacter) {
        Restore(window.windowRect);
        Present(window.windowRect);
    } else {
        Present(window.windowRect);
        Restore(window.windowRect);
    }
}

// A line break: a page with no room for another line is turned as a full page is, so that it
// reaches the history and leaves the screen.
void TurnLine(MessageWindow& window, Flow flow) {
    if (window.NextLineFits()) {
        window.NewLine();
    } else {
        TurnPage(window, flow);
    }
}

std::uint32_t EnterPhase(std::uint32_t phase) {
    CurrentOp().phase = phase;
    return kOpContinue;
}

std::uint32_t EnterClickWait(const MessageWindow& window) {
    if (g_gameState.autoMode) SetAutoDeadline(window);
    return EnterPhase(kClickPhase);
}

// The window of a message the operation began may have gone with its array (an interrupting
// script's operation 29): the message ends there.
std::uint32_t WindowGone() { return CompleteOperation(); }

std::uint32_t FlushMessagePage(MessageWindow& window) {
    for (;;) {
        switch (window.Step()) {
            case kLaidOut: break;
            case kLineBreak: TurnLine(window, Flow::Flushing); break;
            case kWaitClick:
                Present(window.windowRect);
                return EnterClickWait(window);
            case kPageBreak: TurnPage(window, Flow::Flushing); break;
            case kTextEnd:
                Present(window.windowRect);
                return Finish();
            default: break;
        }
    }
}

void PlayVoice(MessageWindow& window) {
    if (!PlayChannel(window.voiceChannel, false)) {
        MessageBoxOk(Owner(), "This game failed to play a voice in MessageFlowReady().", "error");
    }
    std::uint32_t now = Now();
    CurrentOp().scratch[kVoiceStart] = now != 0 ? now : 1;  // 0 means "no voice"
}

void LoadVoice(MessageWindow& window, std::int32_t index, const char* name) {
    const std::int32_t channel = window.voiceChannel;
    if (!LoadChannelSound(String(name), channel)) {
        MessageBoxOk(Owner(), "This game failed to load voice-files in MessageFlowReady().", "Warning");
    } else {
        ApplyVolumeRule(channel, true);
        ApplyPanRule(channel, true);
    }
    g_gameState.voicedWindow = index;
    window.voiceName = name;
    const SoundBuffer* buffer = ChannelBuffer(channel);
    const auto lineY = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        static_cast<std::int64_t>(window.cursorY) - window.textRect.y, INT32_MIN, INT32_MAX));
    AddHistoryVoice(window.cursorX, lineY, name, buffer ? buffer->Volume() : 0,
                    buffer ? buffer->Pan() : 0);
}

}  // namespace

std::uint32_t MessageFlowReady() {
    if (g_vm == nullptr) return CompleteOperation();
    OpState& op = CurrentOp();

    const auto messageId = static_cast<std::uint32_t>(PopIntOperand());
    const std::uint8_t* readFlag = g_vm->CByte(messageId);
    if (readFlag == nullptr) ShowAccessViolation();  // shown unread, and never marked
    const bool voiced = PopIntOperand() == 3;
    const VmValue textOperand = g_vm->Pop();
    const VmValue voiceOperand = voiced ? g_vm->Pop() : VmValue{};
    const VmValue windowOperand = g_vm->Pop();
    std::int32_t index = -1;
    if (!ResolveIntOperand(windowOperand, index)) return FailIllegalArguments("MessageFlowReady");
    MessageWindow* window = MessageWindowAt(index);
    if (window == nullptr) return FailIllegalArguments("MessageFlowReady");

    op.scratch[kWindow] = static_cast<std::uint32_t>(index);
    op.scratch[kVoiced] = voiced ? 1 : 0;
    op.scratch[kMessageId] = messageId;
    op.scratch[kReadBefore] = readFlag != nullptr && *readFlag != 0 ? 1 : 0;
    op.scratch[kAutoDeadline] = 0;
    op.scratch[kVoiceStart] = 0;

    if (voiced) {
        char name[kMessageBufferSize];
        FetchOperandText(voiceOperand, name);
        LoadVoice(*window, index, name);
    } else {
        g_gameState.voicedWindow = -1;
        window->voiceName.clear();
    }

    char text[kMessageBufferSize];
    FetchOperandText(textOperand, text);
    if (index == 0 || index == 3) KinsokuEnglish(text);
    window->PutText(text);

    if (ClickWaitIcon* icon = ClickWaitIconAt(kMessageWaitIcon)) icon->currentFrame = 0;
    RefreshInput();
    if (Skipping(false)) return EnterPhase(kFlushPhase);  // the voice stays unheard
    if (voiced) PlayVoice(*window);
    const bool instant = window->instant || Setting(g_gameState.instantTextVar) != 0;
    return EnterPhase(instant ? kFlushPhase : kFlowPhase);
}

std::uint32_t FlowMessage() {
    MessageWindow* window = CurrentWindow();
    if (window == nullptr) return WindowGone();
    for (;;) {
        switch (window->Step()) {
            case kLaidOut:
                Present(window->windowRect);
                return EnterPhase(kCharPhase);
            case kLineBreak: TurnLine(*window, Flow::PerCharacter); break;
            case kWaitClick: return EnterClickWait(*window);
            case kPageBreak: TurnPage(*window, Flow::PerCharacter); break;
            case kTextEnd: return Finish();
            default: break;
        }
    }
}

std::uint32_t WaitMessageClick() {
    MessageWindow* window = CurrentWindow();
    if (window == nullptr) return WindowGone();
    RefreshInput();
    const bool autoMode = g_gameState.autoMode != 0;
    const std::int32_t icon = autoMode ? kAutoModeWaitIcon : kMessageWaitIcon;
    if (!autoMode) {
        if (Skipping(true)) {
            RestoreClickWaitIconArea(icon);
            return EnterPhase(kFlushPhase);
        }
        if (ProcessSystemButton() || TakeRightClick()) {
            RestoreClickWaitIconArea(icon);
            return kOpFinished;
        }
    }
    StepClickWaitIcon(icon);
    const bool advance =
        autoMode ? TickDifference(Now(), CurrentOp().scratch[kAutoDeadline]) >= 0 : IsDecidePressed();
    if (!advance) return kOpContinue;
    RestoreClickWaitIconArea(icon);
    return EnterPhase(Setting(g_gameState.instantTextVar) != 0 ? kFlushPhase : kFlowPhase);
}

std::uint32_t WaitMessageCharDelay() {
    MessageWindow* window = CurrentWindow();
    if (window == nullptr) return WindowGone();
    RefreshInput();
    if (IsDecidePressed() || Skipping(true)) return FlushMessagePage(*window);
    if (window->charTimer.Check()) CurrentOp().phase = kFlowPhase;
    return kOpContinue;
}

std::uint32_t FlushMessageOp() {
    MessageWindow* window = CurrentWindow();
    if (window == nullptr) return WindowGone();
    return FlushMessagePage(*window);
}

}  // namespace kv
