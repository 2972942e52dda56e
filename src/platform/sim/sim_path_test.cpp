#include "platform/sim/sim_path.h"

#include <gtest/gtest.h>

namespace qv::platform::sim {
namespace {

TEST(FullPathOfTest, FollowsGetFullPathName) {
  const char* current = "C:\\Work\\Sub";
  struct Case {
    const char* path;
    const char* full;
  } cases[] = {
      {"a.txt", "C:\\Work\\Sub\\a.txt"},
      {"..\\a.txt", "C:\\Work\\a.txt"},
      {"..\\..\\..\\..\\a.txt", "C:\\a.txt"},
      {"\\a.txt", "C:\\a.txt"},
      {".", "C:\\Work\\Sub"},
      {"C:", "C:\\Work\\Sub"},
      {"C:rel", "C:\\Work\\Sub\\rel"},
      {"D:rel", "D:\\rel"},
      {"D:\\x\\.\\y\\..\\z", "D:\\x\\z"},
      {"C:/a//b/", "C:\\a\\b\\"},
      {"C:\\", "C:\\"},
      {"C:\\a\\name.", "C:\\a\\name"},
      {"C:\\a\\name. . ", "C:\\a\\name"},
      {"C:\\a.\\b", "C:\\a\\b"},
      {"C:\\a..\\b", "C:\\a..\\b"},
      {"\\\\server\\share\\x\\..\\y", "\\\\server\\share\\y"},
      {"\\\\?\\C:\\x", "C:\\x"},
      {"\\\\?\\UNC\\server\\share\\x", "\\\\server\\share\\x"},
      {"\\\\server", "\\\\server"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FullPathOf(c.path, current), c.full) << c.path;
}

TEST(CheckNameTest, RefusesWhatWindowsRefuses) {
  EXPECT_EQ(CheckName("Read Me (1).txt"), kSuccess);
  EXPECT_EQ(CheckName("caf\xE9"), kSuccess);
  for (const char* bad : {"a<b", "a>b", "a:b", "a\"b", "a|b", "a?b", "a*b", "tab\there"})
    EXPECT_EQ(CheckName(bad), kErrorInvalidName) << bad;
  EXPECT_EQ(CheckName(std::string("a\0b", 3)), kErrorInvalidName);
  EXPECT_EQ(CheckName(std::string(256, 'n')), kErrorFilenameExcedRange);
}

TEST(IsWithinTest, StopsAtNameBoundaries) {
  EXPECT_TRUE(IsWithin("c:\\windows\\SYSTEM32\\x", "C:\\Windows\\System32"));
  EXPECT_TRUE(IsWithin("C:\\Windows\\System32\\", "C:\\Windows\\System32"));
  EXPECT_TRUE(IsWithin("C:\\x", "C:\\"));
  EXPECT_FALSE(IsWithin("C:\\Windows\\System32x", "C:\\Windows\\System32"));
  EXPECT_FALSE(IsWithin("C:\\Windows", "C:\\Windows\\System32"));
}

TEST(ShortNameTest, TellsAndMakesEightDotThreeNames) {
  for (const char* name : {"README.TXT", "readme.txt", "A", "SYSTEM32", "x.y", "WIN~1.INI", "caf\xE9.doc", "A-B_C!"})
    EXPECT_TRUE(IsShortName(name)) << name;
  for (const char* name : {"Program Files", "LONGNAME9", "a.html", "a.b.c", ".profile", "a+b.txt", "a,b", "a[1]",
                           "name.", "", "a;b", "x=y"})
    EXPECT_FALSE(IsShortName(name)) << name;

  struct Case {
    const char* longName;
    int number;
    const char* shortName;
  } cases[] = {
      {"Program Files", 1, "PROGRA~1"},
      {"Program Files (x86)", 2, "PROGRA~2"},
      {"Setup Data.backup", 2, "SETUPD~2.BAC"},
      {"my documents", 1, "MYDOCU~1"},
      {"a.b.c.txt", 1, "ABC~1.TXT"},
      {"a+b=c.text", 1, "A_B_C~1.TEX"},
      {".profile", 1, "PROFIL~1"},
      {"Long Stem Name", 12, "LONGS~12"},
      {"ab.html", 3, "AB~3.HTM"},
      {"caf\xE9 menu", 1, "CAF\xC9ME~1"},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeShortName(c.longName, c.number), c.shortName) << c.longName;
}

}  // namespace
}  // namespace qv::platform::sim
