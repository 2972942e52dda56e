// "Get System Settings": one of 86 numbered tests or values of the machine.
#include <optional>
#include <string>

#include "system/system_info.h"
#include "system/system_settings_commands.h"

namespace qv::system {
namespace {

namespace builtin_group = platform::builtin_group;

struct OsVersionNeeded {
  int major, minor;
};

// 1-7: at least N MiB, less 2 MiB of slack (the 32 MB test accepts 30 MiB).
constexpr int kMemoryMiB[] = {32, 64, 128, 256, 512, 1024, 2048};
constexpr int kMemorySlackMiB = 2;
// 8-12
constexpr struct {
  int width, height;
} kScreens[] = {{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1920, 1440}};
// 13-16
constexpr int kBitsPerPixel[] = {8, 16, 24, 32};
// 19-26: 95, 98, 98 SE, ME, NT 4, 2000, XP, 2003 or later.
constexpr OsVersionNeeded kOsLevels[] = {{4, 0}, {4, 10}, {4, 11}, {4, 90}, {4, 0}, {5, 0}, {5, 1}, {5, 2}};
// 37-52: Internet Explorer releases by the version of shdocvw.dll, newest first.
constexpr FourPartVersion kInternetExplorerFiles[] = {
    {6, 0, 2800, 1106}, {6, 0, 2600, 0},    {5, 5, 4807, 2300}, {5, 5, 4522, 1800},
    {5, 5, 4134, 100},  {5, 0, 3502, 5400}, {5, 0, 3314, 2100}, {5, 0, 2919, 6307},
    {5, 0, 2014, 213},  {4, 72, 3612, 1707}, {4, 72, 3110, 3},  {4, 72, 2106, 7},
    {4, 71, 1712, 5},   {4, 70, 1300, 0},   {4, 70, 1215, 0},   {4, 70, 1155, 0}};
// 53-58
constexpr OsVersionNeeded kWebServers[] = {{6, 0}, {5, 1}, {5, 0}, {4, 0}, {3, 0}, {2, 0}};

std::string Flag(bool value) { return value ? "TRUE" : "FALSE"; }

template <typename T, size_t N>
bool InRow(int64_t n, int64_t first, const T (&)[N]) {
  return n >= first && n < first + int64_t(N);
}

// The web server's anonymous user account (setting 59) is asked of the web server
// administration on the host IISHOST names. Until the engine carries that administration
// the query answers as it does when the web server cannot be reached: with an empty text.
std::string WebServerAnonymousUser() { return {}; }

// Internet Explorer at least `needed` by the "Version" text of its registry key; a part
// of that text that is not a number fails the command.
std::string InternetExplorerAtLeast(script::CommandContext& c, SystemInfo& info, const FourPartVersion& needed) {
  std::string bad;
  std::optional<FourPartVersion> version = info.InternetExplorerRegistryVersion(bad);
  if (!version) c.Fail("'" + bad + "' is not a valid integer value");
  return Flag(*version >= needed);
}

std::string SystemSetting(script::CommandContext& c, SystemInfo& info, int64_t n) {
  const VersionRecord v = info.Version();
  if (InRow(n, 1, kMemoryMiB))
    return Flag(uint64_t(info.PhysicalMemory()) >= uint64_t(kMemoryMiB[n - 1] - kMemorySlackMiB) << 20);
  if (InRow(n, 8, kScreens)) return Flag(info.ScreenAtLeast(kScreens[n - 8].width, kScreens[n - 8].height));
  if (InRow(n, 13, kBitsPerPixel)) return Flag(info.BitsPerPixel() >= kBitsPerPixel[n - 13]);
  if (InRow(n, 19, kOsLevels)) return Flag(OsAtLeast(v, kOsLevels[n - 19].major, kOsLevels[n - 19].minor));
  if (n >= 27 && n <= 32) return Flag(v.servicePack >= n - 26);
  if (InRow(n, 37, kInternetExplorerFiles))
    return Flag(info.InternetExplorerFileVersion() >= kInternetExplorerFiles[n - 37]);
  if (InRow(n, 53, kWebServers))
    return Flag(info.WebServerAtLeast(kWebServers[n - 53].major, kWebServers[n - 53].minor));
  switch (n) {
    case 0: return Flag(info.IsMemberOf(builtin_group::kAdministrators));
    case 17: return Flag(!v.nt);
    case 18: return Flag(v.nt);
    case 33: return std::to_string(info.UiLanguage());
    case 34: return info.LanguageName(info.UiLanguage());
    case 35: return info.RegisteredOwner();
    case 36: return info.RegisteredOrganization();
    case 59: return WebServerAnonymousUser();
    case 60: return info.UserName();
    case 61: return info.ComputerName();
    case 62: return info.UserDomain();
    case 63: return info.UserLevel();
    case 64: return std::to_string(info.ScreenDpi());
    case 65: return Flag(info.Is64BitWindows());
    case 66: return Flag(info.TabletPc());
    case 67: return Flag(info.MediaCenter());
    case 68: return Flag(info.Server());
    case 69: return Flag(OsAtLeast(v, 6, 0));
    case 70: return Flag(info.InVmware());
    case 71: return Flag(info.InVirtualPc());
    case 72: return InternetExplorerAtLeast(c, info, {7, 0, 5730, 11});
    case 73: return Flag(info.WebServerAtLeast(7, 0));
    case 74: return Flag(!info.InVmware() && !info.InVirtualPc());
    case 75: return info.ProcessorArchitecture();
    case 76: return Flag((v.major > 6 || (v.major == 6 && v.minor > 0) || (v.major == 6 && v.servicePack >= 1)) &&
                         info.Server());
    case 77: return Flag(info.IsElevated());
    case 78: return InternetExplorerAtLeast(c, info, {8, 0, 6001, 18702});
    case 79: return Flag(OsAtLeast(v, 6, 1));
    case 80: return Flag(info.WebServerAtLeast(7, 5));
    // The service-pack number is never negative.
    case 81: return Flag(OsAtLeast(v, 6, 1) && info.Server());
    case 82: return std::to_string(info.ScreenWidth());
    case 83: return std::to_string(info.ScreenHeight());
    case 84: return std::to_string(info.PhysicalMemoryMiB());
    case 85: return InternetExplorerAtLeast(c, info, {9, 0, 8112, 16421});
    default: return {};  // not a setting the authoring tool writes
  }
}

}  // namespace

void GetSystemSettingsCommand(script::CommandContext& c) {
  c.EnsureVariable(c.Param(1));
  std::string value;
  {
    auto scope = CommandScope(c, script::ScopeSteps::kViewThenRedirection);
    const int64_t number = script::IntegerOrFail(c, c.Param(2), "setting number");
    SystemInfo info(c.Machine(), c.Run().registryView);
    value = SystemSetting(c, info, number);
  }
  c.SetResult(c.Param(1), value);
}

}  // namespace qv::system
