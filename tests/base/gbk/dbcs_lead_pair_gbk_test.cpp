#include <gtest/gtest.h>

#include "base/string.h"
#include "base/text_utils.h"

namespace kv {
namespace {

TEST(IsDbcsLeadPairGbkTest, LeadRangeIsContinuous) {
    EXPECT_TRUE(IsDbcsLeadPair("\x81\x40"));
    EXPECT_TRUE(IsDbcsLeadPair("\xA1\xA1"));  // in the Shift-JIS half-width kana gap
    EXPECT_TRUE(IsDbcsLeadPair("\xDF\x80"));
    EXPECT_TRUE(IsDbcsLeadPair("\xFD\x40"));
    EXPECT_TRUE(IsDbcsLeadPair("\xFE\xFC"));
    EXPECT_FALSE(IsDbcsLeadPair("\x80\x40"));
    EXPECT_FALSE(IsDbcsLeadPair("\xFF\x40"));
    // The trail range is the same as in the Shift-JIS build.
    EXPECT_FALSE(IsDbcsLeadPair("\xB0\x7F"));
    EXPECT_FALSE(IsDbcsLeadPair("\xB0\xFD"));
    EXPECT_FALSE(IsDbcsLeadPair("\xB0"));
}

TEST(IsDbcsLeadPairGbkTest, StringMembersKeepShiftJisRanges) {
    // 0xA1 and 0xFD lead GBK characters but not Shift-JIS ones.
    String gbk("\xA1\xA1\xFD\x61");
    EXPECT_EQ(gbk.CharCount(), 4);
    EXPECT_EQ(gbk.ToUpper().View(), std::string_view("\xA1\xA1\xFD\x41"));
    EXPECT_EQ(String("\x82\x50\x82\x4F").ToInt(), 10);
}

}  // namespace
}  // namespace kv
