#include "script/screens/line_breaking.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "app/globals/globals.h"
#include "base/message_box.h"
#include "platform/game_window.h"

namespace kv {

namespace {

constexpr std::uint32_t Single(char c) { return static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8; }

constexpr std::uint32_t kHanging[] = {
    0x8148, 0x8149, 0x8141, 0x8142, 0x8143, 0x816A, 0x816C, 0x816E, 0x8170, 0x8172, 0x8174, 0x8176, 0x8178,
    Single('?'), Single('!'), Single(','), Single('.'), Single(')'), Single(']'), Single('}'),
};
constexpr std::uint32_t kOpening[] = {
    0x8169, 0x816B, 0x816D, 0x816F, 0x8171, 0x8173, 0x8175, 0x8177, Single('('), Single('['), Single('{'),
};
constexpr std::uint32_t kClosing[] = {
    0x816A, 0x816C, 0x816E, 0x8170, 0x8172, 0x8174, 0x8176, 0x8178, Single(')'), Single(']'), Single('}'),
};

template <std::size_t N>
bool InTable(const std::uint32_t (&table)[N], std::uint32_t code) {
    return std::find(std::begin(table), std::end(table), code) != std::end(table);
}

constexpr char kLineBreak = 1;
constexpr char kPageBreak = 3;

bool EndsWord(char c) { return c == ' ' || c == '\0' || c == kLineBreak || c == kPageBreak; }

void ShowError(const char* text) {
    MessageBoxOk(g_mainWindow ? g_mainWindow->Handle() : 0, text, "error");
}

// The wrapped text, bounded so that a terminator always follows it.
class WrapOutput {
public:
    bool Put(char c) { return Put(&c, 1); }
    bool Put(const char* bytes, std::size_t count) {
        if (count > kMessageBufferSize - 1 - length_) {
            overflow_ = true;
            return false;
        }
        std::memcpy(bytes_ + length_, bytes, count);
        length_ += count;
        return true;
    }
    bool Overflowed() const { return overflow_; }
    void CopyTo(char (&text)[kMessageBufferSize]) const { std::memcpy(text, bytes_, kMessageBufferSize); }

private:
    char bytes_[kMessageBufferSize] = {};
    std::size_t length_ = 0;
    bool overflow_ = false;
};

}  // namespace

bool IsHangingPunctuation(std::uint32_t code) { return InTable(kHanging, code); }
bool IsOpeningBracket(std::uint32_t code) { return InTable(kOpening, code); }
bool IsClosingBracket(std::uint32_t code) { return InTable(kClosing, code); }

void KinsokuEnglish(char (&text)[kMessageBufferSize]) {
    WrapOutput out;
    std::int32_t column = 0;
    std::int32_t breaks = 0;
    const auto countBreak = [&breaks] {
        if (++breaks > kWrapLinesPerPage) ShowError("Page Over!");
    };
    // The input is read within its buffer even when a damaged text lacks its terminator.
    const std::size_t end = strnlen(text, kMessageBufferSize);
    std::size_t i = 0;
    while (i < end && !out.Overflowed()) {
        const char c = text[i];
        if (c == kLineBreak) {
            countBreak();
            column = 0;
            out.Put(kLineBreak);
            ++i;
        } else if (c == kPageBreak) {
            breaks = 0;
            column = 0;
            out.Put(kPageBreak);
            ++i;
        } else if (c == ' ') {
            out.Put(' ');
            if (++column > kWrapColumns) {
                out.Put(kLineBreak);
                ++breaks;
                column = 0;
            }
            ++i;
        } else {
            // A word is a span of the input of any length: one longer than a line simply
            // stands on a line of its own.
            std::size_t wordEnd = i;
            while (wordEnd < end && !EndsWord(text[wordEnd])) ++wordEnd;
            const auto length = static_cast<std::int32_t>(wordEnd - i);
            column += length;
            const bool broken = column > kWrapColumns;
            if (broken) {
                out.Put(kLineBreak);
                countBreak();
                column = length;
            }
            out.Put(text + i, wordEnd - i);
            i = wordEnd;
            if (column == kWrapColumns && i < end && text[i] == ' ') ++i;
        }
    }
    if (out.Overflowed()) {
        ShowError("MsgBufferOver in KinsokuEnglish()");
        return;
    }
    out.CopyTo(text);
}

}  // namespace kv
