#include "script/screens/message_history.h"

#include "base/text_utils.h"

namespace kv {

namespace {

constexpr char kPageBreakCode = 3;

HistoryVoice FittedVoice(HistoryVoice voice) {
    voice.name = std::string(CutBetweenCharacters(voice.name, MessageHistory::kNameField - 1));
    return voice;
}

}  // namespace

void MessageHistory::Clear() {
    pages_.clear();
    pending_.clear();
}

void MessageHistory::AddHistoryPage(std::uint32_t window, std::string_view text) {
    if (text.empty() || text.front() == '\0' || (text.size() == 1 && text.front() == kPageBreakCode)) return;
    if (pages_.size() >= static_cast<std::size_t>(kMaxPages)) pages_.pop_front();
    pages_.push_back({window, std::string(CutBetweenCharacters(text, kTextField - 1)), std::move(pending_)});
    pending_.clear();
}

bool MessageHistory::AddVoice(std::int32_t x, std::int32_t y, std::string_view name, std::int32_t volume,
                              std::int32_t pan) {
    if (pending_.size() >= kMaxVoices) return false;
    pending_.push_back(FittedVoice({x, y, std::string(name), volume, pan}));
    return true;
}

const HistoryPage* MessageHistory::FromNewest(std::int32_t n) const {
    if (n < 0 || n >= PageCount()) return nullptr;
    return &pages_[pages_.size() - 1 - static_cast<std::size_t>(n)];
}

void MessageHistory::SetPendingVoices(const std::vector<HistoryVoice>& voices) {
    pending_.clear();
    for (const HistoryVoice& voice : voices) {
        if (pending_.size() >= kMaxVoices) break;
        pending_.push_back(FittedVoice(voice));
    }
}

}  // namespace kv
