#include "script/ops/string_ops.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/string.h"
#include "base/text_utils.h"
#include "script/ops/op_state.h"
#include "script/ops/script_values.h"

namespace kv {

namespace {

// The longest text FormatNumber makes: the most any operation can fetch back with its
// terminator (a message text). A wider fill is cut, so no script width can ask for gigabytes.
constexpr std::size_t kMaxFormattedBytes = 1023;

// Full-width forms of the code page: digit d is 0x82, '0' + d + 31; the minus sign has a
// form of its own (the digit rule would give a code that is no character).
constexpr char kFullWidthLead = '\x82';
constexpr int kFullWidthOffset = 31;
constexpr std::string_view kFullWidthMinus = "\x81\x7C";

// The position after stepping over count characters from byte position from; the end of the
// text (its terminator) is never passed.
std::size_t StepCharacters(std::string_view text, std::size_t from, std::int64_t count) {
    std::size_t position = from;
    for (; count > 0 && position < text.size(); --count) {
        // The text is terminated, so the pair test reads at most the terminator.
        position += IsDbcsLeadPair(text.data() + position) ? 2 : 1;
    }
    return std::min(position, text.size());
}

std::string FullWidth(std::string_view digits) {
    std::string wide;
    for (char byte : digits) {
        if (byte == '-') {
            wide += kFullWidthMinus;
        } else {
            wide += kFullWidthLead;
            wide += static_cast<char>(byte + kFullWidthOffset);
        }
    }
    return wide;
}

// The operands of an operation on text 1 and text 2 with a result variable, popped in their
// order (members are initialised as declared): the variable, text 2, text 1.
template <std::size_t N>
struct TwoTextsInto {
    std::int32_t destination = PopIntOperand();
    char buffer2[N];
    char buffer1[N];
    std::string_view text2 = PopTextOperand(buffer2);
    std::string_view text1 = PopTextOperand(buffer1);
};

}  // namespace

std::uint32_t CompareStrings() {
    const TwoTextsInto<1024> operands{};
    StoreAByte(operands.destination, operands.text1 == operands.text2 ? 1 : 0);
    return CompleteOperation(0);
}

std::uint32_t Substring() {
    const std::int32_t destination = PopIntOperand();
    char buffer[256];
    const std::string_view text = PopTextOperand(buffer);
    const std::int64_t count = PopIntOperand();
    const std::int64_t start = PopIntOperand();
    const std::int32_t unit = PopIntOperand();
    std::size_t offset = 0;
    std::size_t length = 0;
    if (unit != 0) {
        const auto size = static_cast<std::int64_t>(text.size());
        offset = static_cast<std::size_t>(std::clamp<std::int64_t>(start - 1, 0, size));
        length = static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, size - static_cast<std::int64_t>(offset)));
    } else {
        offset = StepCharacters(text, 0, start - 1);
        length = StepCharacters(text, offset, count) - offset;
    }
    StoreAText(destination, text.substr(offset, length));
    return CompleteOperation(0);
}

std::uint32_t ConcatStrings() {
    const TwoTextsInto<256> operands{};
    StoreAText(operands.destination, std::string(operands.text1).append(operands.text2));
    return CompleteOperation(0);
}

std::uint32_t FormatNumber() {
    char padBuffer[3];  // one character of up to two bytes
    const std::string_view padText = PopTextOperand(padBuffer);
    const std::int64_t width = PopIntOperand();
    const bool fullWidth = PopIntOperand() != 0;
    const std::int32_t destination = PopIntOperand();
    const std::int32_t number = PopIntOperand();

    const std::string digits = String::FromInt(number).c_str();
    const std::string text = fullWidth ? FullWidth(digits) : digits;
    const auto characters = static_cast<std::int64_t>(fullWidth ? text.size() / 2 : text.size());
    // A double-byte pad character with full-width digits, its first byte without: both taken
    // up to the text's end, so a short pad never puts a terminator into the result.
    const std::string_view pad = padText.substr(0, fullWidth ? 2 : 1);
    std::int64_t fill = 0;  // below 1: the text alone
    if (!pad.empty()) {
        const auto room = static_cast<std::int64_t>((kMaxFormattedBytes - text.size()) / pad.size());
        fill = std::min(width - characters, room);
    }
    std::string formatted;
    for (std::int64_t i = 0; i < fill; ++i) formatted += pad;
    formatted += text;
    StoreAText(destination, formatted);
    return CompleteOperation(0);
}

std::uint32_t StringLength() {
    const std::int32_t destination = PopIntOperand();
    const std::int32_t unit = PopIntOperand();
    char buffer[512];
    const std::string_view text = PopTextOperand(buffer);
    // Characters as the String class counts them, whose lead bytes are the same in both builds.
    const std::int32_t length = unit != 0 ? static_cast<std::int32_t>(text.size()) : String(buffer).CharCount();
    StoreAInt(destination, length);
    return CompleteOperation(0);
}

}  // namespace kv
