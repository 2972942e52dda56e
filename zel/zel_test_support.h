#pragma once
// Helpers of the archive tests: host temp folders, whole-file reads and writes, the
// Info-ZIP command, and archives written in memory.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>

#include "zel/zip_writer.h"

namespace zel::test {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zeltest-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    path_ = mkdtemp(buffer.data());
  }
  ~TempFolder() {
    std::error_code ec;
    // Read-only files and folders left by a test must not stop the clean-up.
    for (auto& p : std::filesystem::recursive_directory_iterator(path_, ec))
      std::filesystem::permissions(p.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string RandomBytes(size_t size, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::string s(size, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

inline std::string TextBytes(size_t size) {
  std::string s;
  while (s.size() < size) s += "The quick brown fox jumps over the lazy dog " + std::to_string(s.size()) + "\n";
  s.resize(size);
  return s;
}

// Relative path (forward slashes, folders with a trailing "/") to content of every
// file and folder below `root`.
inline std::map<std::string, std::string> TreeOf(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (auto& p : std::filesystem::recursive_directory_iterator(root)) {
    std::string name = p.path().lexically_relative(root).generic_string();
    if (p.is_directory())
      tree[name + "/"] = "";
    else
      tree[name] = ReadFile(p.path().string());
  }
  return tree;
}

inline bool HaveCommand(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command in `folder`; true when it exits with 0.
inline bool RunIn(const std::string& folder, const std::string& command) {
  return std::system(("cd '" + folder + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// An archive written in memory from (name, bytes) pairs; a name ending in "/" is a folder.
inline std::string MakeZip(std::initializer_list<std::pair<std::string, std::string>> entries,
                           ZipWriterOptions options = {}) {
  std::string bytes;
  ZipWriter writer(MakeMemorySink(bytes), options);
  for (const auto& [name, data] : entries) {
    if (!name.empty() && name.back() == '/')
      writer.AddFolder(name);
    else
      writer.AddBytes(name, data);
  }
  writer.Finish();
  return bytes;
}

}  // namespace zel::test
