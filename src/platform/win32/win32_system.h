#pragma once
// The process and the system it runs on, from the ANSI system calls.
#include "platform/system.h"

namespace qv::platform::win32 {

class Win32System final : public System {
 public:
  // The true version of the system. The engine's manifest names no system newer than
  // Windows 7, so GetVersionExA answers with an older version than the one running
  // (6.2 and build 9200 on Windows 8.1 and later); the engine's levels and "at least"
  // tests are meant for the system itself. So the record comes from RtlGetVersion,
  // and from GetVersionExA only on systems without it (Windows 9x, NT 4).
  OsVersion Version() override;
  std::string TempFolder() override;
  std::string ExecutablePath() override;
  std::string OwnImageHeaders() override;
  std::string CommandLine() override;
  // The 32-bit counter of GetTickCount: it wraps after 49.7 days like the system's.
  uint64_t TickCount() override;
  uint32_t AnsiCodePage() override;
  std::u16string AnsiToUtf16(std::string_view text) override;
  void AnsiCaseTables(unsigned char upper[256], unsigned char lower[256]) override;
  uint16_t UserDefaultLanguage() override;
  bool Is64BitWindows() override;
  // CheckTokenMembership with the effective token (looked up: NT 4 lacks it, and there
  // the enabled groups of the process token are searched).
  bool RunsAsAdministrator() override;
  // SHGetFolderPathA (shell32, else shfolder.dll on older systems), else
  // SHGetSpecialFolderPathA. Numbers with CSIDL flags (which could create folders) are
  // refused.
  std::string ShellFolder(int csidl) override;
  std::string CurrentDateText() override;
  std::string CurrentTimeText() override;
  // DwmIsCompositionEnabled of dwmapi.dll.
  bool DesktopCompositionEnabled() override;
  // IsThemeActive of uxtheme.dll.
  bool VisualThemesActive() override;

  bool TokenHasBuiltinGroup(uint32_t rid) override;
  // TokenElevation (class 20) of the process token.
  bool TokenElevated() override;
  // NT: LookupAccountSidA of the process token's user; 9x: GetUserNameA.
  AccountName CurrentAccount() override;
  // GetComputerNameA with its 16-character buffer.
  std::string ComputerName() override;
  std::string WindowsFolder() override;
  std::string SystemFolder() override;
  std::string SystemWow64Folder() override;
  // GetFileVersionInfoA of version.dll, bound at run time from the system folder (a
  // version.dll planted beside the setup is never loaded).
  bool ReadFileVersionInfo(const std::string& path, FileVersionInfo& info) override;
  std::string LanguageName(uint16_t language) override;
  uint32_t DriveType(const std::string& root) override;
  // GlobalMemoryStatus, and GlobalMemoryStatusEx looked up (Windows 2000 and later); a
  // 64-bit build reports at most 4 GiB - 1 in the 32-bit field.
  MemoryStatus Memory() override;
  int SystemMetric(int index) override;
  int DisplayBitsPerPixel() override;
  int ScreenDpi() override;
  int NativeProcessorArchitecture() override;
  // See win32_virtual_machine.h.
  bool VmwareBackdoorAnswers() override;
  bool VirtualPcBackdoorAnswers() override;
  std::string ExpandEnvironment(std::string_view text) override;
  std::vector<std::string> EnvironmentBlock() override;
  ErrorCode CreateTempFile(const std::string& folder, const std::string& prefix, std::string& path) override;
};

}  // namespace qv::platform::win32
