#pragma once
// Files and folders as the engine sees them: Windows paths in the system ANSI code page,
// backslashes, drive letters, names compared without regard to letter case.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace qv::platform {

// Windows file attribute bits.
namespace attr {
inline constexpr uint32_t kReadOnly = 0x1;
inline constexpr uint32_t kHidden = 0x2;
inline constexpr uint32_t kSystem = 0x4;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
inline constexpr uint32_t kNormal = 0x80;
inline constexpr uint32_t kTemporary = 0x100;
// A junction or symbolic link: a folder search does not follow it into its target.
inline constexpr uint32_t kReparsePoint = 0x400;
inline constexpr uint32_t kCompressed = 0x800;
inline constexpr uint32_t kInvalid = 0xFFFFFFFF;
}  // namespace attr

struct DirEntry {
  std::string name;        // file name only, as stored
  uint32_t attributes = 0; // attr:: bits; kDirectory for folders
  uint64_t size = 0;
  uint64_t lastWrite = 0;  // FILETIME ticks (100 ns since 1601), 0 when unknown
};

// A file opened for reading; closed when destroyed.
class FileReader {
 public:
  virtual ~FileReader() = default;
  // Reads up to `count` bytes; `got` is 0 at the end of the file.
  virtual ErrorCode Read(void* buffer, size_t count, size_t& got) = 0;
  virtual ErrorCode Seek(uint64_t position) = 0;
  virtual uint64_t Size() = 0;
};

// A file opened for writing; closed when destroyed (Close reports a failing close).
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  virtual ErrorCode Write(const void* data, size_t count) = 0;
  virtual ErrorCode Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Creates one folder whose parent exists; kErrorAlreadyExists when it is there.
  virtual ErrorCode CreateFolder(const std::string& path) = 0;
  // Removes an empty folder.
  virtual ErrorCode RemoveFolder(const std::string& path) = 0;
  virtual ErrorCode RemoveFile(const std::string& path) = 0;
  virtual ErrorCode CopyFileTo(const std::string& from, const std::string& to, bool overwrite) = 0;
  virtual ErrorCode MoveFileTo(const std::string& from, const std::string& to) = 0;
  virtual ErrorCode Attributes(const std::string& path, uint32_t& attributes) = 0;
  virtual ErrorCode SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual ErrorCode FileSize(const std::string& path, uint64_t& size) = 0;
  // The entries of a folder, without "." and "..".
  virtual ErrorCode ListFolder(const std::string& folder, std::vector<DirEntry>& entries) = 0;
  virtual std::unique_ptr<FileReader> OpenRead(const std::string& path, ErrorCode& error) = 0;
  // Creates the file or truncates an existing one.
  virtual std::unique_ptr<FileWriter> OpenWrite(const std::string& path, ErrorCode& error) = 0;
  // Opens (or creates) the file, moves to its end, writes and closes it again.
  virtual ErrorCode AppendToFile(const std::string& path, std::string_view bytes) = 0;
  // The full path of a possibly relative one (GetFullPathName rules).
  virtual std::string FullPath(const std::string& path) = 0;

  // Names as the volume keeps them. A file system without short names or WOW64 gives the
  // answers of these defaults.
  //
  // The short (8.3) form of the path of an existing file or folder (GetShortPathName):
  // each name that is not a valid 8.3 name is replaced by the entry's short name; empty
  // when the system cannot give one (a missing entry included).
  virtual std::string ShortPathName(const std::string& path) { return {}; }
  // The name under which the file system stores the last name of an existing path, as
  // a folder search reports it ("c:\program files" gives "Program Files"). False for a
  // missing entry, a volume root, and a name with wildcards (which would match others).
  virtual bool StoredName(const std::string& path, std::string& name) { return false; }
  // WOW64 file-system redirection of the calling thread. Disable turns it off and gives
  // the token that puts the earlier state back; false (and nothing changes) when the
  // system has no redirection or the process does not run under WOW64.
  virtual bool DisableRedirection(uintptr_t& token) { return false; }
  virtual void RevertRedirection(uintptr_t token) {}

  // Queries of files and volumes. A file system without them gives the answers of these
  // defaults: nothing found, no space, no value.
  //
  // The entries a folder search for `pattern` finds (FindFirstFileA / FindNextFileA), in
  // the order the system gives them, without "." and "..". The last name of the pattern
  // may hold the wildcards "*" and "?", which match long and short (8.3) names; "*.*"
  // matches every name. kErrorFileNotFound when nothing matches.
  virtual ErrorCode FindFiles(const std::string& pattern, std::vector<DirEntry>& entries) {
    entries.clear();
    return kErrorNotSupported;
  }
  // The bytes free to the calling user and the total size of the volume that holds the
  // folder `path` (GetDiskFreeSpaceExA).
  virtual ErrorCode DiskSpace(const std::string& path, uint64_t& freeToCaller, uint64_t& total) {
    freeToCaller = total = 0;
    return kErrorNotSupported;
  }
  // The value of `key` in `section` of an INI file as GetPrivateProfileStringA gives it
  // with an empty default and a buffer of `capacity` bytes: at most capacity - 1 bytes,
  // empty when the file, the section or the key is missing. A file name without a folder
  // names a file in the Windows folder.
  virtual std::string ProfileString(const std::string& file, const std::string& section, const std::string& key,
                                    size_t capacity) {
    return {};
  }

  // Shared steps built on the operations above.
  ErrorCode ReadWholeFile(const std::string& path, std::string& bytes);
  ErrorCode ReadRange(const std::string& path, uint64_t offset, uint64_t count, std::string& bytes);
  ErrorCode WriteWholeFile(const std::string& path, std::string_view bytes);
  // Creates the folder and every missing parent.
  ErrorCode CreateFolderTree(const std::string& path);
  // Deletes the files and subfolders of a folder, then (when asked) the folder itself.
  // Goes on after a failure and returns the first error.
  ErrorCode DeleteTree(const std::string& folder, bool removeFolderItself);
};

}  // namespace qv::platform
