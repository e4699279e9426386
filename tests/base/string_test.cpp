#include "base/string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace kv {
namespace {

// Shift-JIS samples: "\x83\x5C" has the trail byte '\\', "\x82\x61" (a full-width capital)
// has the trail byte 'a', "\x82\x4F".."\x82\x58" are the full-width digits.
constexpr const char* kSo = "\x83\x5C";
constexpr const char* kFullB = "\x82\x61";

void ExpectEmpty(const String& s) {
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_STREQ(s.c_str(), "");
}

TEST(StringTest, EmptyValuesAndConstruction) {
    ExpectEmpty(String());
    ExpectEmpty(String(""));
    ExpectEmpty(String(static_cast<const char*>(nullptr)));
    ExpectEmpty(String(String("")));

    String abc("abc");
    EXPECT_FALSE(abc.IsEmpty());
    EXPECT_EQ(abc.GetLength(), 3);
    EXPECT_STREQ(String(abc).c_str(), "abc");

    EXPECT_STREQ(String::FromInt(0).c_str(), "0");
    EXPECT_STREQ(String::FromInt(-42).c_str(), "-42");
    EXPECT_STREQ(String::FromInt(INT_MIN).c_str(), "-2147483648");
    EXPECT_STREQ(String::FromInt(INT_MAX).c_str(), "2147483647");

    String moved(std::move(abc));
    EXPECT_STREQ(moved.c_str(), "abc");
    ExpectEmpty(abc);  // NOLINT(bugprone-use-after-move): a moved-from String is empty

    auto buffer = moved.Detach();
    ExpectEmpty(moved);
    ASSERT_NE(buffer, nullptr);
    EXPECT_STREQ(buffer.get(), "abc");
    EXPECT_EQ(String().Detach(), nullptr);
}

TEST(StringTest, AssignKeepsTextForEmptySourcesAndSurvivesItsOwnBuffer) {
    String s("abc");
    s.Assign(nullptr);
    s.Assign("");
    s.AssignString(String());
    EXPECT_STREQ(s.c_str(), "abc");

    s.Assign(s.c_str());
    EXPECT_STREQ(s.c_str(), "abc");
    s.Assign(s.c_str() + 1);
    EXPECT_STREQ(s.c_str(), "bc");
    EXPECT_EQ(s.GetLength(), 2);
    s.AssignString(s);
    EXPECT_STREQ(s.c_str(), "bc");
    s.AssignString(String("xyz"));
    EXPECT_STREQ(s.c_str(), "xyz");

    // Plain assignment is a value copy, empty included.
    s = String();
    ExpectEmpty(s);
    String t("q");
    String& alias = t;
    t = alias;
    EXPECT_STREQ(t.c_str(), "q");

    s.Assign("abc");
    s.Empty();
    ExpectEmpty(s);
}

TEST(StringTest, MidClipsToTheText) {
    String s("abcdef");
    EXPECT_STREQ(s.Mid(2, 3).c_str(), "bcd");
    EXPECT_STREQ(s.Mid(5, 10).c_str(), "ef");
    EXPECT_STREQ(s.Mid(1, 6).c_str(), "abcdef");
    EXPECT_STREQ(s.Mid(2, INT_MAX).c_str(), "bcdef");
    EXPECT_STREQ(s.Mid(0, 3).c_str(), "ab");
    EXPECT_STREQ(s.Mid(INT_MIN, INT_MAX).c_str(), "");
    ExpectEmpty(s.Mid(1, 0));
    ExpectEmpty(s.Mid(1, -1));
    ExpectEmpty(s.Mid(-5, 3));
    ExpectEmpty(s.Mid(7, 1));
    ExpectEmpty(s.Mid(INT_MAX, INT_MAX));
    ExpectEmpty(String().Mid(1, 1));
    // Byte-wise: a double-byte character may be split.
    EXPECT_EQ(String("a\x83\x5C").Mid(2, 1).View(), "\x83");
}

TEST(StringTest, InsertAndDeleteStayInsideTheText) {
    String s("abcdef");
    s.Insert(1, "x");
    EXPECT_STREQ(s.c_str(), "xabcdef");
    s.Insert(8, "y");
    EXPECT_STREQ(s.c_str(), "xabcdefy");
    s.Insert(4, "--");
    EXPECT_STREQ(s.c_str(), "xab--cdefy");
    s.Insert(0, "<");
    s.Insert(INT_MAX, ">");
    EXPECT_STREQ(s.c_str(), "<xab--cdefy>");
    s.Insert(INT_MIN, "");
    s.Insert(3, nullptr);
    EXPECT_STREQ(s.c_str(), "<xab--cdefy>");
    String e;
    e.Insert(1, "ab");
    EXPECT_STREQ(e.c_str(), "ab");

    String d("abcdef");
    d.Delete(2, 2);
    EXPECT_STREQ(d.c_str(), "adef");
    d.Delete(3, 100);
    EXPECT_STREQ(d.c_str(), "ad");
    d.Assign("abcdef");
    d.Delete(0, 2);
    EXPECT_STREQ(d.c_str(), "bcdef");
    d.Delete(10, 1);
    d.Delete(2, -3);
    d.Delete(INT_MAX, INT_MAX);
    d.Delete(INT_MIN, 1);
    EXPECT_STREQ(d.c_str(), "bcdef");
    // An empty result is assigned by the Assign rule and so changes nothing.
    d.Delete(1, 5);
    EXPECT_STREQ(d.c_str(), "bcdef");
}

TEST(StringTest, Searches) {
    String s("xyzxyz");
    EXPECT_EQ(s.Find("z"), 3);
    EXPECT_EQ(s.FindLast("z"), 6);
    EXPECT_EQ(s.FindLastEnd("yz"), 6);
    EXPECT_EQ(s.FindLast("yz"), 5);
    EXPECT_EQ(s.FindLastEnd("x"), 4);
    EXPECT_EQ(s.Find("q"), 0);
    EXPECT_EQ(s.FindLast("q"), 0);
    EXPECT_EQ(s.FindLastEnd("q"), 0);
    EXPECT_EQ(s.Find("xyzxyzx"), 0);
    EXPECT_EQ(s.FindLast("xyzxyzx"), 0);
    EXPECT_EQ(s.FindLastEnd("xyzxyzx"), 0);
    EXPECT_EQ(s.FindLastEnd(""), 6);
    EXPECT_EQ(String().Find("a"), 0);
    EXPECT_EQ(String().FindLast("a"), 0);
    EXPECT_EQ(String().FindLastEnd(""), 0);

    // "\\" then the character whose trail byte is '\\': Find is byte-wise, FindLast skips the
    // trail byte, FindLastEnd does not.
    String path = String("\\x").ConcatChars(kSo);
    EXPECT_EQ(path.Find("\\"), 1);
    EXPECT_EQ(path.FindLast("\\"), 1);
    EXPECT_EQ(path.FindLastEnd("\\"), 4);
    EXPECT_EQ(String(kSo).FindLast("\\"), 0);
    // Only the byte before a candidate is tested, so a match after the trail byte 0x88 (itself
    // in the lead range) is skipped too.
    EXPECT_EQ(String("A\x82\x88" "A").FindLast("A"), 1);
}

TEST(StringTest, DoubleByteAwareMembers) {
    String mixed = String(kSo).ConcatChars("ab").ConcatChars(kFullB).ConcatChars("\x82\x4F");
    EXPECT_EQ(mixed.CharCount(), 5);
    EXPECT_EQ(String("a\x82").CharCount(), 2);  // a lead byte at the very end is one character
    EXPECT_EQ(String().CharCount(), 0);
    EXPECT_EQ(String("\xA1\xA1").CharCount(), 2);  // 0xA1 is not a Shift-JIS lead byte

    String upper = mixed.ToUpper();
    EXPECT_EQ(upper.View(), std::string_view("\x83\x5C" "AB" "\x82\x61" "\x82\x4F"));
    EXPECT_STREQ(String("a-z{}`@").ToUpper().c_str(), "A-Z{}`@");
    ExpectEmpty(String().ToUpper());
}

TEST(StringTest, ToIntReadsDigitsAndWrapsWithoutOverflow) {
    EXPECT_EQ(String("0123").ToInt(), 123);
    EXPECT_EQ(String("").ToInt(), 0);
    EXPECT_EQ(String("-5").ToInt(), 0);
    EXPECT_EQ(String("12a").ToInt(), 0);
    EXPECT_EQ(String(" 1").ToInt(), 0);
    EXPECT_EQ(String("999999999").ToInt(), 999999999);
    EXPECT_EQ(String("2147483647").ToInt(), INT_MAX);
    EXPECT_EQ(String("2147483648").ToInt(), INT_MIN);
    EXPECT_EQ(String("4294967295").ToInt(), -1);
    EXPECT_EQ(String("4294967296").ToInt(), 0);
    EXPECT_EQ(String("10000000000").ToInt(), 1410065408);
    EXPECT_EQ(String("12345678901").ToInt(), -539222987);
    EXPECT_EQ(String("123456789012345678901234567890").ToInt(),
              static_cast<std::int32_t>(0x4E3F0AD2u));  // the value modulo 2^32

    EXPECT_EQ(String("\x82\x50\x82\x4F").ToInt(), 10);        // full-width one, zero
    EXPECT_EQ(String("1\x82\x52" "4").ToInt(), 134);          // mixed with ASCII
    EXPECT_EQ(String("\x82\x58\x82\x58").ToInt(), 99);
    EXPECT_EQ(String("1\x82\x60").ToInt(), 0);                // a full-width letter
    EXPECT_EQ(String("1\x82\x4E").ToInt(), 0);                // just below full-width zero
    EXPECT_EQ(String("1\x82").ToInt(), 0);                    // a lone lead byte
}

TEST(StringTest, ConcatAndComparison) {
    String ab("ab");
    EXPECT_STREQ(ab.ConcatChars("cd").c_str(), "abcd");
    EXPECT_STREQ(ab.ConcatChars("").c_str(), "ab");
    ExpectEmpty(String().ConcatChars(""));
    EXPECT_STREQ(ab.Concat(String()).c_str(), "ab");
    EXPECT_STREQ(String().Concat(ab).c_str(), "ab");
    EXPECT_STREQ(ConcatCharsString("x", ab).c_str(), "xab");
    EXPECT_STREQ(ConcatCharsString(nullptr, ab).c_str(), "ab");
    ExpectEmpty(ConcatCharsString("", String()));

    EXPECT_FALSE(String().EqualsChars(""));
    EXPECT_TRUE(String().EqualsChars(nullptr));
    EXPECT_FALSE(ab.EqualsChars(nullptr));
    EXPECT_TRUE(ab.EqualsChars("ab"));
    EXPECT_FALSE(ab.EqualsChars("AB"));
    EXPECT_FALSE(ab.EqualsChars("abc"));

    EXPECT_TRUE(String().Equals(String()));
    EXPECT_FALSE(String().Equals(ab));
    EXPECT_FALSE(ab.Equals(String()));
    EXPECT_TRUE(ab.Equals(String("ab")));
    EXPECT_FALSE(ab.Equals(String("a")));
    EXPECT_TRUE(ab.NotEqualsString(String("ba")));
    EXPECT_FALSE(ab.NotEqualsString(ab));

    EXPECT_TRUE(EqualsCharsString(nullptr, String()));
    EXPECT_TRUE(EqualsCharsString("", String()));
    EXPECT_TRUE(EqualsCharsString("ab", ab));
    EXPECT_FALSE(EqualsCharsString("", ab));
}

}  // namespace
}  // namespace kv
