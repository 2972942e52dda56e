#pragma once
// The system-information layer: the facts about the machine, its Windows and its user
// that the system queries report, each read the way those queries define it (the
// version record with its adjustments, the group tests, the registry-based folders),
// on top of the platform interfaces. Registry reads "with the view" use the registry
// view of the command being run; the others use the default view of the process.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "system/file_queries.h"
#include "system/registry_access.h"

namespace qv::system {

// The operating-system version as the queries compare it.
struct VersionRecord {
  bool nt = false;  // the NT family
  int major = 0;
  int minor = 0;    // 11 for Windows 98 Second Edition
  int servicePack = 0;
};

// The number of a service-pack text: the first of 10, 9, ... 1 whose decimal text
// occurs anywhere in it ("Service Pack 10" is 10, not 1); 0 when none does.
int ServicePackNumber(std::string_view servicePackText);
// The version record of what the system reports: on the 9x family 4.10 from build 2222
// on is reported as 4.11, which tells 98 SE from 98.
VersionRecord VersionRecordOf(const platform::OsVersion& version);
// The server flag: a product type other than workstation.
bool IsServer(const platform::OsVersion& version);
// major.minor at least a.b, the family not considered.
bool OsAtLeast(const VersionRecord& v, int major, int minor);
// "XP", "VISTA", "2008", "SEVEN", "98SE", ...; "UNKNOWN" for any other version.
std::string OsLevelName(const VersionRecord& v, bool server);

class SystemInfo {
 public:
  // `view` is the registry view of the command being run; it is read at each access.
  SystemInfo(platform::Platform& machine, const platform::RegView& view);
  SystemInfo(const SystemInfo&) = delete;
  SystemInfo& operator=(const SystemInfo&) = delete;

  VersionRecord Version();
  bool Server();

  // Membership of a built-in group (builtin_group numbers). On the 9x family everyone
  // counts as an administrator and as nothing else.
  bool IsMemberOf(uint32_t rid);
  bool IsElevated();
  bool Is64BitWindows();
  // "ADMIN", "POWER", "USER", "GUEST" by the first group the user is a member of, in
  // that order; "ERROR" for none.
  std::string UserLevel();

  // A folder by its CSIDL number, with a trailing backslash; empty when the system has
  // none. Program Files (38) and Common Files (43) come from the registry in the
  // command's view, so that a 64-bit target gets the 64-bit folders.
  std::string Folder(int csidl);
  std::string WindowsFolder();
  // The system folder of the target: the 32-bit one (SysWOW64) for a "Win32" target on
  // 64-bit Windows, else the system's own.
  std::string SystemFolder(bool win32Target);
  // "BootDir" of the setup key (in the command's view), with a trailing backslash.
  std::string BootFolder();
  // "D:\" for the first CD-ROM drive from A to Z; empty without one.
  std::string FirstCdRomDrive();
  // The user's AppData from the Shell Folders key, + the Quick Launch folder.
  std::string QuickLaunchFolder();
  // The web server's root folder ("PathWWWRoot", else the "/" virtual root).
  std::string WebRootFolder();

  std::string UserName();
  std::string UserDomain();
  std::string ComputerName();
  std::string RegisteredOwner();
  std::string RegisteredOrganization();
  // The language winver.exe of the system folder is translated to; 0 without one.
  uint16_t UiLanguage();
  std::string LanguageName(uint16_t language);

  // Total physical memory in the 32-bit form and in whole MiB (from the extended
  // status where the system has it, rounded to the nearest, ties to even).
  uint32_t PhysicalMemory();
  int64_t PhysicalMemoryMiB();
  int ScreenWidth();
  int ScreenHeight();
  // Width x height, in either orientation.
  bool ScreenAtLeast(int width, int height);
  int BitsPerPixel();
  int ScreenDpi();
  bool TabletPc();
  bool MediaCenter();
  // "X86", "IA64", "AMD64" or "UNKNOWN"; "X86" on systems that cannot tell.
  std::string ProcessorArchitecture();
  bool InVmware();
  bool InVirtualPc();

  // Internet Explorer: the file version of shdocvw.dll in the system folder (0.0.0.0
  // when missing), and the "Version" text of its registry key as four numbers. The
  // text is empty on any failure; a part before a "." that is not a number gives
  // nothing (and `bad` names it).
  FourPartVersion InternetExplorerFileVersion();
  std::optional<FourPartVersion> InternetExplorerRegistryVersion(std::string& bad);
  // The installed web server (IIS) is at least major.minor; false without one.
  bool WebServerAtLeast(int major, int minor);

 private:
  // A string or expandable string, unexpanded; empty when it cannot be read.
  std::string ReadText(RegistryAccess& access, platform::RegRoot root, const std::string& key,
                       const std::string& name);
  RegistryAccess& WithView() { return withView_; }
  RegistryAccess& Plain() { return plain_; }

  platform::Platform& machine_;
  platform::System& sys_;
  const platform::RegView plainView_ = platform::RegView::Default;
  RegistryAccess withView_;
  RegistryAccess plain_;
};

// The folders of the .NET Framework generations, for the install engine's assembly
// work. The framework root ("InstallRoot", in the view) is read once; a generation's
// folder is kept once found, and looked up again while it is not.
class DotNetFrameworkFolders {
 public:
  // 0: v1.1, 1: v2.0, 2: v4.0, 3: the newest installed; with a trailing backslash, empty
  // when that generation is not installed (its policy key cannot be opened).
  std::string Folder(platform::Registry& registry, const platform::RegView& view, int index);

 private:
  std::optional<std::string> root_;
  std::string found_[4];
};

}  // namespace qv::system
