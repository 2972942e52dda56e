#include "platform/sim/os_profiles.h"

#include <algorithm>

#include "common/text.h"
#include "common/win_path.h"
#include "platform/system.h"

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
  if (!p.administrator) p.builtinGroups = {builtin_group::kUsers};
  // An administrator starts the engine elevated (its manifest asks for the highest
  // level available); before Vista there is no elevation to report.
  p.elevated = p.administrator && major >= 6;
  if (!p.administrator) p.name += " (standard user)";
  // Servers start with the classic look; XP brought visual styles, Vista composition.
  p.visualThemes = !server && (major > 5 || (major == 5 && minor >= 1));
  p.desktopComposition = !server && major >= 6;
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
  p.visualThemes = false;
  p.desktopComposition = false;
  // No accounts and no domains of the NT kind.
  p.builtinGroups.clear();
  p.userDomain.clear();
  return p;
}

// The hardware and the Internet Explorer a profile's Windows typically came with.
OsProfile& Equip(OsProfile& p, uint64_t memoryMiB, int width, int height, int bitsPerPixel, std::string ieVersion,
                 FourPartVersion shellDocObject, FourPartVersion systemFiles) {
  p.physicalMemory = memoryMiB << 20;
  p.screenWidth = width;
  p.screenHeight = height;
  p.bitsPerPixel = bitsPerPixel;
  p.ieVersion = std::move(ieVersion);
  p.shellDocObjectVersion = shellDocObject;
  p.systemFileVersion = systemFiles;
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

namespace {

// The shell folders of one user on each family; the ones all families share are in
// ShellFolderOf.
std::string NineShellFolder(const KnownFolders& f, int id) {
  using namespace csidl;
  const std::string& w = f.windows;
  // Without user profiles the user's folders are the Windows folder's own; shfolder.dll
  // adds the few shared ones under All Users.
  switch (id) {
    case kDesktop:
    case kDesktopDirectory: return w + "\\Desktop";
    case kStartMenu: return w + "\\Start Menu";
    case kPrograms: return w + "\\Start Menu\\Programs";
    case kStartup: return w + "\\Start Menu\\Programs\\StartUp";
    case kPersonal: return "C:\\My Documents";
    case kMyPictures: return "C:\\My Documents\\My Pictures";
    case kFavorites: return w + "\\Favorites";
    case kRecent: return w + "\\Recent";
    case kSendTo: return w + "\\SendTo";
    case kNetHood: return w + "\\NetHood";
    case kTemplates: return w + "\\ShellNew";
    case kInternetCache: return w + "\\Temporary Internet Files";
    case kCookies: return w + "\\Cookies";
    case kHistory: return w + "\\History";
    case kCommonAppData: return w + "\\All Users\\Application Data";
    case kCommonDocuments: return w + "\\All Users\\Documents";
    default: return {};
  }
}

std::string XpShellFolder(const KnownFolders& f, int id) {
  using namespace csidl;
  const std::string& p = f.userProfile;
  const std::string all = "C:\\Documents and Settings\\All Users";
  switch (id) {
    case kDesktop:
    case kDesktopDirectory: return p + "\\Desktop";
    case kStartMenu: return p + "\\Start Menu";
    case kPrograms: return p + "\\Start Menu\\Programs";
    case kStartup: return p + "\\Start Menu\\Programs\\Startup";
    case kAdminTools: return p + "\\Start Menu\\Programs\\Administrative Tools";
    case kPersonal: return p + "\\My Documents";
    case kMyMusic: return p + "\\My Documents\\My Music";
    case kMyPictures: return p + "\\My Documents\\My Pictures";
    case kMyVideo: return p + "\\My Documents\\My Videos";
    case kFavorites: return p + "\\Favorites";
    case kRecent: return p + "\\Recent";
    case kSendTo: return p + "\\SendTo";
    case kNetHood: return p + "\\NetHood";
    case kPrintHood: return p + "\\PrintHood";
    case kTemplates: return p + "\\Templates";
    case kCookies: return p + "\\Cookies";
    case kInternetCache: return p + "\\Local Settings\\Temporary Internet Files";
    case kHistory: return p + "\\Local Settings\\History";
    case kCdBurnArea: return f.localAppData + "\\Microsoft\\CD Burning";
    case kProfile: return p;
    case kProfiles: return "C:\\Documents and Settings";
    case kCommonDesktopDirectory: return all + "\\Desktop";
    case kCommonStartMenu: return all + "\\Start Menu";
    case kCommonPrograms: return all + "\\Start Menu\\Programs";
    case kCommonStartup: return all + "\\Start Menu\\Programs\\Startup";
    case kCommonAdminTools: return all + "\\Start Menu\\Programs\\Administrative Tools";
    case kCommonFavorites: return all + "\\Favorites";
    case kCommonTemplates: return all + "\\Templates";
    case kCommonAppData: return all + "\\Application Data";
    case kCommonDocuments: return all + "\\Documents";
    case kCommonMusic: return all + "\\Documents\\My Music";
    case kCommonPictures: return all + "\\Documents\\My Pictures";
    case kCommonVideo: return all + "\\Documents\\My Videos";
    default: return {};
  }
}

std::string VistaShellFolder(const KnownFolders& f, int id) {
  using namespace csidl;
  const std::string& p = f.userProfile;
  const std::string roaming = f.appData + "\\Microsoft\\Windows";
  const std::string local = f.localAppData + "\\Microsoft\\Windows";
  const std::string shared = "C:\\ProgramData\\Microsoft\\Windows";
  const std::string pub = "C:\\Users\\Public";
  switch (id) {
    case kDesktop:
    case kDesktopDirectory: return p + "\\Desktop";
    case kStartMenu: return roaming + "\\Start Menu";
    case kPrograms: return roaming + "\\Start Menu\\Programs";
    case kStartup: return roaming + "\\Start Menu\\Programs\\Startup";
    case kAdminTools: return roaming + "\\Start Menu\\Programs\\Administrative Tools";
    case kPersonal: return p + "\\Documents";
    case kMyMusic: return p + "\\Music";
    case kMyPictures: return p + "\\Pictures";
    case kMyVideo: return p + "\\Videos";
    // The shared favorites of earlier systems became the user's own.
    case kFavorites:
    case kCommonFavorites: return p + "\\Favorites";
    case kRecent: return roaming + "\\Recent";
    case kSendTo: return roaming + "\\SendTo";
    case kNetHood: return roaming + "\\Network Shortcuts";
    case kPrintHood: return roaming + "\\Printer Shortcuts";
    case kTemplates: return roaming + "\\Templates";
    case kCookies: return roaming + "\\Cookies";
    case kInternetCache: return local + "\\Temporary Internet Files";
    case kHistory: return local + "\\History";
    case kCdBurnArea: return local + "\\Burn\\Burn";
    case kProfile: return p;
    case kProfiles: return "C:\\Users";
    case kCommonDesktopDirectory: return pub + "\\Desktop";
    case kCommonStartMenu: return shared + "\\Start Menu";
    case kCommonPrograms: return shared + "\\Start Menu\\Programs";
    case kCommonStartup: return shared + "\\Start Menu\\Programs\\Startup";
    case kCommonAdminTools: return shared + "\\Start Menu\\Programs\\Administrative Tools";
    case kCommonTemplates: return shared + "\\Templates";
    case kCommonAppData: return "C:\\ProgramData";
    case kCommonDocuments: return pub + "\\Documents";
    case kCommonMusic: return pub + "\\Music";
    case kCommonPictures: return pub + "\\Pictures";
    case kCommonVideo: return pub + "\\Videos";
    default: return {};
  }
}

}  // namespace

std::string ShellFolderOf(const OsProfile& p, int id) {
  using namespace csidl;
  KnownFolders f = KnownFoldersOf(p);
  switch (id) {
    case kWindows: return f.windows;
    case kSystem: return f.system;
    case kFonts: return f.windows + (p.NtFamily() ? "\\Fonts" : "\\FONTS");
    case kProgramFiles: return p.Wow64() ? f.programFilesX86 : f.programFiles;
    case kAppData: return f.appData;
    case kLocalAppData: return f.localAppData;
    default: break;
  }
  if (!p.NtFamily()) return NineShellFolder(f, id);
  switch (id) {
    case kSystemX86: return p.os64 ? f.systemWow64 : f.system;
    case kProgramFilesX86: return p.os64 ? f.programFilesX86 : f.programFiles;
    case kProgramFilesCommon: return p.Wow64() ? f.commonFilesX86 : f.commonFiles;
    case kProgramFilesCommonX86: return p.os64 ? f.commonFilesX86 : f.commonFiles;
    default: break;
  }
  return p.version.major < 6 ? XpShellFolder(f, id) : VistaShellFolder(f, id);
}

std::vector<std::string> EnvironmentOf(const OsProfile& p) {
  KnownFolders f = KnownFoldersOf(p);
  const std::string temp = winpath::ExcludeTrailingBackslash(f.temp);
  if (!p.NtFamily()) {
    // AUTOEXEC.BAT's order: 9x does not sort its block.
    return {"TMP=" + temp,
            "TEMP=" + temp,
            "PROMPT=$p$g",
            "winbootdir=" + f.windows,
            "COMSPEC=" + f.windows + "\\COMMAND.COM",
            "PATH=" + f.windows + ";" + f.windows + "\\COMMAND",
            "windir=" + f.windows};
  }
  const bool vista = p.AtLeast(6, 0);
  const std::string drive = f.windows.substr(0, 2);
  const std::string allUsers = vista ? "C:\\ProgramData" : "C:\\Documents and Settings\\All Users";
  std::vector<std::pair<std::string, std::string>> vars = {
      {"ALLUSERSPROFILE", allUsers},
      {"APPDATA", f.appData},
      {"CommonProgramFiles", p.Wow64() ? f.commonFilesX86 : f.commonFiles},
      {"COMPUTERNAME", p.computerName},
      {"ComSpec", f.system + "\\cmd.exe"},
      {"HOMEDRIVE", drive},
      {"HOMEPATH", f.userProfile.substr(drive.size())},
      {"NUMBER_OF_PROCESSORS", "2"},
      {"OS", "Windows_NT"},
      {"Path", f.system + ";" + f.windows + ";" + f.system + "\\Wbem"},
      {"PATHEXT", ".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH" + std::string(vista ? ";.MSC" : "")},
      {"PROCESSOR_ARCHITECTURE", p.os64 && !p.Wow64() ? "AMD64" : "x86"},
      {"ProgramFiles", p.Wow64() ? f.programFilesX86 : f.programFiles},
      {"SystemDrive", drive},
      {"SystemRoot", f.windows},
      {"TEMP", temp},
      {"TMP", temp},
      {"USERDOMAIN", p.userDomain},
      {"USERNAME", p.userName},
      {"USERPROFILE", f.userProfile},
      {"windir", f.windows},
  };
  if (vista) {
    vars.push_back({"LOCALAPPDATA", f.localAppData});
    vars.push_back({"ProgramData", "C:\\ProgramData"});
    vars.push_back({"PUBLIC", "C:\\Users\\Public"});
  }
  if (p.os64) {
    vars.push_back({"CommonProgramFiles(x86)", f.commonFilesX86});
    vars.push_back({"ProgramFiles(x86)", f.programFilesX86});
    if (p.Wow64()) vars.push_back({"PROCESSOR_ARCHITEW6432", "AMD64"});
    if (p.AtLeast(6, 1)) {
      vars.push_back({"CommonProgramW6432", f.commonFiles});
      vars.push_back({"ProgramW6432", f.programFiles});
    }
  }
  std::sort(vars.begin(), vars.end(),
            [](const auto& a, const auto& b) { return text::UpperCase(a.first) < text::UpperCase(b.first); });
  std::vector<std::string> block;
  for (const auto& [name, value] : vars) block.push_back(name + "=" + value);
  return block;
}

namespace profiles {

OsProfile Windows98() {
  OsProfile p = Nine("Windows 98", 1998, " ");
  return Equip(p, 64, 800, 600, 16, "4.72.3110.0", {4, 72, 3110, 8}, {4, 10, 1998, 0});
}

OsProfile Windows98Se() {
  OsProfile p = Nine("Windows 98 SE", 2222, " A ");
  return Equip(p, 128, 1024, 768, 16, "5.00.2614.3500", {5, 0, 2614, 3500}, {4, 10, 2222, 0});
}

OsProfile WindowsXpSp3(Bits bits, Account account) {
  if (bits == Bits::k64) {
    OsProfile p = Nt("Windows XP Professional SP2", 5, 2, 3790, "Service Pack 2", 2, bits, account);
    return Equip(p, 2048, 1280, 1024, 32, "6.0.3790.3959", {6, 0, 3790, 3959}, {5, 2, 3790, 3959});
  }
  OsProfile p = Nt("Windows XP SP3", 5, 1, 2600, "Service Pack 3", 3, bits, account);
  return Equip(p, 512, 1024, 768, 32, "6.0.2900.5512", {6, 0, 2900, 5512}, {5, 1, 2600, 5512});
}

OsProfile WindowsVistaSp2(Bits bits, Account account) {
  OsProfile p = Nt("Windows Vista SP2", 6, 0, 6002, "Service Pack 2", 2, bits, account);
  return Equip(p, 2048, 1280, 1024, 32, "7.0.6002.18005", {6, 0, 6002, 18005}, {6, 0, 6002, 18005});
}

OsProfile Windows7Sp1(Bits bits, Account account) {
  OsProfile p = Nt("Windows 7 SP1", 6, 1, 7601, "Service Pack 1", 1, bits, account);
  return Equip(p, 4096, 1920, 1080, 32, "8.0.7601.17514", {6, 1, 7601, 17514}, {6, 1, 7601, 17514});
}

OsProfile WindowsServer2008(Bits bits, Account account) {
  OsProfile p = Nt("Windows Server 2008", 6, 0, 6001, "Service Pack 1", 1, bits, account, true);
  return Equip(p, 4096, 1280, 1024, 32, "7.0.6001.18000", {6, 0, 6001, 18000}, {6, 0, 6001, 18000});
}

OsProfile Windows8(Bits bits, Account account) {
  OsProfile p = Nt("Windows 8", 6, 2, 9200, "", 0, bits, account);
  return Equip(p, 8192, 1920, 1080, 32, "9.10.9200.16384", {6, 2, 9200, 16384}, {6, 2, 9200, 16384});
}

OsProfile Default() { return Windows7Sp1(); }

}  // namespace profiles

}  // namespace qv::platform::sim
