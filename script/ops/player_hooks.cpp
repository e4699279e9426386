// The one place where the system buttons and the message history join the waits.

#include "script/ops/player_hooks.h"

#include "app/globals/globals.h"
#include "script/screens/message_history.h"
#include "script/screens/system_buttons.h"

namespace kv {

namespace {

void AppendHistoryPage(std::int32_t window, std::string_view pageText) {
    if (g_messageHistory) g_messageHistory->AddHistoryPage(static_cast<std::uint32_t>(window), pageText);
}

bool AppendHistoryVoice(std::int32_t x, std::int32_t y, std::string_view name, std::int32_t volume,
                        std::int32_t pan) {
    return g_messageHistory && g_messageHistory->AddVoice(x, y, name, volume, pan);
}

PlayerHooks g_hooks = {
    .processSystemButton = ProcessSystemButtonPress,
    .addHistoryPage = AppendHistoryPage,
    .addHistoryVoice = AppendHistoryVoice,
};

}  // namespace

const PlayerHooks& Hooks() { return g_hooks; }

PlayerHooks ReplaceHooks(const PlayerHooks& hooks) {
    const PlayerHooks old = g_hooks;
    g_hooks = hooks;
    return old;
}

bool ProcessSystemButton() { return g_hooks.processSystemButton && g_hooks.processSystemButton(); }

void AddHistoryPage(std::int32_t window, std::string_view pageText) {
    if (g_hooks.addHistoryPage) g_hooks.addHistoryPage(window, pageText);
}

bool AddHistoryVoice(std::int32_t x, std::int32_t y, std::string_view name, std::int32_t volume, std::int32_t pan) {
    return g_hooks.addHistoryVoice && g_hooks.addHistoryVoice(x, y, name, volume, pan);
}

}  // namespace kv
