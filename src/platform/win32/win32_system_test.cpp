#include "platform/win32/win32_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/codepage1252.h"
#include "common/pe_image.h"
#include "common/text.h"
#include "platform/win32/win32_platform.h"

namespace qv::platform::win32 {
namespace {

class Win32SystemTest : public ::testing::Test {
 protected:
  Win32Platform platform_;
  System& sys_ = platform_.Sys();
  FileSystem& files_ = platform_.Files();
};

TEST_F(Win32SystemTest, TempFolderEndsWithABackslashAndCanBeUsed) {
  std::string temp = sys_.TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_EQ(files_.CreateFolderTree(temp), kSuccess);
  EXPECT_TRUE(files_.FolderExists(temp));
}

TEST_F(Win32SystemTest, NamesTheRunningExecutable) {
  std::string exe = sys_.ExecutablePath();
  EXPECT_TRUE(text::EndsWithNoCase(exe, "\\qv_windows_tests.exe")) << exe;
  EXPECT_TRUE(files_.FileExists(exe));
  EXPECT_TRUE(text::ContainsNoCase(sys_.CommandLine(), "qv_windows_tests")) << sys_.CommandLine();
}

// The stub size start-up computes from the loaded headers is that of the file on disk.
TEST_F(Win32SystemTest, OwnImageHeadersGiveTheStubSizeOfTheFile) {
  std::string loaded = sys_.OwnImageHeaders();
  pe::Image inMemory, onDisk;
  std::string why;
  ASSERT_TRUE(pe::ParseHeaders(loaded, inMemory, &why)) << why;
  EXPECT_EQ(loaded.size(), inMemory.sizeOfHeaders);
#ifdef _WIN64
  EXPECT_EQ(inMemory.machine, pe::kMachineAmd64);
#else
  EXPECT_EQ(inMemory.machine, pe::kMachineI386);
#endif

  std::string file;
  ASSERT_EQ(files_.ReadWholeFile(sys_.ExecutablePath(), file), kSuccess);
  ASSERT_TRUE(pe::ParseHeaders(file, onDisk, &why)) << why;
  EXPECT_EQ(inMemory.sections.size(), onDisk.sections.size());
  EXPECT_EQ(inMemory.StubSize(), onDisk.StubSize());
  EXPECT_GT(inMemory.StubSize(), inMemory.sizeOfHeaders);
  EXPECT_LE(inMemory.StubSize(), file.size());
}

TEST_F(Win32SystemTest, TickCountIsTheSystemsMillisecondCounter) {
  uint64_t before = sys_.TickCount();
  Sleep(100);
  uint64_t after = sys_.TickCount();
  EXPECT_LE(after, UINT32_MAX);
  // Differences are taken in 32 bits, as across a wrap of the counter.
  EXPECT_GT(uint32_t(after - before), 0u);
  EXPECT_LT(uint32_t(after - before), 60000u);
}

// The true version (RtlGetVersion), not the older one GetVersionExA may report to an
// executable whose manifest names no newer system. Run with wine's per-program version
// set to "win10" to see the two differ.
TEST_F(Win32SystemTest, VersionIsTheTrueOne) {
  OsVersion v = sys_.Version();
  EXPECT_TRUE(v.IsNtFamily());
  EXPECT_GE(v.productType, 1);
  EXPECT_LE(v.productType, 3);
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(rtlGetVersion, nullptr);
  OSVERSIONINFOW truth = {};
  truth.dwOSVersionInfoSize = sizeof truth;
  ASSERT_EQ(rtlGetVersion(&truth), 0);
  EXPECT_EQ(v.major, truth.dwMajorVersion);
  EXPECT_EQ(v.minor, truth.dwMinorVersion);
  EXPECT_EQ(v.build, truth.dwBuildNumber);
  OSVERSIONINFOA reported = {};
  reported.dwOSVersionInfoSize = sizeof reported;
  ASSERT_TRUE(GetVersionExA(&reported));
  EXPECT_GE(uint64_t(v.major) << 32 | v.minor, uint64_t(reported.dwMajorVersion) << 32 | reported.dwMinorVersion);
}

// The system's code page 1252 agrees with the one the simulated platform uses.
TEST_F(Win32SystemTest, CodePage1252MatchesTheEnginesTables) {
  if (sys_.AnsiCodePage() != 1252) GTEST_SKIP() << "needs code page 1252";
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(char(i));
  std::u16string wide = sys_.AnsiToUtf16(all);
  ASSERT_EQ(wide.size(), 256u);  // the zero byte does not end the text
  for (int i = 0; i < 256; ++i) EXPECT_EQ(int(wide[i]), int(cp1252::ToUtf16(uint8_t(i)))) << "byte " << i;
  EXPECT_EQ(sys_.AnsiToUtf16(""), u"");
  EXPECT_EQ(sys_.AnsiToUtf16("caf\xE9 \x80"), u"caf\u00E9 \u20AC");

  unsigned char upper[256], lower[256], simUpper[256], simLower[256];
  sys_.AnsiCaseTables(upper, lower);
  cp1252::CaseTables(simUpper, simLower);
  EXPECT_EQ(upper['a'], 'A');
  EXPECT_EQ(upper[0xE9], 0xC9);
  EXPECT_EQ(lower[0xC9], 0xE9);
  EXPECT_EQ(upper['1'], '1');
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(upper[i], simUpper[i]) << "upper of byte " << i;
    EXPECT_EQ(lower[i], simLower[i]) << "lower of byte " << i;
  }
  EXPECT_NE(sys_.UserDefaultLanguage(), 0);
}

TEST_F(Win32SystemTest, KnowsItsWindowsAndRights) {
#ifdef _WIN64
  EXPECT_TRUE(sys_.Is64BitWindows());
#else
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  EXPECT_EQ(sys_.Is64BitWindows(), bool(wow64));
#endif
  // The shell's own test of the same thing.
  using IsUserAnAdminFn = BOOL(WINAPI*)();
  HMODULE shell32 = LoadLibraryA("shell32.dll");
  auto isUserAnAdmin = reinterpret_cast<IsUserAnAdminFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell32, "IsUserAnAdmin")));
  ASSERT_NE(isUserAnAdmin, nullptr);
  EXPECT_EQ(sys_.RunsAsAdministrator(), bool(isUserAnAdmin()));
}

TEST_F(Win32SystemTest, FindsShellFolders) {
  char windows[MAX_PATH], system[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  EXPECT_TRUE(text::EqualsNoCase(sys_.ShellFolder(csidl::kWindows), windows));
  EXPECT_TRUE(text::EqualsNoCase(sys_.ShellFolder(csidl::kSystem), system));
  for (int id : {csidl::kDesktop, csidl::kPersonal, csidl::kAppData, csidl::kLocalAppData, csidl::kCommonAppData,
                 csidl::kProgramFiles, csidl::kFonts, csidl::kPrograms, csidl::kCommonPrograms}) {
    std::string folder = sys_.ShellFolder(id);
    ASSERT_FALSE(folder.empty()) << id;
    EXPECT_NE(folder.back(), '\\') << folder;
    EXPECT_TRUE(files_.FolderExists(folder)) << folder;
  }
  // Unknown numbers, and flags that would make the shell create a folder.
  EXPECT_EQ(sys_.ShellFolder(0xFF), "");
  EXPECT_EQ(sys_.ShellFolder(-1), "");
  EXPECT_EQ(sys_.ShellFolder(0x8000 | csidl::kAdminTools), "");
}

// Now in the user's formats: the same texts the system gives for the local time just
// before or just after.
TEST_F(Win32SystemTest, TellsDateAndTimeInTheUsersFormats) {
  auto format = [](bool date) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[96] = "";
    if (date)
      GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, text, sizeof text);
    else
      GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, text, sizeof text);
    return std::string(text);
  };
  for (bool date : {true, false}) {
    std::string before = format(date);
    std::string answer = date ? sys_.CurrentDateText() : sys_.CurrentTimeText();
    std::string after = format(date);
    ASSERT_FALSE(answer.empty());
    EXPECT_TRUE(answer == before || answer == after) << answer << " / " << before;
  }
}

// The look of the desktop, from libraries the engine binds at run time.
TEST_F(Win32SystemTest, AsksDwmAndUxthemeForTheLook) {
  using IsThemeActiveFn = BOOL(WINAPI*)();
  HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
  auto isThemeActive =
      reinterpret_cast<IsThemeActiveFn>(reinterpret_cast<void (*)()>(GetProcAddress(uxtheme, "IsThemeActive")));
  EXPECT_EQ(sys_.VisualThemesActive(), isThemeActive && isThemeActive());
  using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
  HMODULE dwmapi = LoadLibraryA("dwmapi.dll");
  auto isCompositionEnabled = reinterpret_cast<DwmIsCompositionEnabledFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(dwmapi, "DwmIsCompositionEnabled")));
  BOOL on = FALSE;
  bool expected = isCompositionEnabled && SUCCEEDED(isCompositionEnabled(&on)) && on;
  EXPECT_EQ(sys_.DesktopCompositionEnabled(), expected);
}

}  // namespace
}  // namespace qv::platform::win32
