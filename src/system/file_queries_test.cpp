#include "system/file_queries.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/command_fixture.h"
#include "support/versioned_images.h"

namespace qv::system {
namespace {

using platform::sim::FaultOp;
using platform::sim::FaultRule;

class FileQueriesTest : public ::testing::Test {
 protected:
  FileQueriesTest() {
    RegisterFileQueries(f.table);
    Files().CreateFolderTree("C:\\App");
  }

  platform::sim::SimFileSystem& Files() { return f.Machine().SimFiles(); }
  void Put(const std::string& path, const std::string& bytes) {
    Files().CreateFolderTree(winpathFolder(path));
    ASSERT_EQ(Files().WriteWholeFile(path, bytes), platform::kSuccess) << path;
  }
  static std::string winpathFolder(const std::string& path) { return path.substr(0, path.rfind('\\')); }
  // The versioned test images on the simulated disk.
  void PutImages() {
    for (int bits : {32, 64}) {
      std::string bytes = testing::VersionedImageBytes(bits);
      if (bytes.empty()) GTEST_SKIP() << "no versioned test image (mingw tools missing)";
      Put("C:\\App\\v" + std::to_string(bits) + ".dll", bytes);
    }
  }
  std::string Result(const std::string& command, const std::vector<std::string>& parameters,
                     const std::string& variable = "RESULT") {
    f.Run(command, parameters);
    return f.store.Get(variable);
  }

  testing::CommandFixture f;
};

TEST_F(FileQueriesTest, GetFileVersionReadsTheVersionResourceOfBothImageKinds) {
  PutImages();
  if (IsSkipped()) return;
  Put("C:\\App\\readme.txt", "no image");
  EXPECT_EQ(Result("Get File Version", {"C:\\App\\v32.dll", "RESULT"}), "1.2.3.4");
  EXPECT_EQ(Result("Get File Version", {"C:\\App\\v64.dll", "$VER$"}, "VER"), "1.2.3.4");
  EXPECT_EQ(Result("Get File Version", {"C:\\App\\readme.txt", "RESULT"}), "0.0.0.0");
  EXPECT_EQ(Result("Get File Version", {"C:\\App\\missing.dll", "RESULT"}), "0.0.0.0");
}

TEST_F(FileQueriesTest, CheckFileVersionIsTrueOnlyForAStrictlyNewerFile) {
  PutImages();
  if (IsSkipped()) return;
  struct Case {
    const char* file;
    const char* reference;
    const char* expected;
  } cases[] = {
      {"C:\\App\\v32.dll", "1.2.3.4", "FALSE"},  // its own version
      {"C:\\App\\v32.dll", "1.2.3.3", "TRUE"},   // one revision lower
      {"C:\\App\\v32.dll", "1.2.3.5", "FALSE"},
      {"C:\\App\\v32.dll", "1.2.4", "FALSE"},
      {"C:\\App\\v32.dll", "1.2.3", "TRUE"},  // 1.2.3.0
      {"C:\\App\\v32.dll", "1.1.9999.9999", "TRUE"},
      {"C:\\App\\v32.dll", "0.65535", "TRUE"},
      {"C:\\App\\v32.dll", "2", "FALSE"},
      {"C:\\App\\v32.dll", "", "TRUE"},         // 0.0.0.0
      {"C:\\App\\v32.dll", "1.2.3.x", "TRUE"},  // a last part that is no number is 0
      {"C:\\App\\v32.dll", "1.2.3.4.5", "FALSE"},
      {"C:\\App\\missing.dll", "0.0.0.0", "FALSE"},
      {"C:\\App\\missing.dll", "", "FALSE"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Result("Check File Version", {"RESULT", c.file, "FALSE", "", c.reference}), c.expected)
        << c.file << " against " << c.reference;
}

TEST_F(FileQueriesTest, CheckFileVersionAgainstAFileAndItsErrors) {
  PutImages();
  if (IsSkipped()) return;
  EXPECT_EQ(Result("Check File Version", {"RESULT", "C:\\App\\v32.dll", "TRUE", "C:\\App\\v64.dll", ""}), "FALSE");
  EXPECT_EQ(Result("Check File Version", {"RESULT", "C:\\App\\v32.dll", "-1", "C:\\App\\none.dll", "9.9"}), "TRUE");
  EXPECT_EQ(Result("Check File Version", {"RESULT", "C:\\App\\none.dll", "TRUE", "C:\\App\\v64.dll", ""}), "FALSE");
  // A part before a "." that is not a number is a runtime error.
  EXPECT_NE(f.RunError("Check File Version", {"RESULT", "C:\\App\\v32.dll", "FALSE", "", "1.x.3.4"}), "");
}

TEST_F(FileQueriesTest, DoesFileOrFolderExistTellsFilesFromFolders) {
  Put("C:\\App\\file.txt", "x");
  struct Case {
    const char* path;
    const char* fileFlag;
    const char* expected;
  } cases[] = {
      {"C:\\App\\file.txt", "TRUE", "TRUE"}, {"C:\\App\\file.txt", "FALSE", "FALSE"},
      {"C:\\App", "TRUE", "FALSE"},          {"C:\\App\\", "FALSE", "TRUE"},
      {"c:\\app\\FILE.TXT", "true", "TRUE"}, {"C:\\App\\missing", "FALSE", "FALSE"},
      {"C:\\App\\missing", "TRUE", "FALSE"}, {"C:\\App\\*.txt", "TRUE", "FALSE"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Result("Does File/Folder Exist", {"RESULT", c.path, c.fileFlag}), c.expected)
        << c.path << " file flag " << c.fileFlag;
}

TEST_F(FileQueriesTest, CheckDiskSpaceGivesFreeOrTotalBytesAndZeroOnFailure) {
  ASSERT_EQ(Files().SetCapacity("C:\\", 1'000'000'000), platform::kSuccess);
  uint64_t free = 0, total = 0;
  ASSERT_EQ(Files().DiskSpace("C:\\", free, total), platform::kSuccess);
  Put("C:\\App\\big.bin", std::string(10000, 'b'));
  EXPECT_EQ(Result("Check Disk Space", {"RESULT", "C:\\App", "FALSE"}), "1000000000");
  EXPECT_EQ(Result("Check Disk Space", {"$SPACE$", "C:\\App\\", "TRUE"}, "SPACE"), std::to_string(free - 10000));
  EXPECT_EQ(Result("Check Disk Space", {"RESULT", "C:\\Missing", "TRUE"}), "0");
  EXPECT_EQ(Result("Check Disk Space", {"RESULT", "C:\\App\\big.bin", "FALSE"}), "0");
  EXPECT_EQ(Result("Check Disk Space", {"RESULT", "Q:\\", "FALSE"}), "0");
}

TEST_F(FileQueriesTest, DeleteFilesRecursiveEmptiesNestedFoldersAndKeepsTheFolderItself) {
  for (const char* folder : {"C:\\App\\a\\b\\c\\d", "C:\\App\\a\\e", "C:\\App\\f"}) Files().CreateFolderTree(folder);
  Put("C:\\App\\a\\b\\c\\d\\deep.txt", "x");
  Put("C:\\App\\a\\keep.dat", "x");
  Put("C:\\App\\top.txt", "x");
  Files().SetAttributes("C:\\App\\top.txt", platform::attr::kReadOnly);
  f.Run("Delete Files Recursive", {"C:\\App\\*.txt"});
  EXPECT_TRUE(Files().FolderExists("C:\\App"));
  for (const char* gone : {"C:\\App\\top.txt", "C:\\App\\a\\b", "C:\\App\\a\\e", "C:\\App\\f"})
    EXPECT_FALSE(Files().FileExists(gone) || Files().FolderExists(gone)) << gone;
  // A folder that still holds a file that does not match stays.
  EXPECT_TRUE(Files().FileExists("C:\\App\\a\\keep.dat"));

  f.Run("Delete Files Recursive", {"C:\\App\\*.*"});
  EXPECT_TRUE(Files().FolderExists("C:\\App"));
  std::vector<platform::DirEntry> left;
  Files().ListFolder("C:\\App", left);
  EXPECT_TRUE(left.empty());
}

TEST_F(FileQueriesTest, DeleteFilesRecursiveGoesOnPastALockedFile) {
  Files().CreateFolderTree("C:\\App\\x\\y");
  Put("C:\\App\\x\\y\\locked.txt", "x");
  Put("C:\\App\\x\\free.txt", "x");
  Files().CreateFolderTree("C:\\App\\z\\empty");
  f.Machine().Faults().Add(FaultRule::LockedFile("C:\\App\\x\\y\\locked.txt"));
  f.Run("Delete Files Recursive", {"C:\\App\\*.*"});
  EXPECT_TRUE(Files().FileExists("C:\\App\\x\\y\\locked.txt"));
  EXPECT_FALSE(Files().FileExists("C:\\App\\x\\free.txt"));
  EXPECT_FALSE(Files().FolderExists("C:\\App\\z"));
}

TEST_F(FileQueriesTest, DeleteFilesRecursiveNeverClearsAVolumeOrARelativePath) {
  Put("C:\\App\\keep.txt", "x");
  Files().CreateFolderTree("C:\\Empty");
  ASSERT_EQ(Files().SetCurrentFolder("C:\\App"), platform::kSuccess);
  f.store.Set("NOTHING", "");
  for (const char* pattern : {"C:\\*.*", "$NOTHING$\\*.*", "*.txt", "C:\\App\\..\\*.*", "C:*.*"})
    f.Run("Delete Files Recursive", {pattern});
  EXPECT_TRUE(Files().FileExists("C:\\App\\keep.txt"));
  EXPECT_TRUE(Files().FolderExists("C:\\Empty"));
}

TEST_F(FileQueriesTest, DeleteFilesRecursiveLeavesTheTargetOfAJunctionAlone) {
  Put("C:\\Elsewhere\\precious.txt", "x");
  Files().CreateFolderTree("C:\\App\\Sub");
  std::filesystem::create_directory_symlink(Files().HostPath("C:\\Elsewhere"),
                                            Files().HostPath("C:\\App\\Sub") + "/link");
  f.Run("Delete Files Recursive", {"C:\\App\\*.*"});
  EXPECT_TRUE(Files().FileExists("C:\\Elsewhere\\precious.txt"));
  EXPECT_FALSE(Files().FolderExists("C:\\App\\Sub"));  // the link itself went
}

TEST(VersionTextTest, FourNumbersTakenInTurn) {
  struct Case {
    const char* text;
    FourPartVersion expected;
    bool ok;
  } cases[] = {
      {"1.2.3.4", {1, 2, 3, 4}, true}, {"10", {10, 0, 0, 0}, true},  {"", {0, 0, 0, 0}, true},
      {"1..3", {0, 0, 0, 0}, false},   {"1.2.", {1, 2, 0, 0}, true}, {"1.2.3.4.5", {1, 2, 3, 4}, true},
      {"x", {0, 0, 0, 0}, true},
  };
  for (const auto& c : cases) {
    FourPartVersion v{};
    std::string bad;
    EXPECT_EQ(ParseVersionText(c.text, v, bad), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.expected) << c.text;
    }
  }
}

}  // namespace
}  // namespace qv::system
