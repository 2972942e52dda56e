#include "system/file_queries.h"

#include "common/text.h"
#include "common/win_path.h"
#include "script/system_command_scope.h"
#include "system/file_search.h"

namespace qv::system {
namespace {

script::SystemCommandScope FileScope(script::CommandContext& c) {
  return script::SystemCommandScope(c.Machine(), c.Run().targetPlatform, c.Run().registryView,
                                    script::ScopeSteps::kRedirectionOnly);
}

// 0.0.0.0 for a file without a version resource or that cannot be read.
FourPartVersion FileVersionOf(platform::Platform& machine, const std::string& path) {
  platform::FileVersionInfo info;
  if (!machine.Sys().ReadFileVersionInfo(path, info)) return {0, 0, 0, 0};
  return {info.major, info.minor, info.build, info.revision};
}

void GetFileVersionCommand(script::CommandContext& c) {
  FourPartVersion v;
  {
    auto scope = FileScope(c);
    v = FileVersionOf(c.Machine(), c.Normalized(1));
  }
  c.SetResult(c.Param(2), std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
                              std::to_string(v[3]));
}

void CheckFileVersionCommand(script::CommandContext& c) {
  c.EnsureVariable(c.Param(1));
  FourPartVersion version, reference;
  {
    auto scope = FileScope(c);
    version = FileVersionOf(c.Machine(), c.Normalized(2));
    if (script::IsTrue(c.Param(3))) {
      reference = FileVersionOf(c.Machine(), c.Normalized(4));
    } else {
      std::string bad;
      if (!ParseVersionText(c.Expanded(5), reference, bad)) c.Fail("'" + bad + "' is not a valid integer value");
    }
  }
  // Strictly newer: equal versions are not.
  c.SetResult(c.Param(1), version > reference ? "TRUE" : "FALSE");
}

void DoesFileOrFolderExistCommand(script::CommandContext& c) {
  c.EnsureVariable(c.Param(1));
  bool exists;
  {
    auto scope = FileScope(c);
    uint32_t bits = 0;
    const bool wantFile = script::IsTrue(c.Param(3));
    exists = c.Machine().Files().Attributes(c.Normalized(2), bits) == platform::kSuccess &&
             bool(bits & platform::attr::kDirectory) != wantFile;
  }
  c.SetResult(c.Param(1), exists ? "TRUE" : "FALSE");
}

void CheckDiskSpaceCommand(script::CommandContext& c) {
  uint64_t free = 0, total = 0;
  {
    auto scope = FileScope(c);
    if (c.Machine().Files().DiskSpace(c.Normalized(2), free, total) != platform::kSuccess) free = total = 0;
  }
  c.SetResult(c.Param(1), std::to_string(script::IsTrue(c.Param(3)) ? free : total));
}

// "C:\" or "\\server\share\": the root of a volume.
bool IsVolumeRoot(const std::string& folder) {
  std::vector<std::string> names = winpath::Components(folder);
  if (folder.size() >= 2 && folder[1] == ':') return names.size() <= 1;
  return winpath::IsAbsolute(folder) && names.size() <= 2;
}

void DeleteFilesRecursiveCommand(script::CommandContext& c) {
  const std::string pattern = c.Normalized(1);
  platform::FileSystem& files = c.Machine().Files();
  // A path that depends on the current folder, or a whole volume, is never cleared: an
  // empty or wrong variable in the path must not empty a disk.
  if (!winpath::IsAbsolute(pattern) || IsVolumeRoot(files.FullPath(winpath::ExtractFilePath(pattern)))) return;
  auto scope = FileScope(c);
  const FileSearch search{pattern, true, true};
  std::vector<std::string> found = SearchFiles(files, search);
  for (;;) {
    const size_t count = found.size();
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
      files.SetAttributes(*it, platform::attr::kNormal);
      files.RemoveFile(*it);
    }
    // Folders go once they are empty; a pass may empty the ones above them.
    for (auto it = found.rbegin(); it != found.rend(); ++it) files.RemoveFolder(*it);
    found = SearchFiles(files, search);
    if (found.size() == count) break;
  }
}

}  // namespace

bool ParseVersionText(std::string text, FourPartVersion& version, std::string& bad) {
  for (auto& part : version) {
    int32_t n = 0;
    size_t dot = text.find('.');
    if (dot != std::string::npos) {
      const std::string number = text.substr(0, dot);
      if (!text::ParseInt32(number, n)) {
        bad = number;
        return false;
      }
      text.erase(0, dot + 1);
    } else {
      if (!text::ParseInt32(text, n)) n = 0;
      text.clear();
    }
    part = uint32_t(n);
  }
  return true;
}

void RegisterFileQueries(script::CommandTable& table) {
  table.Add("Get File Version", GetFileVersionCommand);
  table.Add("Check File Version", CheckFileVersionCommand);
  table.Add("Does File/Folder Exist", DoesFileOrFolderExistCommand);
  table.Add("Check Disk Space", CheckDiskSpaceCommand);
  table.Add("Delete Files Recursive", DeleteFilesRecursiveCommand);
}

}  // namespace qv::system
