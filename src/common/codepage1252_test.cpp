#include "common/codepage1252.h"

#include <gtest/gtest.h>

namespace qv::cp1252 {
namespace {

TEST(CodePage1252, MapsTheWindowsRange) {
  EXPECT_EQ(ToUtf16(0x80), u'\u20AC');
  EXPECT_EQ(ToUtf16(0x81), u'\u0081');  // undefined bytes keep their value
  EXPECT_EQ(ToUtf16(0xE9), u'\u00E9');
  for (int b = 0; b < 256; ++b) EXPECT_EQ(FromUtf16(ToUtf16(static_cast<unsigned char>(b))), b);
  EXPECT_EQ(FromUtf16(u'\u4E2D'), -1);
}

TEST(CodePage1252, Utf8RoundTripAndLoss) {
  bool lossy = false;
  EXPECT_EQ(FromUtf8("caf\xC3\xA9 \xE2\x82\xAC", &lossy), "caf\xE9 \x80");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(FromUtf8("\xE4\xB8\xAD", &lossy), "?");
  EXPECT_TRUE(lossy);
}

}  // namespace
}  // namespace qv::cp1252
