// "Get Folder Location": one of 29 numbered folders of the system or the user.
#include "common/win_path.h"
#include "system/system_info.h"
#include "system/system_settings_commands.h"

namespace qv::system {
namespace {

namespace csidl = platform::csidl;

enum class Source { kShell, kBoot, kCdRom, kSystem, kWindows, kQuickLaunch, kWebRoot };

// A row names the shell folder for the user and the one for all users, or where else
// its folder comes from.
struct FolderRow {
  Source source;
  int user = 0;
  int allUsers = 0;
};

constexpr FolderRow Shell(int user, int allUsers) { return {Source::kShell, user, allUsers}; }
constexpr FolderRow Shell(int both) { return {Source::kShell, both, both}; }

constexpr FolderRow kFolders[] = {
    Shell(csidl::kInternetCache),                              // 0
    Shell(csidl::kCookies),                                    // 1
    Shell(csidl::kPersonal, csidl::kCommonDocuments),          // 2
    Shell(csidl::kFavorites, csidl::kCommonFavorites),         // 3
    Shell(csidl::kMyMusic, csidl::kCommonMusic),               // 4
    Shell(csidl::kMyPictures, csidl::kCommonPictures),         // 5
    Shell(csidl::kMyVideo, csidl::kCommonVideo),               // 6
    Shell(csidl::kNetHood),                                    // 7
    Shell(csidl::kPrintHood),                                  // 8
    {Source::kBoot},                                           // 9
    {Source::kCdRom},                                          // 10
    Shell(csidl::kAdminTools, csidl::kCommonAdminTools),       // 11
    Shell(csidl::kStartMenu, csidl::kCommonStartMenu),         // 12
    Shell(csidl::kStartup, csidl::kCommonStartup),             // 13
    Shell(csidl::kPrograms, csidl::kCommonPrograms),           // 14
    Shell(csidl::kAppData, csidl::kCommonAppData),             // 15
    Shell(csidl::kCdBurnArea),                                 // 16
    Shell(csidl::kDesktop, csidl::kCommonDesktopDirectory),    // 17
    Shell(csidl::kFonts),                                      // 18
    Shell(csidl::kProfile, csidl::kProfiles),                  // 19
    // Program Files and Common Files, both from the registry in the command's view.
    Shell(csidl::kProgramFiles, csidl::kProgramFilesCommon),   // 20
    Shell(csidl::kRecent),                                     // 21
    Shell(csidl::kSendTo),                                     // 22
    {Source::kSystem},                                         // 23
    Shell(csidl::kTemplates),                                  // 24
    {Source::kWindows},                                        // 25
    {Source::kQuickLaunch},                                    // 26
    {Source::kWebRoot},                                        // 27
    Shell(csidl::kLocalAppData),                               // 28
};

std::string FolderLocation(SystemInfo& info, bool win32Target, int64_t number, bool allUsers) {
  if (number < 0 || number >= int64_t(std::size(kFolders))) return {};  // not a folder the authoring tool writes
  const FolderRow& row = kFolders[number];
  switch (row.source) {
    case Source::kShell: return info.Folder(allUsers ? row.allUsers : row.user);
    case Source::kBoot: return info.BootFolder();
    case Source::kCdRom: return info.FirstCdRomDrive();
    case Source::kSystem: return info.SystemFolder(win32Target);
    case Source::kWindows: return info.WindowsFolder();
    case Source::kQuickLaunch: return info.QuickLaunchFolder();
    case Source::kWebRoot: return info.WebRootFolder();
  }
  return {};
}

}  // namespace

void GetFolderLocationCommand(script::CommandContext& c) {
  c.EnsureVariable(c.Param(1));
  std::string folder;
  {
    auto scope = CommandScope(c, script::ScopeSteps::kRedirectionThenView);
    const bool allUsers = script::IsTrue(c.Param(3));
    const int64_t number = script::IntegerOrFail(c, c.Param(2), "folder number");
    SystemInfo info(c.Machine(), c.Run().registryView);
    folder = FolderLocation(info, c.Run().targetPlatform == "Win32", number, allUsers);
  }
  c.SetResult(c.Param(1), folder.empty() ? folder : winpath::IncludeTrailingBackslash(folder));
}

}  // namespace qv::system
