#pragma once
// The message history: the last 100 finished pages of message text, each with the voices spoken
// on it, oldest first, for the backlog view (script/screens/backlog_view.h) to show again. The
// message flow and the choice menus append pages; the voices of the page being shown wait in a
// pending block until that page is appended. One object for the whole run (g_messageHistory).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct HistoryVoice {
    // Where the voiced message began: the window's cursor x and its cursor y less the text
    // rectangle's top.
    std::int32_t x = -1;
    std::int32_t y = -1;
    std::string name;  // at most 63 bytes
    std::int32_t volume = 0;  // the buffer's, in hundredths of a decibel
    std::int32_t pan = 0;
    bool operator==(const HistoryVoice&) const = default;
};

struct HistoryPage {
    std::uint32_t window = 0;  // the message window it was shown in
    std::string text;          // codes included, at most 1023 bytes
    std::vector<HistoryVoice> voices;  // at most kMaxVoices
    bool operator==(const HistoryPage&) const = default;
};

// The backlog's voice icon: a picture layer whose normal frame stands at the source corner and
// whose highlighted frame lies one icon width to its right.
struct VoiceIconSource {
    std::int32_t layer = -1;
    std::int32_t sourceX = 0;
    std::int32_t sourceY = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const VoiceIconSource&) const = default;
};

class MessageHistory {
public:
    static constexpr std::int32_t kMaxPages = 100;
    static constexpr std::size_t kMaxVoices = 8;
    static constexpr std::size_t kTextField = 1024;  // terminator included
    static constexpr std::size_t kNameField = 64;

    // Every page and every pending voice gone; the backlog settings stay.
    void Clear();
    // A finished page with the pending voices, which are then emptied. An empty text, or the
    // page-break code alone, is not kept (and the voices stay pending). The 101st page drops the
    // oldest.
    void AddHistoryPage(std::uint32_t window, std::string_view text);
    // A voice of the page being shown. False, and nothing kept, when the page holds kMaxVoices.
    bool AddVoice(std::int32_t x, std::int32_t y, std::string_view name, std::int32_t volume, std::int32_t pan);

    std::int32_t PageCount() const { return static_cast<std::int32_t>(pages_.size()); }
    // The page n pages back from the newest (0: the newest); null outside the history.
    const HistoryPage* FromNewest(std::int32_t n) const;

    const std::vector<HistoryVoice>& PendingVoices() const { return pending_; }
    // In place of the pending voices, each cut to its field; beyond kMaxVoices are dropped.
    void SetPendingVoices(const std::vector<HistoryVoice>& voices);

    // The backlog view's settings (operations 80 and 81); -1: not set.
    std::int32_t backlogWindow = -1;
    std::int32_t backlogFrameLayer = -1;
    VoiceIconSource voiceIcon;

private:
    std::deque<HistoryPage> pages_;  // oldest first
    std::vector<HistoryVoice> pending_;
};

}  // namespace kv
