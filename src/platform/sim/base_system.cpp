#include "platform/sim/base_system.h"

#include <string>
#include <utility>
#include <vector>

#include "common/win_path.h"
#include "platform/sim/version_resource.h"

namespace qv::platform::sim {
namespace {

std::string VersionText(const OsProfile& p) { return std::to_string(p.version.major) + "." + std::to_string(p.version.minor); }

// Writes a string value unless the value is there already.
void Seed(SimRegistry& reg, RegRoot root, const std::string& key, const std::string& name, const std::string& text,
          RegView view) {
  reg.CreateKey(root, key, view);
  RegValue existing;
  if (reg.ReadValue(root, key, name, existing, view) == kSuccess) return;
  reg.WriteValue(root, key, name, RegValue::String(text), view);
}

FileVersionInfo VersionOf(const FourPartVersion& v, uint16_t language) {
  FileVersionInfo info;
  info.major = v[0];
  info.minor = v[1];
  info.build = v[2];
  info.revision = v[3];
  info.hasTranslation = true;
  info.language = language;
  info.codePage = 1200;  // the system's files carry their texts in Unicode
  return info;
}

// The system files whose version resources the engine reads: winver.exe (translated to
// the system's language; 9x keeps it in the Windows folder) and shdocvw.dll, in each
// system folder of the machine.
void SeedSystemFiles(SimFileSystem& files, const OsProfile& p, const KnownFolders& f) {
  std::vector<std::string> systemFolders = {p.NtFamily() ? f.windows + "\\System32" : f.system};
  if (p.os64) systemFolders.push_back(f.systemWow64);
  auto seed = [&](const std::string& path, const FileVersionInfo& version) {
    if (!files.FileExists(path)) files.WriteWholeFile(path, ImageWithVersionResource(version));
  };
  for (const auto& folder : systemFolders) {
    seed((p.NtFamily() ? folder : f.windows) + "\\winver.exe", VersionOf(p.systemFileVersion, p.uiLanguage));
    seed(folder + "\\shdocvw.dll", VersionOf(p.shellDocObjectVersion, 0x0409));
  }
}

}  // namespace

FileSystemRules FileSystemRulesOf(const OsProfile& p) {
  KnownFolders f = KnownFoldersOf(p);
  FileSystemRules r;
  r.wow64 = p.Wow64();
  r.windowsFolder = f.windows;
  r.redirectDriverStore = !p.AtLeast(6, 1);
  r.sysnative = p.AtLeast(6, 0);
  r.privileged = p.Privileged();
  r.protectedFolders = {f.windows, f.programFiles};
  if (!f.programFilesX86.empty()) r.protectedFolders.push_back(f.programFilesX86);
  return r;
}

RegistryRules RegistryRulesOf(const OsProfile& p) {
  RegistryRules r;
  r.os64 = p.os64;
  r.process64 = p.process64;
  r.classesShared = p.AtLeast(6, 1);
  r.userClasses = p.NtFamily() && p.version.major >= 5;
  r.privileged = p.Privileged();
  r.userSid = p.userSid;
  return r;
}

void SeedFolders(SimFileSystem& files, const OsProfile& p) {
  KnownFolders f = KnownFoldersOf(p);
  // The machine's own folders are made as the system made them: with its rights and
  // without WOW64 redirection.
  FileSystemRules rules = files.Rules();
  FileSystemRules privileged = rules;
  privileged.privileged = true;
  files.SetRules(privileged);
  bool redirection = files.SetRedirection(false);
  std::vector<std::string> folders = {f.windows,
                                      // the name on disk; the system reports it in lower case
                                      f.windows + (p.AtLeast(6, 0) ? "\\System32" : "\\system32"),
                                      f.windows + "\\Fonts",
                                      f.programFiles,
                                      f.commonFiles,
                                      f.userProfile,
                                      f.appData,
                                      f.localAppData,
                                      winpath::ExcludeTrailingBackslash(f.temp)};
  if (!p.NtFamily()) folders[1] = f.system;
  if (p.os64) {
    folders.push_back(f.systemWow64);
    folders.push_back(f.programFilesX86);
    folders.push_back(f.commonFilesX86);
  }
  if (p.AtLeast(6, 0)) {
    folders.push_back("C:\\ProgramData");
    folders.push_back("C:\\Users\\Public");
  } else if (p.NtFamily()) {
    folders.push_back("C:\\Documents and Settings\\All Users\\Application Data");
  }
  // The shell folders of the user and of all users.
  for (int id = 0; id <= 0xFF; ++id) {
    std::string folder = ShellFolderOf(p, id);
    if (!folder.empty()) folders.push_back(folder);
  }
  for (const auto& folder : folders) files.CreateFolderTree(folder);
  SeedSystemFiles(files, p, f);
  files.SetRedirection(redirection);
  files.SetRules(rules);
}

void SeedRegistry(SimRegistry& reg, const OsProfile& p) {
  KnownFolders f = KnownFoldersOf(p);
  RegistryRules rules = reg.Rules();
  RegistryRules privileged = rules;
  privileged.privileged = true;
  reg.SetRules(privileged);

  const std::string currentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  const std::string ntVersion =
      p.NtFamily() ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion" : currentVersion;
  // Each view of a 64-bit system has its own copy; the 32-bit one names the x86 folders.
  std::vector<std::pair<RegView, bool>> views = {{RegView::Force64, false}};
  if (p.os64) views.push_back({RegView::Force32, true});
  for (auto [view, x86] : views) {
    auto machine = [&](const std::string& key, const std::string& name, const std::string& value) {
      Seed(reg, RegRoot::LocalMachine, key, name, value, view);
    };
    machine(currentVersion, "ProgramFilesDir", x86 ? f.programFilesX86 : f.programFiles);
    machine(currentVersion, "CommonFilesDir", x86 ? f.commonFilesX86 : f.commonFiles);
    if (p.os64) {
      machine(currentVersion, "ProgramW6432Dir", f.programFiles);
      machine(currentVersion, "CommonW6432Dir", f.commonFiles);
      if (!x86) {
        machine(currentVersion, "ProgramFilesDir (x86)", f.programFilesX86);
        machine(currentVersion, "CommonFilesDir (x86)", f.commonFilesX86);
      }
    }
    machine(currentVersion + "\\Setup", "BootDir", "C:\\");
    machine(ntVersion, "RegisteredOwner", p.userName);
    machine(ntVersion, "RegisteredOrganization", "");
    machine(ntVersion, "ProductName", p.name);
    machine(ntVersion, "CurrentVersion", VersionText(p));
    machine(ntVersion, "CurrentBuildNumber", std::to_string(p.version.build & 0xFFFF));
    if (!p.version.servicePackText.empty() && p.NtFamily())
      machine(ntVersion, "CSDVersion", p.version.servicePackText);
    reg.CreateKey(RegRoot::LocalMachine, currentVersion + "\\Uninstall", view);
    machine("SOFTWARE\\Microsoft\\Internet Explorer", "Version", p.ieVersion);
  }

  const std::string shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  auto user = [&](const std::string& key, const std::string& name, const std::string& value) {
    Seed(reg, RegRoot::CurrentUser, key, name, value, RegView::Default);
  };
  user(shellFolders, "AppData", f.appData);
  user(shellFolders, "Local AppData", f.localAppData);
  user(shellFolders, "Desktop", f.userProfile + "\\Desktop");
  user(shellFolders, "Personal", f.userProfile + (p.AtLeast(6, 0) ? "\\Documents" : "\\My Documents"));
  if (p.NtFamily()) {
    user("Environment", "TEMP", winpath::ExcludeTrailingBackslash(f.temp));
    user("Environment", "TMP", winpath::ExcludeTrailingBackslash(f.temp));
  }
  reg.SetRules(rules);
}

}  // namespace qv::platform::sim
