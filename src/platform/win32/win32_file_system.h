#pragma once
// Files and folders through the ANSI file functions of the system. Error numbers are
// the system's own (GetLastError), passed on unchanged.
#include "platform/file_system.h"

namespace qv::platform::win32 {

// The full path of a possibly relative one (GetFullPathNameA); empty when there is none.
std::string FullPathName(const std::string& path);

class Win32FileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  ErrorCode CreateFolder(const std::string& path) override;
  ErrorCode RemoveFolder(const std::string& path) override;
  ErrorCode RemoveFile(const std::string& path) override;
  ErrorCode CopyFileTo(const std::string& from, const std::string& to, bool overwrite) override;
  // Like MoveFile: an existing target is not replaced; across volumes the file is copied.
  ErrorCode MoveFileTo(const std::string& from, const std::string& to) override;
  ErrorCode Attributes(const std::string& path, uint32_t& attributes) override;
  ErrorCode SetAttributes(const std::string& path, uint32_t attributes) override;
  // A folder has no file size: access denied, as when it is opened as a file.
  ErrorCode FileSize(const std::string& path, uint64_t& size) override;
  ErrorCode ListFolder(const std::string& folder, std::vector<DirEntry>& entries) override;
  // Readers let others read but not write while they read.
  std::unique_ptr<FileReader> OpenRead(const std::string& path, ErrorCode& error) override;
  // Writers let others read only.
  std::unique_ptr<FileWriter> OpenWrite(const std::string& path, ErrorCode& error) override;
  ErrorCode AppendToFile(const std::string& path, std::string_view bytes) override;
  std::string FullPath(const std::string& path) override;
  std::string ShortPathName(const std::string& path) override;
  // From a folder search for the path itself (FindFirstFileA). Texts with the search's
  // wildcards, or without a last name (a trailing backslash, a bare drive), are refused.
  bool StoredName(const std::string& path, std::string& name) override;
  // Wow64DisableWow64FsRedirection and Wow64RevertWow64FsRedirection, looked up in
  // kernel32 (XP x64 and later have them).
  bool DisableRedirection(uintptr_t& token) override;
  void RevertRedirection(uintptr_t token) override;
  ErrorCode FindFiles(const std::string& pattern, std::vector<DirEntry>& entries) override;
  // GetDiskFreeSpaceExA; on the first Windows 95, which lacks it, GetDiskFreeSpaceA of
  // the path's drive.
  ErrorCode DiskSpace(const std::string& path, uint64_t& freeToCaller, uint64_t& total) override;
  std::string ProfileString(const std::string& file, const std::string& section, const std::string& key,
                            size_t capacity) override;
};

}  // namespace qv::platform::win32
