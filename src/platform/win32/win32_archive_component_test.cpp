#include "platform/win32/win32_archive_component.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_scratch_folder.h"

namespace qv::platform::win32 {
namespace {

class Win32ArchiveComponentTest : public ::testing::Test {
 protected:
  std::unique_ptr<ArchiveComponent> Load(const std::string& path) {
    error_ = kSuccess;
    auto component = platform_.LoadArchiveComponent(path, error_);
    EXPECT_EQ(component == nullptr, error_ != kSuccess) << path;
    return component;
  }

  Win32Platform platform_;
  ScratchFolder scratch_{platform_};
  ErrorCode error_ = kSuccess;
};

TEST_F(Win32ArchiveComponentTest, AMissingLibraryIsNotFound) {
  EXPECT_FALSE(Load(scratch_ / "zel.lib"));
  EXPECT_EQ(error_, kErrorModNotFound);
  // A bare name is taken in the current folder, not searched for along the path.
  EXPECT_FALSE(Load("kernel32.dll"));
  EXPECT_EQ(error_, kErrorModNotFound);
}

TEST_F(Win32ArchiveComponentTest, AFileThatIsNoLibraryIsRefused) {
  ASSERT_EQ(platform_.Files().WriteWholeFile(scratch_ / "zel.lib", "not a library"), kSuccess);
  EXPECT_FALSE(Load(scratch_ / "zel.lib"));
  EXPECT_EQ(error_, kErrorBadExeFormat);
}

// A real library without the archive functions is unloaded again.
TEST_F(Win32ArchiveComponentTest, ALibraryWithoutTheFunctionsIsRefusedAndUnloaded) {
  char system[MAX_PATH];
  UINT n = GetSystemDirectoryA(system, MAX_PATH);
  ASSERT_TRUE(n > 0 && n < MAX_PATH);
  std::string path = std::string(system) + "\\version.dll";
  bool loadedBefore = GetModuleHandleA(path.c_str()) != nullptr;
  EXPECT_FALSE(Load(path));
  EXPECT_EQ(error_, kErrorProcNotFound);
  if (!loadedBefore) {
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
  }
}

TEST(Win32ErrorTextTest, GivesTheSystemsTextWithoutTrailingPeriodOrLineBreak) {
  Win32Platform platform;
  for (ErrorCode code : {kErrorFileNotFound, kErrorAccessDenied, kErrorSharingViolation, kErrorModNotFound}) {
    std::string text = platform.ErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_NE(text.back(), '.') << text;
    EXPECT_NE(text.back(), ' ') << text;
  }
  // A number the system has no text for (the customer bit is set).
  EXPECT_EQ(platform.ErrorText(0x20001234), StandardErrorText(0x20001234));
}

}  // namespace
}  // namespace qv::platform::win32
