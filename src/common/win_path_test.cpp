#include "common/win_path.h"

#include <gtest/gtest.h>

namespace qv::winpath {
namespace {

TEST(WinPath, Parts) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* ext;
    const char* base;
  } cases[] = {
      {"C:\\Setup\\product.exe", "C:\\Setup\\", "product.exe", ".exe", "product"},
      {"C:product.tar.gz", "C:", "product.tar.gz", ".gz", "product.tar"},
      {"\\\\srv\\share\\a", "\\\\srv\\share\\", "a", "", "a"},
      {"name", "", "name", "", "name"},
      {"C:\\dir.d\\file", "C:\\dir.d\\", "file", "", "file"},
      {"C:\\dir\\", "C:\\dir\\", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    EXPECT_EQ(BaseName(c.path), c.base) << c.path;
  }
}

TEST(WinPath, Backslashes) {
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(Combine("C:\\a", "b"), "C:\\a\\b");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\setup.exe", ".res"), "C:\\a.b\\setup.res");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\setup", ".res"), "C:\\a.b\\setup.res");
}

TEST(WinPath, AbsoluteAndComponents) {
  EXPECT_TRUE(IsAbsolute("C:\\x"));
  EXPECT_TRUE(IsAbsolute("\\\\srv\\x"));
  EXPECT_FALSE(IsAbsolute("C:x"));
  EXPECT_FALSE(IsAbsolute("x\\y"));
  EXPECT_EQ(Components("a\\\\b/c\\"), (std::vector<std::string>{"a", "b", "c"}));
}

}  // namespace
}  // namespace qv::winpath
