#include "common/text.h"

#include <gtest/gtest.h>

namespace qv::text {
namespace {

TEST(Text, CaseFoldingFollowsTheAnsiCodePage) {
  EXPECT_EQ(UpperCase("abc\xE9\xFF"), "ABC\xC9\x9F");
  EXPECT_EQ(LowerCase("ABC\xC9\x8A"), "abc\xE9\x9A");
  EXPECT_EQ(UpperCase("\xF7"), "\xF7");  // the division sign has no case
  EXPECT_TRUE(EqualsNoCase("Title\xC9", "tITLE\xE9"));
  EXPECT_FALSE(EqualsNoCase("Title", "Titles"));
  EXPECT_EQ(HashNoCase("SUPPORTDIR"), HashNoCase("supportDir"));
}

TEST(Text, FindAndReplaceIgnoringCase) {
  EXPECT_EQ(FindNoCase("one $NewLine$ two", "$NEWLINE$"), 4u);
  EXPECT_EQ(FindNoCase("abc", "abcd"), std::string::npos);
  EXPECT_EQ(ReplaceAllNoCase("a#X#b#x#", "#x#", "1"), "a1b1");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(Text, SplitLinesAcceptsEveryLineEnd) {
  struct Case {
    std::string in;
    std::vector<std::string> out;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"\r\n\r\n", {"", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.in), c.out) << c.in;
}

TEST(Text, Integers) {
  struct Case {
    const char* in;
    bool ok;
    int64_t value;
  } cases[] = {
      {"0", true, 0},           {" 42 ", true, 42},
      {"-7", true, -7},         {"+3", true, 3},
      {"9223372036854775807", true, INT64_MAX},
      {"-9223372036854775808", true, INT64_MIN},
      {"9223372036854775808", false, 0},
      {"", false, 0},           {"-", false, 0},
      {"12a", false, 0},        {"1 2", false, 0},
      {"0x10", false, 0},
  };
  for (const auto& c : cases) {
    int64_t v = 0;
    EXPECT_EQ(ParseInt64(c.in, v), c.ok) << c.in;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.in;
    }
  }
  int32_t small = 0;
  EXPECT_FALSE(ParseInt32("2147483648", small));
  EXPECT_TRUE(ParseInt32("-2147483648", small));
}

TEST(Text, NewlineToken) {
  EXPECT_EQ(NewlinesToToken("a\r\nb"), "a$NEWLINE$b");
  EXPECT_EQ(TokenToNewlines("a$newline$b$NEWLINE$"), "a\r\nb\r\n");
  EXPECT_EQ(TokenToNewlines(NewlinesToToken("x\r\ny")), "x\r\ny");
}

TEST(Text, Utf16Bytes) { EXPECT_EQ(Utf16LeBytes(u"A\u20AC"), std::string("A\0\xAC\x20", 4)); }

}  // namespace
}  // namespace qv::text
