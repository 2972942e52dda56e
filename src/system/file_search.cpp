#include "system/file_search.h"

#include "common/win_path.h"

namespace qv::system {
namespace {

bool IsFolder(const platform::DirEntry& entry) { return entry.attributes & platform::attr::kDirectory; }

class Search {
 public:
  Search(platform::FileSystem& files, const FileSearch& search, SearchObserver* observer)
      : files_(files), search_(search), observer_(observer ? *observer : none_) {}

  // False when the observer asked to stop.
  bool Folder(const std::string& folder, const std::string& mask) {
    observer_.EnteredFolder(folder);
    std::vector<platform::DirEntry> entries;
    files_.FindFiles(folder + "*.*", entries);
    for (const auto& entry : entries) {
      if (!IsFolder(entry)) continue;
      const std::string path = folder + entry.name;
      if (search_.recurse && !(entry.attributes & platform::attr::kReparsePoint) && !Folder(path + "\\", mask))
        return false;
      if (search_.listFolders) found_.push_back(path);
      if (observer_.StopRequested()) return false;
    }
    files_.FindFiles(folder + mask, entries);
    for (const auto& entry : entries) {
      if (IsFolder(entry)) continue;
      found_.push_back(folder + entry.name);
      observer_.FoundFile(found_.back());
      if (observer_.StopRequested()) return false;
    }
    return true;
  }

  std::vector<std::string> Take() { return std::move(found_); }

 private:
  SearchObserver none_;
  platform::FileSystem& files_;
  const FileSearch& search_;
  SearchObserver& observer_;
  std::vector<std::string> found_;
};

}  // namespace

std::vector<std::string> SearchFiles(platform::FileSystem& files, const FileSearch& search, SearchObserver* observer) {
  Search s(files, search, observer);
  s.Folder(winpath::IncludeTrailingBackslash(winpath::ExtractFilePath(search.pattern)),
           winpath::ExtractFileName(search.pattern));
  return s.Take();
}

}  // namespace qv::system
