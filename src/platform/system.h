#pragma once
// What the engine asks of the operating system itself: version, folders of the process,
// clock, code page and locale, the command line, and the facts of the machine and its
// user that the system queries report.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

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

// The relative identifiers of the built-in groups (S-1-5-32-R).
namespace builtin_group {
inline constexpr uint32_t kAdministrators = 544;
inline constexpr uint32_t kUsers = 545;
inline constexpr uint32_t kGuests = 546;
inline constexpr uint32_t kPowerUsers = 547;
}  // namespace builtin_group

// What GetDriveType answers for a root ("D:\").
namespace drive_type {
inline constexpr uint32_t kUnknown = 0;
inline constexpr uint32_t kNoRootFolder = 1;
inline constexpr uint32_t kRemovable = 2;
inline constexpr uint32_t kFixed = 3;
inline constexpr uint32_t kRemote = 4;
inline constexpr uint32_t kCdRom = 5;
inline constexpr uint32_t kRamDisk = 6;
}  // namespace drive_type

// The processor architecture numbers of GetNativeSystemInfo.
namespace processor_architecture {
inline constexpr int kIntel = 0;
inline constexpr int kIa64 = 6;
inline constexpr int kAmd64 = 9;
}  // namespace processor_architecture

// GetSystemMetrics indexes the engine asks for.
namespace system_metric {
inline constexpr int kScreenWidth = 0;
inline constexpr int kScreenHeight = 1;
inline constexpr int kTabletPc = 86;
inline constexpr int kMediaCenter = 87;
}  // namespace system_metric

// The parts of a file's version resource the engine reads.
struct FileVersionInfo {
  // The fixed file version, major.minor.build.revision.
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t build = 0;
  uint16_t revision = 0;
  // The first entry of "\VarFileInfo\Translation", when there is one.
  bool hasTranslation = false;
  uint16_t language = 0;
  uint16_t codePage = 0;
};

struct MemoryStatus {
  // Total physical memory as GlobalMemoryStatus gives it to this process in its 32-bit
  // field: a 32-bit program that is not large-address aware sees at most 2 GiB.
  uint32_t totalPhysical = 0;
  // GlobalMemoryStatusEx, on systems that have it.
  bool haveExtended = false;
  uint64_t totalPhysicalExtended = 0;
};

// The account the process runs as; both empty when it cannot be looked up.
struct AccountName {
  std::string user;
  std::string domain;  // empty on Windows 9x
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

  // The machine and its user, as the system queries report them. None of these fails
  // loudly: a call the system refuses gives the empty, zero or false answer stated.
  //
  // The token of the thread (when it impersonates) or else of the process lists the
  // built-in group S-1-5-32-`rid`, whatever the group's attributes: a group kept only
  // for deny checks counts. False when the token cannot be read (always on Windows 9x).
  virtual bool TokenHasBuiltinGroup(uint32_t rid) = 0;
  // The process token's elevation flag; false when the query fails (before Vista).
  virtual bool TokenElevated() = 0;
  // The user of the process token and its domain (Windows 9x: the logon name, no domain).
  virtual AccountName CurrentAccount() = 0;
  // The NetBIOS name (at most 15 characters); empty when the call fails.
  virtual std::string ComputerName() = 0;
  // GetWindowsDirectory, GetSystemDirectory, GetSystemWow64Directory: without trailing
  // backslash, empty when the call fails (the last always on 32-bit Windows).
  virtual std::string WindowsFolder() = 0;
  virtual std::string SystemFolder() = 0;
  virtual std::string SystemWow64Folder() = 0;
  // The version resource of a file; false when it has none or cannot be read.
  virtual bool ReadFileVersionInfo(const std::string& path, FileVersionInfo& info) = 0;
  // VerLanguageName: the system's name of a language identifier.
  virtual std::string LanguageName(uint16_t language) = 0;
  // GetDriveType of a root path ("E:\"): a drive_type number.
  virtual uint32_t DriveType(const std::string& root) = 0;
  virtual MemoryStatus Memory() = 0;
  // GetSystemMetrics(index); 0 for an index the system does not know.
  virtual int SystemMetric(int index) = 0;
  // Bits per pixel of a "DISPLAY" device context; 0 when there is none.
  virtual int DisplayBitsPerPixel() = 0;
  // Horizontal dots per inch of the screen's device context; -1 when there is none.
  virtual int ScreenDpi() = 0;
  // The machine's processor architecture (GetNativeSystemInfo); -1 on systems without
  // that function (before XP).
  virtual int NativeProcessorArchitecture() = 0;
  // The machine answers the back door of VMware, or of Virtual PC.
  virtual bool VmwareBackdoorAnswers() = 0;
  virtual bool VirtualPcBackdoorAnswers() = 0;
  // ExpandEnvironmentStrings: every %NAME% of a defined variable replaced by its value;
  // the rest stays as written.
  virtual std::string ExpandEnvironment(std::string_view text) = 0;
  // The process's environment block: its NAME=value entries in the system's order.
  virtual std::vector<std::string> EnvironmentBlock() = 0;
  // GetTempFileName with unique number 0: creates a new empty file `prefix` + four hex
  // digits + ".tmp" in `folder` and gives its full path.
  virtual ErrorCode CreateTempFile(const std::string& folder, const std::string& prefix, std::string& path) = 0;
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
