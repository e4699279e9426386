#include "base/string.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "base/text_utils.h"

namespace kv {

namespace {

// The length field is a signed 32-bit count; longer joins are cut here rather than wrapping.
constexpr std::size_t kMaxLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) - 1;

std::string_view ViewOf(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}

// The part of positions start .. start + count - 1 (1-based) that lies inside 1 .. length, as
// a 0-based offset and a byte count; 64-bit so that no sum overflows.
struct ByteRange {
    std::size_t offset = 0;
    std::size_t count = 0;
};

ByteRange ClipRange(std::int64_t start, std::int64_t count, std::int64_t length) {
    if (count <= 0 || length <= 0) {
        return {};
    }
    std::int64_t first = std::max<std::int64_t>(start, 1);
    std::int64_t last = std::min<std::int64_t>(start + count - 1, length);
    if (first > last) {
        return {};
    }
    return {static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1)};
}

}  // namespace

String::String(const char* text) {
    SetJoined(ViewOf(text), {});
}

String::String(const String& other) {
    SetJoined(other.View(), {});
}

String::String(String&& other) noexcept : data_(std::move(other.data_)), length_(other.length_) {
    other.length_ = 0;
}

String& String::operator=(const String& other) {
    if (this != &other) {
        SetJoined(other.View(), {});
    }
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        data_ = std::move(other.data_);
        length_ = other.length_;
        other.length_ = 0;
    }
    return *this;
}

String String::FromInt(int value) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *result.ptr = '\0';
    return String(buffer);
}

void String::Empty() {
    data_.reset();
    length_ = 0;
}

std::unique_ptr<char[]> String::Detach() {
    length_ = 0;
    return std::move(data_);
}

void String::SetJoined(std::string_view first, std::string_view second) {
    if (first.size() > kMaxLength) {
        first = first.substr(0, kMaxLength);
    }
    if (second.size() > kMaxLength - first.size()) {
        second = second.substr(0, kMaxLength - first.size());
    }
    std::size_t total = first.size() + second.size();
    if (total == 0) {
        Empty();
        return;
    }
    // Built aside first: either part may lie in the old buffer.
    auto buffer = std::make_unique<char[]>(total + 1);
    // An empty view may carry a null pointer, which memcpy must not see.
    if (!first.empty()) {
        std::memcpy(buffer.get(), first.data(), first.size());
    }
    if (!second.empty()) {
        std::memcpy(buffer.get() + first.size(), second.data(), second.size());
    }
    buffer[total] = '\0';
    data_ = std::move(buffer);
    length_ = static_cast<std::int32_t>(total);
}

String& String::Assign(const char* text) {
    if (text != nullptr && text[0] != '\0') {
        SetJoined(text, {});
    }
    return *this;
}

String& String::AssignString(String other) {
    if (!other.IsEmpty()) {
        data_ = std::move(other.data_);
        length_ = other.length_;
        other.length_ = 0;
    }
    return *this;
}

String String::Mid(std::int32_t start, std::int32_t count) const {
    ByteRange range = ClipRange(start, count, length_);
    String result;
    result.SetJoined(View().substr(range.offset, range.count), {});
    return result;
}

void String::Insert(std::int32_t position, const char* text) {
    std::int64_t at = std::clamp<std::int64_t>(position, 1, static_cast<std::int64_t>(length_) + 1) - 1;
    std::string_view whole = View();
    std::string_view head = whole.substr(0, static_cast<std::size_t>(at));
    std::string_view tail = whole.substr(static_cast<std::size_t>(at));
    String joined;
    joined.SetJoined(head, ViewOf(text));
    String result;
    result.SetJoined(joined.View(), tail);
    AssignString(std::move(result));
}

void String::Delete(std::int32_t position, std::int32_t count) {
    ByteRange range = ClipRange(position, count, length_);
    if (range.count == 0) {
        return;
    }
    std::string_view whole = View();
    String result;
    result.SetJoined(whole.substr(0, range.offset), whole.substr(range.offset + range.count));
    AssignString(std::move(result));
}

std::int32_t String::Find(const char* text) const {
    if (IsEmpty() || text == nullptr) {
        return 0;
    }
    std::size_t at = View().find(text);
    return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

std::int32_t String::FindLast(const char* text) const {
    if (IsEmpty() || text == nullptr) {
        return 0;
    }
    std::size_t n = std::strlen(text);
    if (n > static_cast<std::size_t>(length_)) {
        return 0;
    }
    const char* bytes = data_.get();
    for (std::int64_t i = length_ - static_cast<std::int64_t>(n); i >= 0; --i) {
        // Only the byte before i is looked at, so a match after a trail byte that is itself in
        // the lead range is skipped as well.
        if (i >= 1 && IsShiftJisLeadPair(bytes + i - 1)) {
            continue;
        }
        if (std::memcmp(bytes + i, text, n) == 0) {
            return static_cast<std::int32_t>(i + 1);
        }
    }
    return 0;
}

std::int32_t String::FindLastEnd(const char* text) const {
    if (IsEmpty() || text == nullptr) {
        return 0;
    }
    std::size_t n = std::strlen(text);
    std::size_t at = View().rfind(std::string_view(text, n));
    return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + n);
}

String String::ToUpper() const {
    String result(*this);
    char* bytes = result.data_.get();
    for (std::int32_t i = 0; i < result.length_;) {
        if (IsShiftJisLeadPair(bytes + i)) {
            i += 2;
            continue;
        }
        if (bytes[i] >= 'a' && bytes[i] <= 'z') {
            bytes[i] = static_cast<char>(bytes[i] - 'a' + 'A');
        }
        ++i;
    }
    return result;
}

std::int32_t String::CharCount() const {
    const char* bytes = c_str();
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < length_; ++count) {
        i += IsShiftJisLeadPair(bytes + i) ? 2 : 1;
    }
    return count;
}

std::int32_t String::ToInt() const {
    // Horner's rule in unsigned 32-bit arithmetic equals the sum of digit x 10^k modulo 2^32:
    // exact for up to nine digits, wrapping beyond without signed overflow.
    const char* bytes = c_str();
    std::uint32_t value = 0;
    for (std::int32_t i = 0; i < length_;) {
        std::uint32_t digit;
        if (IsShiftJisLeadPair(bytes + i)) {
            unsigned code = static_cast<unsigned char>(bytes[i]) * 256u + static_cast<unsigned char>(bytes[i + 1]);
            if (code < 0x824F || code > 0x8258) {
                return 0;
            }
            digit = code - 0x824F;
            i += 2;
        } else {
            if (bytes[i] < '0' || bytes[i] > '9') {
                return 0;
            }
            digit = static_cast<std::uint32_t>(bytes[i] - '0');
            i += 1;
        }
        value = value * 10u + digit;
    }
    return static_cast<std::int32_t>(value);
}

String String::ConcatChars(const char* text) const {
    String result;
    result.SetJoined(View(), ViewOf(text));
    return result;
}

String String::Concat(const String& other) const {
    String result;
    result.SetJoined(View(), other.View());
    return result;
}

bool String::EqualsChars(const char* text) const {
    if (IsEmpty() || text == nullptr) {
        return IsEmpty() && text == nullptr;
    }
    return View() == std::string_view(text);
}

bool String::Equals(const String& other) const {
    // An empty String is the only one of length 0.
    return View() == other.View();
}

String ConcatCharsString(const char* text, const String& str) {
    return String(text).Concat(str);
}

bool EqualsCharsString(const char* text, const String& str) {
    return String(text).Equals(str);
}

}  // namespace kv
