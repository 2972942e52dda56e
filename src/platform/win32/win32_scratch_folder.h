#pragma once
// A fresh folder under the system's temporary folder for one test, removed with all its
// contents (read-only files included) when the test ends.
#include <windows.h>

#include <string>

#include "platform/file_system.h"
#include "platform/win32/win32_platform.h"

namespace qv::platform::win32 {

class ScratchFolder {
 public:
  explicit ScratchFolder(Win32Platform& platform) : files_(platform.Files()) {
    path_ = platform.Sys().TempFolder() + "qv_win32_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(next_++);
    files_.DeleteTree(path_, true);
    files_.CreateFolderTree(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() { files_.DeleteTree(path_, true); }

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  static inline int next_ = 0;
  FileSystem& files_;
  std::string path_;
};

}  // namespace qv::platform::win32
