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

// The group tests read the token of the thread when it impersonates, else the process's.
TEST_F(Win32SystemTest, TellsGroupsElevationAndTheAccount) {
  const bool administrators = sys_.TokenHasBuiltinGroup(builtin_group::kAdministrators);
  if (sys_.RunsAsAdministrator() || sys_.TokenElevated()) {
    EXPECT_TRUE(administrators);
  }
  ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
  EXPECT_EQ(sys_.TokenHasBuiltinGroup(builtin_group::kAdministrators), administrators);
  RevertToSelf();
  EXPECT_FALSE(sys_.TokenHasBuiltinGroup(1234));  // no such group

  char user[257] = {};
  DWORD size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  AccountName account = sys_.CurrentAccount();
  EXPECT_TRUE(text::EqualsNoCase(account.user, user)) << account.user;
  EXPECT_FALSE(account.domain.empty());
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  EXPECT_EQ(sys_.ComputerName(), computer);
}

TEST_F(Win32SystemTest, NamesTheSystemFolders) {
  char windows[MAX_PATH], system[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  EXPECT_EQ(sys_.WindowsFolder(), windows);
  EXPECT_EQ(sys_.SystemFolder(), system);
  const std::string wow64 = sys_.SystemWow64Folder();
  if (!wow64.empty()) {
    EXPECT_TRUE(text::EqualsNoCase(wow64, std::string(windows) + "\\SysWOW64")) << wow64;
  }
  EXPECT_EQ(sys_.DriveType(std::string(windows).substr(0, 3)), drive_type::kFixed);
  EXPECT_EQ(sys_.DriveType("?:\\"), drive_type::kNoRootFolder);
}

TEST_F(Win32SystemTest, ReadsVersionResources) {
  const std::string exe = sys_.ExecutablePath();
  const std::string image =
      exe.substr(0, exe.rfind('\\') + 1) + (sizeof(void*) == 8 ? "qv_versioned64.dll" : "qv_versioned32.dll");
  FileVersionInfo info;
  if (files_.FileExists(image)) {
    ASSERT_TRUE(sys_.ReadFileVersionInfo(image, info));
    EXPECT_EQ(std::vector<int>({info.major, info.minor, info.build, info.revision}), std::vector<int>({1, 2, 3, 4}));
    EXPECT_TRUE(info.hasTranslation);
    EXPECT_EQ(info.language, 0x409);
    EXPECT_EQ(info.codePage, 1200);
  }
  ASSERT_TRUE(sys_.ReadFileVersionInfo(sys_.SystemFolder() + "\\kernel32.dll", info));
  EXPECT_GE(info.major, 5);
  EXPECT_FALSE(sys_.ReadFileVersionInfo(sys_.SystemFolder() + "\\no such file.dll", info));
  EXPECT_TRUE(text::ContainsNoCase(sys_.LanguageName(0x409), "English")) << sys_.LanguageName(0x409);
}

TEST_F(Win32SystemTest, TellsMemoryScreenAndProcessor) {
  MemoryStatus m = sys_.Memory();
  EXPECT_GT(m.totalPhysical, 0u);
  ASSERT_TRUE(m.haveExtended);
  EXPECT_GE(m.totalPhysicalExtended, m.totalPhysical);
  EXPECT_EQ(sys_.NativeProcessorArchitecture(), processor_architecture::kAmd64);
  // Without a display (no Xvfb) the screen may be missing; its answers are then zero.
  if (sys_.SystemMetric(system_metric::kScreenWidth) > 0) {
    EXPECT_GT(sys_.SystemMetric(system_metric::kScreenHeight), 0);
    EXPECT_GE(sys_.DisplayBitsPerPixel(), 8);
    EXPECT_GT(sys_.ScreenDpi(), 0);
  }
  // The back doors never end the process; no machine is both.
  EXPECT_FALSE(sys_.VmwareBackdoorAnswers() && sys_.VirtualPcBackdoorAnswers());
}

TEST_F(Win32SystemTest, ExpandsTheEnvironmentAndListsItsBlock) {
  const std::string big(10000, 'b');
  ASSERT_TRUE(SetEnvironmentVariableA("QV_BIG", big.c_str()));
  const std::string expanded = sys_.ExpandEnvironment("%QV_BIG%|%QV_BIG%");
  EXPECT_EQ(expanded.size(), 2 * big.size() + 1);
  EXPECT_TRUE(expanded == big + "|" + big);
  EXPECT_EQ(sys_.ExpandEnvironment("%QV_NOT_SET%\\x"), "%QV_NOT_SET%\\x");
  bool found = false;
  for (const auto& entry : sys_.EnvironmentBlock()) {
    EXPECT_NE(entry.find('=', 1), std::string::npos) << entry;
    found = found || entry == "QV_BIG=" + big;
  }
  EXPECT_TRUE(found);
  SetEnvironmentVariableA("QV_BIG", nullptr);
}

TEST_F(Win32SystemTest, CreatesNewTemporaryFiles) {
  const std::string temp = sys_.TempFolder();
  std::string first, second;
  ASSERT_EQ(sys_.CreateTempFile(temp, "zel", first), kSuccess);
  ASSERT_EQ(sys_.CreateTempFile(temp, "zel", second), kSuccess);
  EXPECT_NE(first, second);
  for (const auto& path : {first, second}) {
    EXPECT_TRUE(text::StartsWithNoCase(path, temp + "zel")) << path;
    EXPECT_TRUE(text::EndsWithNoCase(path, ".tmp")) << path;
    EXPECT_TRUE(files_.FileExists(path)) << path;
    files_.RemoveFile(path);
  }
  std::string missing;
  EXPECT_NE(sys_.CreateTempFile(temp + "qv no such folder", "zel", missing), kSuccess);
  EXPECT_EQ(missing, "");
}

}  // namespace
}  // namespace qv::platform::win32
