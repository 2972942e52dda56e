#include "platform/sim/os_profiles.h"

#include "common/win_path.h"

namespace qv::platform::sim {
namespace {

constexpr uint16_t kSuiteSingleUserTs = 0x100;
constexpr uint16_t kSuiteTerminal = 0x10;

OsProfile Nt(std::string name, uint32_t major, uint32_t minor, uint32_t build, std::string sp, uint16_t spMajor,
             Bits bits, Account account, bool server = false) {
  OsProfile p;
  p.name = std::move(name);
  p.version.major = major;
  p.version.minor = minor;
  p.version.build = build;
  p.version.platformId = 2;
  p.version.servicePackText = std::move(sp);
  p.version.servicePackMajor = spMajor;
  p.version.productType = server ? 3 : 1;
  p.version.suiteMask = server ? kSuiteTerminal | kSuiteSingleUserTs : kSuiteSingleUserTs;
  p.os64 = bits == Bits::k64;
  p.name += p.os64 ? " x64" : " x86";
  p.administrator = account == Account::kAdministrator;
  // An administrator starts the engine elevated (its manifest asks for the highest
  // level available); before Vista there is no elevation to report.
  p.elevated = p.administrator && major >= 6;
  if (!p.administrator) p.name += " (standard user)";
  return p;
}

OsProfile Nine(std::string name, uint32_t build, std::string sp) {
  OsProfile p;
  p.name = std::move(name);
  p.version.major = 4;
  p.version.minor = 10;
  p.version.build = 0x040A0000u | build;
  p.version.platformId = 1;
  p.version.servicePackText = std::move(sp);
  p.version.productType = 1;
  p.os64 = false;
  p.administrator = true;
  p.elevated = false;
  p.userSid = ".DEFAULT";  // 9x without user profiles keeps one user hive
  return p;
}

}  // namespace

bool OsProfile::Privileged() const {
  if (!NtFamily()) return true;
  if (!administrator) return false;
  return version.major < 6 || elevated;
}

KnownFolders KnownFoldersOf(const OsProfile& p) {
  KnownFolders f;
  const std::string& user = p.userName;
  if (!p.NtFamily()) {
    f.windows = "C:\\WINDOWS";
    f.system = f.windows + "\\SYSTEM";
    f.userProfile = f.windows;
    f.appData = f.windows + "\\Application Data";
    f.localAppData = f.appData;
    f.temp = f.windows + "\\TEMP\\";
  } else if (p.version.major < 6) {
    f.windows = "C:\\WINDOWS";
    f.system = f.windows + "\\system32";
    f.userProfile = "C:\\Documents and Settings\\" + user;
    f.appData = f.userProfile + "\\Application Data";
    f.localAppData = f.userProfile + "\\Local Settings\\Application Data";
    f.temp = f.userProfile + "\\Local Settings\\Temp\\";
  } else {
    f.windows = "C:\\Windows";
    f.system = f.windows + "\\system32";
    f.userProfile = "C:\\Users\\" + user;
    f.appData = f.userProfile + "\\AppData\\Roaming";
    f.localAppData = f.userProfile + "\\AppData\\Local";
    f.temp = f.localAppData + "\\Temp\\";
  }
  f.programFiles = "C:\\Program Files";
  f.commonFiles = f.programFiles + "\\Common Files";
  if (p.os64) {
    f.systemWow64 = f.windows + "\\SysWOW64";
    f.programFilesX86 = "C:\\Program Files (x86)";
    f.commonFilesX86 = f.programFilesX86 + "\\Common Files";
  }
  if (!p.tempFolder.empty()) f.temp = winpath::IncludeTrailingBackslash(p.tempFolder);
  return f;
}

namespace profiles {

OsProfile Windows98() { return Nine("Windows 98", 1998, " "); }

OsProfile Windows98Se() { return Nine("Windows 98 SE", 2222, " A "); }

OsProfile WindowsXpSp3(Bits bits, Account account) {
  if (bits == Bits::k64)
    return Nt("Windows XP Professional SP2", 5, 2, 3790, "Service Pack 2", 2, bits, account);
  return Nt("Windows XP SP3", 5, 1, 2600, "Service Pack 3", 3, bits, account);
}

OsProfile WindowsVistaSp2(Bits bits, Account account) {
  return Nt("Windows Vista SP2", 6, 0, 6002, "Service Pack 2", 2, bits, account);
}

OsProfile Windows7Sp1(Bits bits, Account account) {
  return Nt("Windows 7 SP1", 6, 1, 7601, "Service Pack 1", 1, bits, account);
}

OsProfile WindowsServer2008(Bits bits, Account account) {
  return Nt("Windows Server 2008", 6, 0, 6001, "Service Pack 1", 1, bits, account, true);
}

OsProfile Windows8(Bits bits, Account account) { return Nt("Windows 8", 6, 2, 9200, "", 0, bits, account); }

OsProfile Default() { return Windows7Sp1(); }

}  // namespace profiles

}  // namespace qv::platform::sim
