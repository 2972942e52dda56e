#pragma once
// A Windows file system kept in a host folder. Drive C:\ is <root>/C/, a share
// \\server\share\ is <root>/UNC/server/share/. Names are matched against the host
// entries without regard to letter case (the code-page rules of common/text.h); a new
// entry keeps the spelling it was given. Host names are the UTF-8 form of the ANSI
// names. The Windows attribute bits and the drive table live in <root>/filesystem.txt,
// so a later instance on the same root sees them again.
//
// The rules of the real calls are enforced: error numbers, read-only files, share modes
// of open files, MAX_PATH, WOW64 redirection of the system folder, folders that only an
// elevated administrator may change, read-only and ejected media, and the faults of a
// FaultPlan.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/sim/fault_plan.h"
#include "platform/sim/file_records.h"

namespace qv::platform::sim {

// How the machine around the file system behaves; derived from the OS profile.
struct FileSystemRules {
  // A 32-bit process on 64-bit Windows: <windows>\System32 shows <windows>\SysWOW64.
  bool wow64 = false;
  std::string windowsFolder = "C:\\Windows";
  // Windows 7 and later leave System32\DriverStore alone; earlier systems redirect it.
  bool redirectDriverStore = false;
  // Vista and later give 32-bit processes <windows>\Sysnative for the real System32.
  bool sysnative = true;
  // An elevated administrator (or any user on 9x): may change the protected folders.
  bool privileged = true;
  std::vector<std::string> protectedFolders;  // full paths
};

class SimFileSystem : public FileSystem {
 public:
  // `hostRoot` is created when missing, and so is drive C:. `faults` may be null.
  SimFileSystem(const std::string& hostRoot, FaultPlan* faults);
  ~SimFileSystem() override;
  SimFileSystem(const SimFileSystem&) = delete;
  SimFileSystem& operator=(const SimFileSystem&) = delete;

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  ErrorCode CreateFolder(const std::string& path) override;
  ErrorCode RemoveFolder(const std::string& path) override;
  ErrorCode RemoveFile(const std::string& path) override;
  ErrorCode CopyFileTo(const std::string& from, const std::string& to, bool overwrite) override;
  ErrorCode MoveFileTo(const std::string& from, const std::string& to) override;
  ErrorCode Attributes(const std::string& path, uint32_t& attributes) override;
  ErrorCode SetAttributes(const std::string& path, uint32_t attributes) override;
  ErrorCode FileSize(const std::string& path, uint64_t& size) override;
  ErrorCode ListFolder(const std::string& folder, std::vector<DirEntry>& entries) override;
  std::unique_ptr<FileReader> OpenRead(const std::string& path, ErrorCode& error) override;
  std::unique_ptr<FileWriter> OpenWrite(const std::string& path, ErrorCode& error) override;
  ErrorCode AppendToFile(const std::string& path, std::string_view bytes) override;
  std::string FullPath(const std::string& path) override;
  // Always of the full path, also for a relative one (the system keeps a relative path
  // relative). A name that is already a short name stays as it was given; any
  // other is replaced by its entry's short name, which the folder's entries get in the
  // order of their upper-cased names (MakeShortName numbers each stem from 1). Unlike
  // NTFS, which keeps the name an entry got when it was made, a new entry may therefore
  // move the numbers of the entries after it that share its stem.
  std::string ShortPathName(const std::string& path) override;
  bool StoredName(const std::string& path, std::string& name) override;
  // The calling thread's switch below; the token is the earlier state as the system
  // gives it (0: redirection was on).
  bool DisableRedirection(uintptr_t& token) override;
  void RevertRedirection(uintptr_t token) override;
  // Folder entries that are host symbolic links are reparse points (junctions).
  ErrorCode FindFiles(const std::string& pattern, std::vector<DirEntry>& entries) override;
  // A volume's total is its capacity (SetCapacity), its free space what its files leave
  // of it; a CD holds its files and has no space free.
  ErrorCode DiskSpace(const std::string& path, uint64_t& freeToCaller, uint64_t& total) override;
  // The rules of FindProfileValue; no mapping of win.ini and system.ini to the registry.
  std::string ProfileString(const std::string& file, const std::string& section, const std::string& key,
                            size_t capacity) override;

  // The machine.
  void SetRules(FileSystemRules rules);
  FileSystemRules Rules() const;
  // Adds a drive (its host folder is created); an existing one only changes its type.
  ErrorCode AddDrive(char letter, DriveType type = DriveType::Fixed);
  DriveType DriveTypeOf(char letter) const;
  // Takes the medium out of a removable or CD drive (calls then fail with
  // kErrorNotReady) or puts it back.
  void SetMediumPresent(char letter, bool present);
  // The size of the volume that holds `path` (a drive or a share); 100 GiB unless set.
  // Not kept in filesystem.txt.
  static constexpr uint64_t kDefaultCapacity = uint64_t(100) << 30;
  ErrorCode SetCapacity(const std::string& path, uint64_t bytes);
  // The current folder of the process, against which relative paths resolve.
  ErrorCode SetCurrentFolder(const std::string& path);
  std::string CurrentFolder() const;

  // WOW64 file-system redirection of the calling thread, as the system keeps it per
  // thread (Wow64DisableWow64FsRedirection / Wow64RevertWow64FsRedirection). Returns
  // the previous state, so a scope can put it back.
  bool SetRedirection(bool enabled);
  bool RedirectionEnabled() const;

  // NTFS compression of a file or folder (what FSCTL_SET_COMPRESSION does); new entries
  // in a compressed folder are compressed too.
  ErrorCode SetCompression(const std::string& path, bool compressed);

  // The host path a Windows path resolves to for the calling thread; empty when it has
  // no volume or an invalid name. For tests and the sandbox runner.
  std::string HostPath(const std::string& path);
  const std::string& HostRoot() const;

  // Reads like the loader maps an image: no fault rules, no share modes. For the
  // platform's own use (image headers).
  ErrorCode ReadUnchecked(const std::string& path, uint64_t offset, uint64_t count, std::string& bytes);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace qv::platform::sim
