#include "script/screens/message_windows.h"

#include "app/globals/globals.h"
#include "script/ops/page_replay.h"
#include "script/screens/message_window.h"

namespace kv {

namespace {

// A window's renderer as the page replay drives it.
class WindowPageLayout final : public PageLayout {
public:
    explicit WindowPageLayout(MessageWindow& window) : window_(window) {}
    std::int32_t Step() override { return window_.Step(); }
    std::int32_t NewLine() override { return window_.NewLine(); }
    std::int32_t NewPage() override { return window_.NewPage(); }
    std::int32_t ReadPosition() const override { return window_.readIndex; }

private:
    MessageWindow& window_;
};

}  // namespace

MessageWindow* MessageWindowAt(std::int32_t index) {
    if (g_messageWindows == nullptr || index < 0 || index >= g_gameState.messageWindowCount) return nullptr;
    return &g_messageWindows[index];
}

void FreeMessageWindows() {
    delete[] g_messageWindows;
    g_messageWindows = nullptr;
    g_gameState.messageWindowCount = 0;
}

void AllocMessageWindows(std::int32_t count) {
    FreeMessageWindows();
    if (count < 1) return;
    g_messageWindows = new MessageWindow[static_cast<std::size_t>(count)];
    for (std::int32_t i = 0; i < count; ++i) g_messageWindows[i].screen = g_screenSurface;
    g_gameState.messageWindowCount = count;
}

void ReplayMessageWindowPage(std::int32_t index) {
    MessageWindow* window = MessageWindowAt(index);
    if (window == nullptr) return;
    MessageWindow scratch;
    scratch.CopyFrom(*window);
    WindowPageLayout layout(scratch);
    ReplayPage(layout, window->windowRect);
    if (scratch.maskSurface && window->maskSurface) window->maskSurface->CopyFrom(*scratch.maskSurface);
}

}  // namespace kv
