#pragma once
// The folder search of "Delete Files Recursive" and "Find All Files": a path whose last
// name is a file mask, searched folder by folder. For each subfolder in turn the list
// holds the subfolder's contents and then the subfolder itself, then the matching files
// of the folder; the mask applies to files only, subfolders are always visited.
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace qv::system {

// Told about the search as it goes, and asked whether to stop.
class SearchObserver {
 public:
  virtual ~SearchObserver() = default;
  virtual void EnteredFolder(const std::string& folder) {}
  virtual void FoundFile(const std::string& path) {}
  // Asked after each subfolder and each file.
  virtual bool StopRequested() { return false; }
};

struct FileSearch {
  std::string pattern;  // folder and file mask
  bool recurse = false;
  bool listFolders = false;
};

// The full paths the search finds. A junction or symbolic link to a folder is listed
// like a folder but not searched: its target lies elsewhere, or it would loop.
std::vector<std::string> SearchFiles(platform::FileSystem& files, const FileSearch& search,
                                     SearchObserver* observer = nullptr);

}  // namespace qv::system
