#include "system/system_info.h"

#include <cmath>

#include "common/win_path.h"

namespace qv::system {

using platform::RegRoot;
namespace builtin_group = platform::builtin_group;

namespace {

constexpr uint32_t kSecondEditionBuild = 0x040A08AE;  // 4.10.2222 with the version in the high word
constexpr uint8_t kWorkstation = 1;

const std::string kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kShellFoldersKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const std::string kWebServerKey = "SOFTWARE\\Microsoft\\InetStp";
const std::string kVirtualRootsKey = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
const std::string kInternetExplorerKey = "SOFTWARE\\Microsoft\\Internet Explorer";
const std::string kDotNetKey = "SOFTWARE\\Microsoft\\.NETFramework";

std::string WithBackslash(const std::string& folder) {
  return folder.empty() ? folder : winpath::IncludeTrailingBackslash(folder);
}

// A virtual root's value is "path,,flags": the path is what precedes the first comma.
std::string BeforeComma(const std::string& value) { return value.substr(0, value.find(',')); }

}  // namespace

int ServicePackNumber(std::string_view text) {
  for (int n = 10; n >= 1; --n)
    if (text.find(std::to_string(n)) != std::string_view::npos) return n;
  return 0;
}

VersionRecord VersionRecordOf(const platform::OsVersion& v) {
  VersionRecord r;
  r.nt = v.IsNtFamily();
  r.major = int(v.major);
  r.minor = int(v.minor);
  if (!r.nt && r.major == 4 && r.minor == 10 && v.build >= kSecondEditionBuild) r.minor = 11;
  r.servicePack = ServicePackNumber(v.servicePackText);
  return r;
}

bool IsServer(const platform::OsVersion& v) { return v.productType != kWorkstation; }

bool OsAtLeast(const VersionRecord& v, int major, int minor) {
  return v.major > major || (v.major == major && v.minor >= minor);
}

std::string OsLevelName(const VersionRecord& v, bool server) {
  const int version = v.major * 100 + v.minor;
  if (v.nt) {
    switch (version) {
      case 400: return "NT4";
      case 500: return "2000";
      case 501: return "XP";
      case 502: return "2003";
      case 600: return v.servicePack >= 1 && server ? "2008" : "VISTA";
      case 601: return server ? "2008R2" : "SEVEN";
      default: return "UNKNOWN";
    }
  }
  switch (version) {
    case 400: return "95";
    case 410: return "98";
    case 411: return "98SE";
    case 490: return "ME";
    default: return "UNKNOWN";
  }
}

SystemInfo::SystemInfo(platform::Platform& machine, const platform::RegView& view)
    : machine_(machine), sys_(machine.Sys()), withView_(machine.Reg(), view), plain_(machine.Reg(), plainView_) {}

std::string SystemInfo::ReadText(RegistryAccess& access, RegRoot root, const std::string& key,
                                 const std::string& name) {
  std::string text;
  if (access.ReadString(root, key, name, text) || access.ReadExpandString(root, key, name, text)) return text;
  return {};
}

VersionRecord SystemInfo::Version() { return VersionRecordOf(sys_.Version()); }

bool SystemInfo::Server() { return IsServer(sys_.Version()); }

bool SystemInfo::IsMemberOf(uint32_t rid) {
  if (!Version().nt) return rid == builtin_group::kAdministrators;
  return sys_.TokenHasBuiltinGroup(rid);
}

bool SystemInfo::IsElevated() { return sys_.TokenElevated(); }

bool SystemInfo::Is64BitWindows() { return sys_.Is64BitWindows(); }

std::string SystemInfo::UserLevel() {
  static const struct {
    uint32_t rid;
    const char* level;
  } kLevels[] = {{builtin_group::kAdministrators, "ADMIN"},
                 {builtin_group::kPowerUsers, "POWER"},
                 {builtin_group::kUsers, "USER"},
                 {builtin_group::kGuests, "GUEST"}};
  for (const auto& l : kLevels)
    if (IsMemberOf(l.rid)) return l.level;
  return "ERROR";
}

std::string SystemInfo::Folder(int csidl) {
  if (csidl == platform::csidl::kProgramFiles)
    return WithBackslash(ReadText(WithView(), RegRoot::LocalMachine, kCurrentVersionKey, "ProgramFilesDir"));
  if (csidl == platform::csidl::kProgramFilesCommon)
    return WithBackslash(ReadText(WithView(), RegRoot::LocalMachine, kCurrentVersionKey, "CommonFilesDir"));
  return WithBackslash(sys_.ShellFolder(csidl));
}

std::string SystemInfo::WindowsFolder() { return WithBackslash(sys_.WindowsFolder()); }

std::string SystemInfo::SystemFolder(bool win32Target) {
  if (win32Target && Is64BitWindows()) {
    std::string wow64 = sys_.SystemWow64Folder();
    if (!wow64.empty()) return WithBackslash(wow64);
  }
  return WithBackslash(sys_.SystemFolder());
}

std::string SystemInfo::BootFolder() {
  return WithBackslash(ReadText(WithView(), RegRoot::LocalMachine, kCurrentVersionKey + "\\Setup", "BootDir"));
}

std::string SystemInfo::FirstCdRomDrive() {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string root = std::string(1, letter) + ":\\";
    if (sys_.DriveType(root) == platform::drive_type::kCdRom) return root;
  }
  return {};
}

std::string SystemInfo::QuickLaunchFolder() {
  std::string appData = ReadText(Plain(), RegRoot::CurrentUser, kShellFoldersKey, "AppData");
  if (appData.empty()) return {};
  return winpath::IncludeTrailingBackslash(appData) + "Microsoft\\Internet Explorer\\Quick Launch\\";
}

std::string SystemInfo::WebRootFolder() {
  std::string root = ReadText(Plain(), RegRoot::LocalMachine, kWebServerKey, "PathWWWRoot");
  if (!root.empty()) root = sys_.ExpandEnvironment(root);
  if (root.empty()) root = BeforeComma(ReadText(Plain(), RegRoot::LocalMachine, kVirtualRootsKey, "/"));
  if (root.empty()) root = BeforeComma(ReadText(Plain(), RegRoot::LocalMachine, kVirtualRootsKey, "/,"));
  return root;
}

std::string SystemInfo::UserName() { return sys_.CurrentAccount().user; }

std::string SystemInfo::UserDomain() { return Version().nt ? sys_.CurrentAccount().domain : std::string(); }

std::string SystemInfo::ComputerName() { return sys_.ComputerName(); }

std::string SystemInfo::RegisteredOwner() {
  const std::string key = std::string("SOFTWARE\\Microsoft\\") + (Version().nt ? "Windows NT" : "Windows") +
                          "\\CurrentVersion";
  return ReadText(WithView(), RegRoot::LocalMachine, key, "RegisteredOwner");
}

std::string SystemInfo::RegisteredOrganization() {
  const std::string key = std::string("SOFTWARE\\Microsoft\\") + (Version().nt ? "Windows NT" : "Windows") +
                          "\\CurrentVersion";
  return ReadText(WithView(), RegRoot::LocalMachine, key, "RegisteredOrganization");
}

uint16_t SystemInfo::UiLanguage() {
  platform::FileVersionInfo info;
  if (!sys_.ReadFileVersionInfo(WithBackslash(sys_.SystemFolder()) + "winver.exe", info) || !info.hasTranslation)
    return 0;
  return info.language;
}

std::string SystemInfo::LanguageName(uint16_t language) { return sys_.LanguageName(language); }

uint32_t SystemInfo::PhysicalMemory() { return sys_.Memory().totalPhysical; }

int64_t SystemInfo::PhysicalMemoryMiB() {
  platform::MemoryStatus m = sys_.Memory();
  const double bytes = m.haveExtended ? double(m.totalPhysicalExtended) : double(m.totalPhysical);
  // nearbyint rounds in the default mode: to the nearest, ties to even.
  return int64_t(std::nearbyint(bytes / double(1 << 20)));
}

int SystemInfo::ScreenWidth() { return sys_.SystemMetric(platform::system_metric::kScreenWidth); }

int SystemInfo::ScreenHeight() { return sys_.SystemMetric(platform::system_metric::kScreenHeight); }

bool SystemInfo::ScreenAtLeast(int width, int height) {
  const int w = ScreenWidth(), h = ScreenHeight();
  return (w >= width && h >= height) || (h >= width && w >= height);
}

int SystemInfo::BitsPerPixel() { return sys_.DisplayBitsPerPixel(); }

int SystemInfo::ScreenDpi() { return sys_.ScreenDpi(); }

bool SystemInfo::TabletPc() { return sys_.SystemMetric(platform::system_metric::kTabletPc) != 0; }

bool SystemInfo::MediaCenter() { return sys_.SystemMetric(platform::system_metric::kMediaCenter) != 0; }

std::string SystemInfo::ProcessorArchitecture() {
  switch (sys_.NativeProcessorArchitecture()) {
    case -1:  // no GetNativeSystemInfo: a system older than any 64-bit Windows
    case platform::processor_architecture::kIntel: return "X86";
    case platform::processor_architecture::kIa64: return "IA64";
    case platform::processor_architecture::kAmd64: return "AMD64";
    default: return "UNKNOWN";
  }
}

bool SystemInfo::InVmware() { return sys_.VmwareBackdoorAnswers(); }

bool SystemInfo::InVirtualPc() { return sys_.VirtualPcBackdoorAnswers(); }

FourPartVersion SystemInfo::InternetExplorerFileVersion() {
  platform::FileVersionInfo info;
  if (!sys_.ReadFileVersionInfo(WithBackslash(sys_.SystemFolder()) + "shdocvw.dll", info)) return {0, 0, 0, 0};
  return {info.major, info.minor, info.build, info.revision};
}

std::optional<FourPartVersion> SystemInfo::InternetExplorerRegistryVersion(std::string& bad) {
  FourPartVersion version{};
  if (!ParseVersionText(ReadText(Plain(), RegRoot::LocalMachine, kInternetExplorerKey, "Version"), version, bad))
    return std::nullopt;
  return version;
}

bool SystemInfo::WebServerAtLeast(int major, int minor) {
  uint32_t installedMajor = 0, installedMinor = 0;
  if (!Plain().ReadDword(RegRoot::LocalMachine, kWebServerKey, "MajorVersion", installedMajor) ||
      !Plain().ReadDword(RegRoot::LocalMachine, kWebServerKey, "MinorVersion", installedMinor))
    return false;
  return int64_t(installedMajor) * 10 + installedMinor >= int64_t(major) * 10 + minor;
}

std::string DotNetFrameworkFolders::Folder(platform::Registry& registry, const platform::RegView& view, int index) {
  static const struct {
    int index;
    const char* policy;
    const char* folder;
  } kGenerations[] = {{2, "v4.0", "v4.0.30319"}, {1, "v2.0", "v2.0.50727"}, {0, "v1.1", "v1.1.4322"}};
  if (index < 0 || index > 3) return {};
  if (!found_[index].empty()) return found_[index];
  RegistryAccess access(registry, view);
  if (!root_) {
    std::string root;
    if (!access.ReadString(RegRoot::LocalMachine, kDotNetKey, "InstallRoot", root))
      access.ReadExpandString(RegRoot::LocalMachine, kDotNetKey, "InstallRoot", root);
    root_ = WithBackslash(root);
  }
  // Without a framework root a generation's folder would be a relative path.
  if (root_->empty()) return {};
  // Index 3 takes the newest generation installed, the others their own.
  for (const auto& g : kGenerations) {
    if (index != 3 && index != g.index) continue;
    if (access.KeyExists(RegRoot::LocalMachine, kDotNetKey + "\\Policy\\" + g.policy))
      return found_[index] = *root_ + g.folder + "\\";
  }
  return {};
}

}  // namespace qv::system
