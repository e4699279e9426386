#pragma once
// The engine's one text type: an owning byte string in the build's code page. Positions are
// 1-based byte positions and counts are bytes unless a member says characters. An empty string
// owns no buffer; every way of giving it "" or a null pointer leaves it empty, and the Assign
// family leaves the target unchanged instead, which callers rely on to keep a value.
//
// The double-byte members (CharCount, ToUpper, FindLast, ToInt) use the Shift-JIS lead ranges
// in every build; only IsDbcsLeadPair (base/text_utils.h) follows the build variant.

#include <cstdint>
#include <memory>
#include <string_view>

namespace kv {

class String {
public:
    String() = default;
    // Null or "" gives an empty string.
    String(const char* text);  // NOLINT(google-explicit-constructor): texts pass as Strings
    String(const String& other);
    String(String&& other) noexcept;
    ~String() = default;

    // Plain value semantics: the target becomes an exact copy, empty included. The Assign
    // members below keep the engine's rule that an empty source changes nothing.
    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;

    // Decimal text of the value, with a leading '-' for negatives.
    static String FromInt(int value);

    // Frees the text; the string is empty afterwards.
    void Empty();
    // Hands the buffer (length + 1 bytes, zero-terminated) to the caller and leaves the string
    // empty; null when it was empty.
    std::unique_ptr<char[]> Detach();

    // Null or "" leaves the string unchanged; otherwise the text replaces the old one. The
    // source may point into this string's own buffer.
    String& Assign(const char* text);
    // Assign of the other's text: an empty String leaves this one unchanged.
    String& AssignString(String other);

    std::int32_t GetLength() const { return length_; }
    bool IsEmpty() const { return data_ == nullptr; }
    // The text, zero-terminated; "" when empty.
    const char* c_str() const { return data_ ? data_.get() : ""; }
    std::string_view View() const { return {c_str(), static_cast<std::size_t>(length_)}; }

    // The bytes at positions start .. start + count - 1 that lie inside the text; may split a
    // double-byte character. No bytes give an empty String.
    String Mid(std::int32_t start, std::int32_t count) const;
    // Inserts the text before byte position (length + 1 appends); a position outside
    // 1 .. length + 1 is moved to the nearer end.
    void Insert(std::int32_t position, const char* text);
    // Removes the bytes at positions position .. position + count - 1 that lie inside the text.
    // The result is assigned by the Assign rule: removing everything leaves the text as it was.
    void Delete(std::int32_t position, std::int32_t count);

    // 1-based position of the first occurrence, or 0; an empty String finds nothing.
    std::int32_t Find(const char* text) const;
    // 1-based start of the last occurrence that does not begin on the second byte of a
    // double-byte character, or 0.
    std::int32_t FindLast(const char* text) const;
    // 1-based position of the LAST byte of the last byte-wise occurrence, or 0.
    std::int32_t FindLastEnd(const char* text) const;

    // Copy with single-byte a-z upper-cased; double-byte characters are copied unchanged.
    String ToUpper() const;
    // Characters, a double-byte character counting as one.
    std::int32_t CharCount() const;
    // The whole text as a decimal number of ASCII and full-width digits; 0 for any other text.
    // Wraps modulo 2^32 past nine or ten digits.
    std::int32_t ToInt() const;

    // this + text (null adds nothing).
    String ConcatChars(const char* text) const;
    // this + other.
    String Concat(const String& other) const;

    // Byte equality; both null is equal, exactly one null is not. An empty String is NOT equal
    // to "" (a non-null text).
    bool EqualsChars(const char* text) const;
    // Two empty Strings are equal; empty and non-empty are not.
    bool Equals(const String& other) const;
    bool NotEqualsString(const String& other) const { return !Equals(other); }

private:
    // Joins two byte ranges into this string (empty when both are empty).
    void SetJoined(std::string_view first, std::string_view second);

    std::unique_ptr<char[]> data_;  // length_ + 1 bytes, or null when empty
    std::int32_t length_ = 0;
};

// text + str (null text adds nothing).
String ConcatCharsString(const char* text, const String& str);
// String::Equals with a plain text on the left; null and "" count as empty.
bool EqualsCharsString(const char* text, const String& str);

}  // namespace kv
