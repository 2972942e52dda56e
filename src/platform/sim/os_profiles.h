#pragma once
// The Windows a simulated machine pretends to be, and ready-made ones. The default is
// Windows 7 SP1, 64-bit, an elevated administrator, English (United States): the engine
// is a 32-bit program, so it runs under WOW64 there.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system.h"

namespace qv::platform::sim {

// The virtual machine a simulated Windows runs in, by the back door it answers.
enum class VirtualMachine { kNone, kVmware, kVirtualPc };

using FourPartVersion = std::array<uint16_t, 4>;

struct OsProfile {
  std::string name;
  OsVersion version;
  bool os64 = true;
  bool process64 = false;
  bool administrator = true;
  // The process token's elevation; always false before Vista (the query does not exist).
  bool elevated = true;
  uint16_t userLanguage = 1033;
  std::string userName = "User";
  std::string computerName = "QV-SIM-PC";
  std::string userSid = "S-1-5-21-1004336348-1177238915-682003330-1001";
  uint32_t ansiCodePage = 1252;
  // Empty: the version's usual place for the user (see KnownFoldersOf).
  std::string tempFolder;
  // The look the user has: Vista and later workstations start with desktop composition
  // and a visual style, XP with its visual style only; servers and 9x with neither.
  bool desktopComposition = true;
  bool visualThemes = true;

  // The built-in groups the user's token lists (builtin_group numbers): Administrators
  // and Users for an administrator (also in the filtered token of Vista and later, where
  // Administrators is kept for deny checks), Users for a standard user.
  std::vector<uint32_t> builtinGroups = {builtin_group::kAdministrators, builtin_group::kUsers};
  // The account's domain: the computer for a local account; empty on 9x.
  std::string userDomain = "QV-SIM-PC";
  // The language of the system's own user interface, which its files are translated to.
  uint16_t uiLanguage = 1033;
  // The machine.
  uint64_t physicalMemory = 4ull << 30;
  int screenWidth = 1920;
  int screenHeight = 1080;
  int bitsPerPixel = 32;
  int dpi = 96;
  bool tabletPc = false;
  bool mediaCenter = false;
  VirtualMachine virtualMachine = VirtualMachine::kNone;
  // Internet Explorer as installed: the "Version" text under its registry key, and the
  // file version of shdocvw.dll (which follows the system itself from Vista on).
  std::string ieVersion = "8.0.7601.17514";
  FourPartVersion shellDocObjectVersion = {6, 1, 7601, 17514};
  // The file version of the system's own programs (winver.exe).
  FourPartVersion systemFileVersion = {6, 1, 7601, 17514};

  bool Wow64() const { return os64 && !process64; }
  bool NtFamily() const { return version.IsNtFamily(); }
  bool AtLeast(uint32_t major, uint32_t minor) const {
    return version.major > major || (version.major == major && version.minor >= minor);
  }
  // May change the machine: any user on 9x, an administrator before Vista, an elevated
  // one from Vista on.
  bool Privileged() const;
  // GetNativeSystemInfo (XP and later) and GlobalMemoryStatusEx (2000 and later).
  bool HasNativeSystemInfo() const { return NtFamily() && AtLeast(5, 1); }
  bool HasExtendedMemoryStatus() const { return NtFamily() && AtLeast(5, 0); }
};

// The folders a profile's system reports, without trailing backslash except `temp`.
struct KnownFolders {
  std::string windows;          // "C:\Windows"
  std::string system;           // what GetSystemDirectory gives
  std::string systemWow64;      // empty on a 32-bit system
  std::string programFiles;     // the native one
  std::string programFilesX86;  // empty on a 32-bit system
  std::string commonFiles;
  std::string commonFilesX86;
  std::string userProfile;
  std::string appData;
  std::string localAppData;
  std::string temp;             // with a trailing backslash
};

KnownFolders KnownFoldersOf(const OsProfile& profile);

// The shell folder a CSIDL number names on the profile's Windows for its user, as
// SHGetFolderPath reports it to the process (a 32-bit process on 64-bit Windows gets the
// x86 Program Files); empty for a number that Windows version does not know.
std::string ShellFolderOf(const OsProfile& profile, int csidl);

// The environment block a process of the profile's user starts with: NAME=value entries
// sorted by name without regard to letter case, as Windows keeps them.
std::vector<std::string> EnvironmentOf(const OsProfile& profile);

enum class Bits { k32, k64 };
enum class Account { kAdministrator, kStandardUser };

namespace profiles {

// 4.10.1998 and the Second Edition, 4.10.2222 ("A"); 9x builds carry the version in
// their high word, as GetVersionEx reports them.
OsProfile Windows98();
OsProfile Windows98Se();
// 64-bit: Windows XP Professional x64 Edition, which is 5.2.3790 SP2.
OsProfile WindowsXpSp3(Bits bits = Bits::k32, Account account = Account::kAdministrator);
OsProfile WindowsVistaSp2(Bits bits = Bits::k64, Account account = Account::kAdministrator);
OsProfile Windows7Sp1(Bits bits = Bits::k64, Account account = Account::kAdministrator);
// Windows Server 2008 (6.0.6001, which shipped as Service Pack 1).
OsProfile WindowsServer2008(Bits bits = Bits::k64, Account account = Account::kAdministrator);
OsProfile Windows8(Bits bits = Bits::k64, Account account = Account::kAdministrator);
OsProfile Default();

}  // namespace profiles

}  // namespace qv::platform::sim
