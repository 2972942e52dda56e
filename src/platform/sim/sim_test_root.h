#pragma once
// A fresh host folder for one test's simulated machine, removed afterwards.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace qv::platform::sim::testing {

class TempRoot {
 public:
  TempRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-sim-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data())) path_ = made;
  }
  ~TempRoot() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  const std::string& Path() const { return path_; }
  // A file written straight on the host, below the root ("C/Data/x.bin").
  void PutHostFile(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path p = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  bool HostExists(const std::string& relative) const { return std::filesystem::exists(std::filesystem::path(path_) / relative); }

 private:
  std::string path_;
};

}  // namespace qv::platform::sim::testing
