#pragma once
// What the engine asks of the operating system itself: version, folders of the process,
// clock, code page and locale, the command line.
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::platform {

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 2;  // 1: Windows 9x family, 2: NT family
  std::string servicePackText;  // e.g. "Service Pack 1"
  uint16_t servicePackMajor = 0;
  uint16_t servicePackMinor = 0;
  uint16_t suiteMask = 0;
  uint8_t productType = 1;  // 1 workstation, 2 domain controller, 3 server

  bool IsNtFamily() const { return platformId == 2; }
};

class System {
 public:
  virtual ~System() = default;
  virtual OsVersion Version() = 0;
  // The user's temporary folder with a trailing backslash (the system's answer, which
  // may name a folder that does not exist yet).
  virtual std::string TempFolder() = 0;
  // Full path of the running executable.
  virtual std::string ExecutablePath() = 0;
  // The headers of the running executable's loaded image (DOS header, PE headers and
  // section table), from which the stub size is computed.
  virtual std::string OwnImageHeaders() = 0;
  // The raw command line, program path included.
  virtual std::string CommandLine() = 0;
  // Milliseconds since the system started (wraps like the system's tick count).
  virtual uint64_t TickCount() = 0;
  virtual uint32_t AnsiCodePage() = 0;
  // Text in the system ANSI code page as UTF-16.
  virtual std::u16string AnsiToUtf16(std::string_view text) = 0;
  // Upper- and lower-case forms of every byte of the ANSI code page.
  virtual void AnsiCaseTables(unsigned char upper[256], unsigned char lower[256]) = 0;
  // Language identifier of the user's default locale.
  virtual uint16_t UserDefaultLanguage() = 0;

  // 64-bit Windows: a 32-bit process under WOW64, or a 64-bit process.
  virtual bool Is64BitWindows() = 0;
  // A member of Administrators with the rights in force: from Vista on only when the
  // process runs elevated (the filtered token of an administrator does not count);
  // always on Windows 9x, which has no accounts.
  virtual bool RunsAsAdministrator() = 0;
  // A shell folder by its CSIDL number, without a trailing backslash; empty when the
  // system has no such folder.
  virtual std::string ShellFolder(int csidl) = 0;
  // Now, in the user's short date format and long time format ("3/9/2012", "2:05:07 PM").
  virtual std::string CurrentDateText() = 0;
  virtual std::string CurrentTimeText() = 0;
  // Desktop composition (Aero glass) is on; false on systems without it.
  virtual bool DesktopCompositionEnabled() = 0;
  // A visual style is in use; false on systems without visual styles.
  virtual bool VisualThemesActive() = 0;
};

// Shell folder numbers (CSIDL) the engine asks for.
namespace csidl {
inline constexpr int kDesktop = 0x00;
inline constexpr int kPrograms = 0x02;
inline constexpr int kPersonal = 0x05;
inline constexpr int kFavorites = 0x06;
inline constexpr int kStartup = 0x07;
inline constexpr int kRecent = 0x08;
inline constexpr int kSendTo = 0x09;
inline constexpr int kStartMenu = 0x0B;
inline constexpr int kMyMusic = 0x0D;
inline constexpr int kMyVideo = 0x0E;
inline constexpr int kDesktopDirectory = 0x10;
inline constexpr int kNetHood = 0x13;
inline constexpr int kFonts = 0x14;
inline constexpr int kTemplates = 0x15;
inline constexpr int kCommonStartMenu = 0x16;
inline constexpr int kCommonPrograms = 0x17;
inline constexpr int kCommonStartup = 0x18;
inline constexpr int kCommonDesktopDirectory = 0x19;
inline constexpr int kAppData = 0x1A;
inline constexpr int kPrintHood = 0x1B;
inline constexpr int kLocalAppData = 0x1C;
inline constexpr int kCommonFavorites = 0x1F;
inline constexpr int kInternetCache = 0x20;
inline constexpr int kCookies = 0x21;
inline constexpr int kHistory = 0x22;
inline constexpr int kCommonAppData = 0x23;
inline constexpr int kWindows = 0x24;
inline constexpr int kSystem = 0x25;
inline constexpr int kProgramFiles = 0x26;
inline constexpr int kMyPictures = 0x27;
inline constexpr int kProfile = 0x28;
inline constexpr int kSystemX86 = 0x29;
inline constexpr int kProgramFilesX86 = 0x2A;
inline constexpr int kProgramFilesCommon = 0x2B;
inline constexpr int kProgramFilesCommonX86 = 0x2C;
inline constexpr int kCommonTemplates = 0x2D;
inline constexpr int kCommonDocuments = 0x2E;
inline constexpr int kCommonAdminTools = 0x2F;
inline constexpr int kAdminTools = 0x30;
inline constexpr int kCommonMusic = 0x35;
inline constexpr int kCommonPictures = 0x36;
inline constexpr int kCommonVideo = 0x37;
inline constexpr int kCdBurnArea = 0x3B;
inline constexpr int kProfiles = 0x3E;
}  // namespace csidl

}  // namespace qv::platform
