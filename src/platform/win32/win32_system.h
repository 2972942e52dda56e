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
};

}  // namespace qv::platform::win32
