#include "platform/sim/sim_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "common/codepage1252.h"
#include "common/text.h"
#include "common/win_path.h"
#include "platform/sim/find_mask.h"
#include "platform/sim/host_files.h"
#include "platform/sim/profile_file.h"
#include "platform/sim/sim_path.h"

namespace qv::platform::sim {
namespace {

// Access and share bits of an open handle, as CreateFile takes them.
constexpr uint32_t kRead = 1;
constexpr uint32_t kWrite = 2;
constexpr uint32_t kDelete = 4;

// What SetFileAttributes may change (offline and not-content-indexed included).
constexpr uint32_t kSettableBits =
    attr::kReadOnly | attr::kHidden | attr::kSystem | attr::kArchive | attr::kTemporary | 0x1000 | 0x2000;

constexpr size_t kCopyChunk = 64 * 1024;

struct OpenEntry {
  uint64_t id;
  uint32_t access;
  uint32_t share;
};

// An entry as a path names it, found on the host.
struct Node {
  ErrorCode error = kSuccess;  // the path itself is unusable (name, length, volume)
  std::string requested;       // full path as asked
  std::string full;            // after WOW64 redirection
  std::string given;           // the last name as given
  char drive = 0;              // 0 on a share
  std::string volumeKey;       // "C" or "UNC/server/share"
  std::string host;            // host path; missing names keep the given spelling
  std::string key;             // host path relative to the root
  std::string parentHost;
  std::string parentKey;
  bool isRoot = false;
  bool parentExists = false;
  bool exists = false;
  bool isDir = false;

  ErrorCode Missing() const { return parentExists ? kErrorFileNotFound : kErrorPathNotFound; }
};

bool IsBelow(const std::string& key, const std::string& folder) {
  return key.size() > folder.size() && key.compare(0, folder.size(), folder) == 0 && key[folder.size()] == '/';
}

}  // namespace

struct SimFileSystem::State {
  std::string root;
  FaultPlan* faults = nullptr;
  mutable std::mutex mutex;
  FileSystemRules rules;
  std::unique_ptr<FileRecords> records;
  std::string current = "C:\\";
  std::map<std::thread::id, bool> redirectionOff;
  std::map<char, bool> mediumAbsent;
  std::map<std::string, uint64_t> capacities;  // by volume key
  std::map<std::string, std::vector<OpenEntry>> opens;
  uint64_t nextOpen = 1;

  // --- paths ---

  bool RedirectionOn() const {
    auto it = redirectionOff.find(std::this_thread::get_id());
    return it == redirectionOff.end() || !it->second;
  }

  std::string Redirect(const std::string& full) const {
    if (!rules.wow64 || !RedirectionOn()) return full;
    std::string windows = winpath::ExcludeTrailingBackslash(rules.windowsFolder);
    std::string system32 = windows + "\\System32";
    if (IsWithin(full, system32)) {
      // These folders hold data both kinds of process share.
      static const char* const kShared[] = {"catroot", "catroot2", "drivers\\etc", "logfiles", "spool"};
      for (const char* shared : kShared)
        if (IsWithin(full, system32 + "\\" + shared)) return full;
      if (!rules.redirectDriverStore && IsWithin(full, system32 + "\\DriverStore")) return full;
      return windows + "\\SysWOW64" + full.substr(system32.size());
    }
    std::string sysnative = windows + "\\Sysnative";
    if (rules.sysnative && IsWithin(full, sysnative)) return system32 + full.substr(sysnative.size());
    return full;
  }

  Node Resolve(const std::string& path, size_t maxLength = kMaxPath) const {
    Node n;
    n.requested = FullPathOf(path, current);
    if (n.requested.empty()) {
      n.error = kErrorPathNotFound;
      return n;
    }
    if (n.requested.size() > maxLength) {
      n.error = kErrorFilenameExcedRange;
      return n;
    }
    n.full = Redirect(n.requested);
    SplitPath split;
    if (!Split(n.full, split)) {
      n.error = n.full.rfind("\\\\", 0) == 0 ? kErrorBadNetPath : kErrorPathNotFound;
      return n;
    }
    for (const auto& name : split.names) {
      if ((n.error = CheckName(name)) != kSuccess) return n;
    }
    if (!ResolveVolume(split, n)) return n;
    n.host = root + "/" + n.volumeKey;
    n.key = n.volumeKey;
    n.parentExists = true;
    n.isRoot = split.names.empty();
    if (n.isRoot) {
      n.exists = n.isDir = true;
      return n;
    }
    for (size_t i = 0; i < split.names.size(); ++i) {
      const std::string& name = split.names[i];
      n.parentKey = n.key;
      n.parentHost = n.host;
      std::string entry = n.parentExists ? host::FindEntry(n.host, name) : std::string();
      if (entry.empty()) entry = cp1252::ToUtf8(name);
      n.key += "/" + entry;
      n.host += "/" + entry;
      if (!n.parentExists) continue;
      host::Stat st = host::StatOf(n.host);
      if (i + 1 == split.names.size()) {
        n.exists = st.exists;
        n.isDir = st.isDir;
      } else if (!st.isDir) {
        n.parentExists = false;
      }
    }
    n.given = split.names.back();
    return n;
  }

  bool ResolveVolume(const SplitPath& split, Node& n) const {
    if (split.IsUnc()) {
      std::vector<std::string> parts = winpath::Components(split.volume);
      std::string unc = host::FindEntry(root, "UNC");
      std::string server, share;
      if (parts.size() == 2 && CheckName(parts[0]) == kSuccess && CheckName(parts[1]) == kSuccess && !unc.empty()) {
        server = host::FindEntry(root + "/" + unc, parts[0]);
        if (!server.empty()) share = host::FindEntry(root + "/" + unc + "/" + server, parts[1]);
      }
      n.volumeKey = unc + "/" + server + "/" + share;
      if (share.empty() || !host::StatOf(root + "/" + n.volumeKey).isDir) {
        n.error = kErrorBadNetPath;
        return false;
      }
      return true;
    }
    n.drive = char(text::UpperChar(static_cast<unsigned char>(split.volume[0])));
    n.volumeKey = host::FindEntry(root, std::string(1, n.drive));
    if (n.volumeKey.empty() || !host::StatOf(root + "/" + n.volumeKey).isDir) {
      n.error = kErrorPathNotFound;
      return false;
    }
    auto absent = mediumAbsent.find(n.drive);
    if (absent != mediumAbsent.end() && absent->second) {
      n.error = kErrorNotReady;
      return false;
    }
    return true;
  }

  // --- names ---

  // The short names of a folder's entries by their host names: each entry that has no
  // valid 8.3 name gets one, in the order of the upper-cased names.
  std::map<std::string, std::string> ShortNames(const std::string& folderHost) const {
    std::vector<std::pair<std::string, std::string>> names;  // ANSI name, host name
    for (const auto& entry : host::EntryNames(folderHost)) names.emplace_back(cp1252::FromUtf8(entry), entry);
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
      std::string ua = text::UpperCase(a.first), ub = text::UpperCase(b.first);
      return ua != ub ? ua < ub : a.first < b.first;
    });
    std::set<std::string> taken;
    for (const auto& name : names)
      if (IsShortName(name.first)) taken.insert(text::UpperCase(name.first));
    auto isTaken = [&taken](const std::string& candidate) { return taken.count(candidate) != 0; };
    std::map<std::string, std::string> shortNames;
    for (const auto& [name, hostName] : names) {
      if (IsShortName(name)) {
        shortNames[hostName] = name;
        continue;
      }
      std::string made;
      for (int number = 1; made.empty() || isTaken(made); ++number) made = MakeShortName(name, number);
      taken.insert(made);
      shortNames[hostName] = made;
    }
    return shortNames;
  }

  // The short name of an existing entry among the entries of its folder.
  std::string ShortNameOf(const Node& n) const {
    std::string own = n.key.substr(n.key.rfind('/') + 1);
    if (IsShortName(cp1252::FromUtf8(own))) return cp1252::FromUtf8(own);
    std::map<std::string, std::string> names = ShortNames(n.parentHost);
    auto it = names.find(own);
    return it == names.end() ? cp1252::FromUtf8(own) : it->second;
  }

  // The entries of an existing folder as a folder search reports them, in the order NTFS
  // keeps them (their upper-cased names). A host symbolic link is a reparse point.
  std::vector<DirEntry> EntriesOf(const Node& n) const {
    std::vector<DirEntry> entries;
    for (const auto& name : host::EntryNames(n.host)) {
      const std::string hostPath = n.host + "/" + name;
      host::Stat st = host::StatOf(hostPath);
      if (!st.exists) continue;
      Node child;
      child.key = n.key + "/" + name;
      child.exists = true;
      child.isDir = st.isDir;
      DirEntry e;
      e.name = cp1252::FromUtf8(name);
      e.attributes = Reported(child);
      std::error_code ignored;
      if (std::filesystem::is_symlink(hostPath, ignored))
        e.attributes = (e.attributes & ~attr::kNormal) | attr::kReparsePoint;
      e.size = st.isDir ? 0 : st.size;
      e.lastWrite = st.lastWrite;
      entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
      std::string ua = text::UpperCase(a.name), ub = text::UpperCase(b.name);
      return ua != ub ? ua < ub : a.name < b.name;
    });
    return entries;
  }

  // --- rules ---

  static void AddProbes(std::vector<FaultProbe>& probes, FaultOp op, const Node& n) {
    probes.push_back({op, n.requested});
    if (n.full != n.requested) probes.push_back({op, n.full});
  }

  ErrorCode Fault(FaultOp op, const Node& n) const { return Faults({{op, &n}}); }

  // One check of the fault plan for an operation that touches several entries.
  ErrorCode Faults(std::initializer_list<std::pair<FaultOp, const Node*>> touched) const {
    if (!faults) return kSuccess;
    std::vector<FaultProbe> probes;
    for (const auto& [op, n] : touched) AddProbes(probes, op, *n);
    return faults->Check(probes);
  }

  static std::vector<std::string> Subjects(const Node& n) {
    std::vector<std::string> s{n.requested};
    if (n.full != n.requested) s.push_back(n.full);
    return s;
  }

  // Changes refused by the medium or by the user's rights.
  ErrorCode ChangeDenied(const Node& n) const {
    if (n.drive && records->Drive(n.drive) == DriveType::CdRom) return kErrorAccessDenied;
    if (!rules.privileged) {
      for (const auto& folder : rules.protectedFolders)
        if (IsWithin(n.full, folder)) return kErrorAccessDenied;
    }
    return kSuccess;
  }

  uint32_t Bits(const Node& n) const { return records->Bits(n.key, n.isDir); }

  uint32_t Reported(const Node& n) const {
    if (n.isRoot) return attr::kDirectory | attr::kHidden | attr::kSystem;
    uint32_t bits = Bits(n);
    if (n.isDir) return bits | attr::kDirectory;
    return bits ? bits : attr::kNormal;
  }

  // A new entry is compressed when its folder is.
  uint32_t NewEntryBits(const Node& n, bool isDir) const {
    uint32_t bits = isDir ? 0 : attr::kArchive;
    if (records->Bits(n.parentKey, true) & attr::kCompressed) bits |= attr::kCompressed;
    return bits;
  }

  bool Conflicts(const std::string& key, uint32_t access, uint32_t share) const {
    auto it = opens.find(key);
    if (it == opens.end()) return false;
    for (const auto& o : it->second)
      if ((access & ~o.share) || (o.access & ~share)) return true;
    return false;
  }

  bool AnyOpenWithin(const std::string& key) const {
    for (const auto& [k, list] : opens)
      if (!list.empty() && (k == key || IsBelow(k, key))) return true;
    return false;
  }

  bool CurrentFolderWithin(const Node& folder) const {
    Node cur = Resolve(current);
    return cur.error == kSuccess && (cur.key == folder.key || IsBelow(cur.key, folder.key));
  }

  uint64_t AddOpen(const std::string& key, uint32_t access, uint32_t share) {
    uint64_t id = nextOpen++;
    opens[key].push_back({id, access, share});
    return id;
  }

  void Release(const std::string& key, uint64_t id) {
    std::lock_guard lock(mutex);
    auto it = opens.find(key);
    if (it == opens.end()) return;
    std::erase_if(it->second, [id](const OpenEntry& o) { return o.id == id; });
    if (it->second.empty()) opens.erase(it);
  }

  // The checks CreateFile makes before it opens a file for writing (CREATE_ALWAYS, or
  // OPEN_ALWAYS to append), then the open itself. Registers no handle.
  ErrorCode OpenForWrite(const Node& n, bool append, int& fd) {
    fd = -1;
    if (n.error) return n.error;
    if (ErrorCode e = Fault(FaultOp::OpenWrite, n)) return e;
    if (!n.parentExists) return kErrorPathNotFound;
    if (n.isDir) return kErrorAccessDenied;
    if (ErrorCode e = ChangeDenied(n)) return e;
    uint32_t bits = n.exists ? Bits(n) : 0;
    if (bits & attr::kReadOnly) return kErrorAccessDenied;
    // CREATE_ALWAYS with normal attributes refuses to replace a hidden or system file.
    if (!append && (bits & (attr::kHidden | attr::kSystem))) return kErrorAccessDenied;
    if (Conflicts(n.key, append ? kRead | kWrite : kWrite, kRead)) return kErrorSharingViolation;
    fd = ::open(n.host.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0644);
    if (fd < 0) return host::FromErrno(errno);
    // A changed file is marked for backup.
    records->SetBits(n.key, false, n.exists ? bits | attr::kArchive : NewEntryBits(n, false));
    return kSuccess;
  }

  // The data, time and attributes of one file to another (both checked by the caller).
  // A failed copy leaves no target behind, as CopyFile does.
  ErrorCode CopyData(const Node& from, const Node& to) {
    int in = ::open(from.host.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return host::FromErrno(errno);
    int out = ::open(to.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
      ::close(in);
      return host::FromErrno(errno);
    }
    std::vector<std::string> subjects = Subjects(to);
    std::vector<char> buffer(kCopyChunk);
    ErrorCode error = kSuccess;
    for (;;) {
      ssize_t got = ::read(in, buffer.data(), buffer.size());
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        error = kErrorReadFault;
        break;
      }
      if (got == 0) break;
      size_t allowed = size_t(got);
      ErrorCode fault = faults ? faults->CheckWrite(subjects, size_t(got), allowed) : kSuccess;
      error = host::WriteAll(out, buffer.data(), allowed);
      if (error == kSuccess) error = fault;
      if (error != kSuccess) break;
    }
    ::close(in);
    if (::close(out) != 0 && error == kSuccess) error = kErrorWriteFault;
    if (error != kSuccess) {
      ::unlink(to.host.c_str());
      records->Erase(to.key);
      return error;
    }
    host::SetLastWrite(to.host, host::StatOf(from.host).lastWrite);
    uint32_t bits = (Bits(from) & ~attr::kCompressed) | (NewEntryBits(to, false) & attr::kCompressed);
    records->SetBits(to.key, false, bits);
    return kSuccess;
  }
};

// --- handles ---

namespace {

class SimFileReader final : public FileReader {
 public:
  SimFileReader(std::shared_ptr<SimFileSystem::State> state, int fd, std::string key, uint64_t id,
                std::vector<std::string> subjects)
      : state_(std::move(state)), fd_(fd), key_(std::move(key)), id_(id), subjects_(std::move(subjects)) {}
  ~SimFileReader() override {
    ::close(fd_);
    state_->Release(key_, id_);
  }

  ErrorCode Read(void* buffer, size_t count, size_t& got) override {
    got = 0;
    if (state_->faults) {
      std::vector<FaultProbe> probes;
      for (const auto& s : subjects_) probes.push_back({FaultOp::Read, s});
      if (ErrorCode e = state_->faults->Check(probes)) return e;
    }
    for (;;) {
      ssize_t n = ::read(fd_, buffer, count);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return kErrorReadFault;
      got = size_t(n);
      return kSuccess;
    }
  }

  ErrorCode Seek(uint64_t position) override {
    if (position > uint64_t(INT64_MAX)) return kErrorInvalidParameter;
    return ::lseek(fd_, off_t(position), SEEK_SET) < 0 ? kErrorInvalidParameter : kSuccess;
  }

  uint64_t Size() override {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? uint64_t(st.st_size) : 0;
  }

 private:
  std::shared_ptr<SimFileSystem::State> state_;
  int fd_;
  std::string key_;
  uint64_t id_;
  std::vector<std::string> subjects_;
};

class SimFileWriter final : public FileWriter {
 public:
  SimFileWriter(std::shared_ptr<SimFileSystem::State> state, int fd, std::string key, uint64_t id,
                std::vector<std::string> subjects)
      : state_(std::move(state)), fd_(fd), key_(std::move(key)), id_(id), subjects_(std::move(subjects)) {}
  ~SimFileWriter() override { Close(); }

  ErrorCode Write(const void* data, size_t count) override {
    if (fd_ < 0) return kErrorInvalidHandle;
    size_t allowed = count;
    ErrorCode fault = state_->faults ? state_->faults->CheckWrite(subjects_, count, allowed) : kSuccess;
    ErrorCode e = host::WriteAll(fd_, static_cast<const char*>(data), allowed);
    return e != kSuccess ? e : fault;
  }

  ErrorCode Close() override {
    if (fd_ < 0) return kSuccess;
    int r = ::close(fd_);
    fd_ = -1;
    state_->Release(key_, id_);
    return r == 0 ? kSuccess : kErrorWriteFault;
  }

 private:
  std::shared_ptr<SimFileSystem::State> state_;
  int fd_;
  std::string key_;
  uint64_t id_;
  std::vector<std::string> subjects_;
};

}  // namespace

// --- the file system ---

SimFileSystem::SimFileSystem(const std::string& hostRoot, FaultPlan* faults) : state_(std::make_shared<State>()) {
  std::string root = hostRoot;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  std::error_code ignored;
  std::filesystem::create_directories(root, ignored);
  state_->root = root;
  state_->faults = faults;
  state_->records = std::make_unique<FileRecords>(root + "/filesystem.txt", root);
  AddDrive('C');
}

SimFileSystem::~SimFileSystem() = default;

bool SimFileSystem::FileExists(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  return !n.error && !state_->Fault(FaultOp::Query, n) && n.exists && !n.isDir;
}

bool SimFileSystem::FolderExists(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  return !n.error && !state_->Fault(FaultOp::Query, n) && n.exists && n.isDir;
}

ErrorCode SimFileSystem::CreateFolder(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path, kMaxFolderPath);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::CreateFolder, n)) return e;
  if (n.isRoot) return kErrorAccessDenied;
  if (!n.parentExists) return kErrorPathNotFound;
  if (n.exists) return kErrorAlreadyExists;
  if (ErrorCode e = state_->ChangeDenied(n)) return e;
  if (::mkdir(n.host.c_str(), 0755) != 0) return host::FromErrno(errno);
  state_->records->SetBits(n.key, true, state_->NewEntryBits(n, true));
  return kSuccess;
}

ErrorCode SimFileSystem::RemoveFolder(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::RemoveFolder, n)) return e;
  if (n.isRoot) return kErrorAccessDenied;
  if (!n.exists) return n.Missing();
  if (!n.isDir) return kErrorDirectory;
  if (ErrorCode e = state_->ChangeDenied(n)) return e;
  if (state_->Bits(n) & attr::kReadOnly) return kErrorAccessDenied;
  // A junction goes as the link it is, whatever its target holds.
  std::error_code ignored;
  if (std::filesystem::is_symlink(n.host, ignored)) {
    if (::unlink(n.host.c_str()) != 0) return host::FromErrno(errno);
    state_->records->Erase(n.key);
    return kSuccess;
  }
  if (!host::EntryNames(n.host).empty()) return kErrorDirNotEmpty;
  // The process holds its current folder open.
  if (state_->CurrentFolderWithin(n)) return kErrorSharingViolation;
  if (::rmdir(n.host.c_str()) != 0) return host::FromErrno(errno);
  state_->records->Erase(n.key);
  return kSuccess;
}

ErrorCode SimFileSystem::RemoveFile(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::RemoveFile, n)) return e;
  if (!n.exists) return n.Missing();
  if (n.isDir) return kErrorAccessDenied;
  if (ErrorCode e = state_->ChangeDenied(n)) return e;
  if (state_->Bits(n) & attr::kReadOnly) return kErrorAccessDenied;
  if (state_->Conflicts(n.key, kDelete, kRead | kWrite | kDelete)) return kErrorSharingViolation;
  if (::unlink(n.host.c_str()) != 0) return host::FromErrno(errno);
  state_->records->Erase(n.key);
  return kSuccess;
}

ErrorCode SimFileSystem::CopyFileTo(const std::string& from, const std::string& to, bool overwrite) {
  std::lock_guard lock(state_->mutex);
  Node s = state_->Resolve(from);
  if (s.error) return s.error;
  Node d = state_->Resolve(to);
  if (d.error) return d.error;
  if (ErrorCode e = state_->Faults({{FaultOp::Copy, &s}, {FaultOp::Copy, &d}, {FaultOp::OpenRead, &s},
                                     {FaultOp::OpenWrite, &d}}))
    return e;
  if (!s.exists) return s.Missing();
  if (s.isDir) return kErrorAccessDenied;
  if (state_->Conflicts(s.key, kRead, kRead)) return kErrorSharingViolation;
  if (!d.parentExists) return kErrorPathNotFound;
  if (d.isDir) return kErrorAccessDenied;
  if (d.exists && d.key == s.key) return kErrorSharingViolation;
  if (d.exists && !overwrite) return kErrorFileExists;
  if (ErrorCode e = state_->ChangeDenied(d)) return e;
  if (d.exists && (state_->Bits(d) & attr::kReadOnly)) return kErrorAccessDenied;
  if (state_->Conflicts(d.key, kWrite, 0)) return kErrorSharingViolation;
  return state_->CopyData(s, d);
}

ErrorCode SimFileSystem::MoveFileTo(const std::string& from, const std::string& to) {
  std::lock_guard lock(state_->mutex);
  Node s = state_->Resolve(from);
  if (s.error) return s.error;
  Node d = state_->Resolve(to);
  if (d.error) return d.error;
  if (ErrorCode e = state_->Faults({{FaultOp::Move, &s}, {FaultOp::Move, &d}})) return e;
  if (!s.exists) return s.Missing();
  if (s.isRoot || d.isRoot) return kErrorAccessDenied;
  if (!d.parentExists) return kErrorPathNotFound;
  // The same entry under another spelling: a change of letter case only.
  bool sameEntry = d.exists && d.key == s.key;
  if (d.exists && !sameEntry) return kErrorAlreadyExists;
  if (s.isDir && IsBelow(d.key, s.key)) return kErrorSharingViolation;
  if (ErrorCode e = state_->ChangeDenied(s)) return e;
  if (ErrorCode e = state_->ChangeDenied(d)) return e;
  if (s.isDir) {
    if (state_->AnyOpenWithin(s.key) || state_->CurrentFolderWithin(s)) return kErrorAccessDenied;
  } else if (state_->Conflicts(s.key, kDelete, kRead | kWrite | kDelete)) {
    return kErrorSharingViolation;
  }
  if (s.volumeKey != d.volumeKey) {
    // MOVEFILE_COPY_ALLOWED: a file is copied and the original deleted; folders stay.
    if (s.isDir) return kErrorNotSameDevice;
    if (ErrorCode e = state_->CopyData(s, d)) return e;
    ::unlink(s.host.c_str());
    state_->records->Erase(s.key);
    return kSuccess;
  }
  std::string target = sameEntry ? d.parentHost + "/" + cp1252::ToUtf8(d.given) : d.host;
  std::string targetKey = sameEntry ? d.parentKey + "/" + cp1252::ToUtf8(d.given) : d.key;
  if (::rename(s.host.c_str(), target.c_str()) != 0) return host::FromErrno(errno);
  state_->records->Rename(s.key, targetKey);
  return kSuccess;
}

ErrorCode SimFileSystem::Attributes(const std::string& path, uint32_t& attributes) {
  attributes = attr::kInvalid;
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::Query, n)) return e;
  if (!n.exists) return n.Missing();
  attributes = state_->Reported(n);
  return kSuccess;
}

ErrorCode SimFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::SetAttributes, n)) return e;
  if (!n.exists) return n.Missing();
  if (n.isRoot) return kErrorAccessDenied;
  if (ErrorCode e = state_->ChangeDenied(n)) return e;
  // Compression is not an attribute SetFileAttributes changes; kNormal alone clears all.
  uint32_t bits = (attributes & kSettableBits) | (state_->Bits(n) & attr::kCompressed);
  state_->records->SetBits(n.key, n.isDir, bits);
  return kSuccess;
}

ErrorCode SimFileSystem::FileSize(const std::string& path, uint64_t& size) {
  size = 0;
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::Query, n)) return e;
  if (!n.exists) return n.Missing();
  if (n.isDir) return kErrorAccessDenied;
  size = host::StatOf(n.host).size;
  return kSuccess;
}

ErrorCode SimFileSystem::ListFolder(const std::string& folder, std::vector<DirEntry>& entries) {
  entries.clear();
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(folder);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::Query, n)) return e;
  if (!n.exists) return kErrorPathNotFound;
  if (!n.isDir) return kErrorDirectory;
  entries = state_->EntriesOf(n);
  return kSuccess;
}

std::unique_ptr<FileReader> SimFileSystem::OpenRead(const std::string& path, ErrorCode& error) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  auto fail = [&error](ErrorCode e) {
    error = e;
    return nullptr;
  };
  if (n.error) return fail(n.error);
  if (ErrorCode e = state_->Fault(FaultOp::OpenRead, n)) return fail(e);
  if (!n.exists) return fail(n.Missing());
  if (n.isDir) return fail(kErrorAccessDenied);
  if (state_->Conflicts(n.key, kRead, kRead)) return fail(kErrorSharingViolation);
  int fd = ::open(n.host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(host::FromErrno(errno));
  uint64_t id = state_->AddOpen(n.key, kRead, kRead);
  error = kSuccess;
  return std::make_unique<SimFileReader>(state_, fd, n.key, id, State::Subjects(n));
}

std::unique_ptr<FileWriter> SimFileSystem::OpenWrite(const std::string& path, ErrorCode& error) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  int fd = -1;
  if ((error = state_->OpenForWrite(n, false, fd)) != kSuccess) return nullptr;
  uint64_t id = state_->AddOpen(n.key, kWrite, kRead);
  return std::make_unique<SimFileWriter>(state_, fd, n.key, id, State::Subjects(n));
}

ErrorCode SimFileSystem::AppendToFile(const std::string& path, std::string_view bytes) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  int fd = -1;
  if (ErrorCode e = state_->OpenForWrite(n, true, fd)) return e;
  size_t allowed = bytes.size();
  ErrorCode fault = state_->faults ? state_->faults->CheckWrite(State::Subjects(n), bytes.size(), allowed)
                                   : kSuccess;
  ErrorCode e = host::WriteAll(fd, bytes.data(), allowed);
  if (::close(fd) != 0 && e == kSuccess) e = kErrorWriteFault;
  return e != kSuccess ? e : fault;
}

std::string SimFileSystem::FullPath(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  return FullPathOf(path, state_->current);
}

std::string SimFileSystem::ShortPathName(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error || state_->Fault(FaultOp::Query, n) || !n.exists) return {};
  SplitPath given;
  if (!Split(n.requested, given)) return {};
  SplitPath made = given;
  std::string prefix = given.volume;
  for (size_t i = 0; i < given.names.size(); ++i) {
    prefix += "\\" + given.names[i];
    if (IsShortName(given.names[i])) continue;
    // Each folder on the way is looked up as the system looks it up (redirected).
    Node entry = state_->Resolve(prefix);
    if (entry.error || !entry.exists) return {};
    made.names[i] = state_->ShortNameOf(entry);
  }
  return made.Text();
}

bool SimFileSystem::StoredName(const std::string& path, std::string& name) {
  name.clear();
  // A folder search takes wildcards, and a trailing backslash leaves it no name to find.
  if (path.find_first_of("*?") != std::string::npos) return false;
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error || state_->Fault(FaultOp::Query, n) || !n.exists || n.isRoot) return false;
  SplitPath split;
  if (!Split(n.requested, split) || split.trailingSeparator) return false;
  name = cp1252::FromUtf8(n.key.substr(n.key.rfind('/') + 1));
  return true;
}

bool SimFileSystem::DisableRedirection(uintptr_t& token) {
  std::lock_guard lock(state_->mutex);
  if (!state_->rules.wow64) return false;
  token = state_->RedirectionOn() ? 0 : 1;
  state_->redirectionOff[std::this_thread::get_id()] = true;
  return true;
}

void SimFileSystem::RevertRedirection(uintptr_t token) {
  std::lock_guard lock(state_->mutex);
  state_->redirectionOff[std::this_thread::get_id()] = token != 0;
}

void SimFileSystem::SetRules(FileSystemRules rules) {
  std::lock_guard lock(state_->mutex);
  state_->rules = std::move(rules);
}

FileSystemRules SimFileSystem::Rules() const {
  std::lock_guard lock(state_->mutex);
  return state_->rules;
}

ErrorCode SimFileSystem::AddDrive(char letter, DriveType type) {
  letter = char(text::UpperChar(static_cast<unsigned char>(letter)));
  if (letter < 'A' || letter > 'Z') return kErrorInvalidParameter;
  std::lock_guard lock(state_->mutex);
  std::string entry = host::FindEntry(state_->root, std::string(1, letter));
  if (entry.empty() && ::mkdir((state_->root + "/" + letter).c_str(), 0755) != 0) return host::FromErrno(errno);
  state_->records->SetDrive(letter, type);
  return kSuccess;
}

DriveType SimFileSystem::DriveTypeOf(char letter) const {
  std::lock_guard lock(state_->mutex);
  return state_->records->Drive(char(text::UpperChar(static_cast<unsigned char>(letter))));
}

void SimFileSystem::SetMediumPresent(char letter, bool present) {
  std::lock_guard lock(state_->mutex);
  state_->mediumAbsent[char(text::UpperChar(static_cast<unsigned char>(letter)))] = !present;
}

ErrorCode SimFileSystem::SetCurrentFolder(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (!n.exists) return n.Missing();
  if (!n.isDir) return kErrorDirectory;
  std::string folder = n.requested;
  if (!n.isRoot) folder = winpath::ExcludeTrailingBackslash(folder);
  state_->current = folder;
  return kSuccess;
}

std::string SimFileSystem::CurrentFolder() const {
  std::lock_guard lock(state_->mutex);
  return state_->current;
}

bool SimFileSystem::SetRedirection(bool enabled) {
  std::lock_guard lock(state_->mutex);
  bool previous = state_->RedirectionOn();
  state_->redirectionOff[std::this_thread::get_id()] = !enabled;
  return previous;
}

bool SimFileSystem::RedirectionEnabled() const {
  std::lock_guard lock(state_->mutex);
  return state_->RedirectionOn();
}

ErrorCode SimFileSystem::SetCompression(const std::string& path, bool compressed) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::SetAttributes, n)) return e;
  if (!n.exists) return n.Missing();
  if (n.isRoot) return kErrorAccessDenied;
  if (ErrorCode e = state_->ChangeDenied(n)) return e;
  uint32_t bits = state_->Bits(n) & ~attr::kCompressed;
  state_->records->SetBits(n.key, n.isDir, compressed ? bits | attr::kCompressed : bits);
  return kSuccess;
}

std::string SimFileSystem::HostPath(const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  return n.error ? std::string() : n.host;
}

const std::string& SimFileSystem::HostRoot() const { return state_->root; }

ErrorCode SimFileSystem::ReadUnchecked(const std::string& path, uint64_t offset, uint64_t count,
                                       std::string& bytes) {
  bytes.clear();
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (!n.exists) return n.Missing();
  if (n.isDir) return kErrorAccessDenied;
  int fd = ::open(n.host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return host::FromErrno(errno);
  uint64_t size = host::StatOf(n.host).size;
  if (offset < size) {
    bytes.resize(size_t(std::min(count, size - offset)));
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, off_t(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += size_t(got);
    }
    bytes.resize(done);
  }
  ::close(fd);
  return kSuccess;
}

// --- queries of files and volumes ---

ErrorCode SimFileSystem::FindFiles(const std::string& pattern, std::vector<DirEntry>& entries) {
  entries.clear();
  if (pattern.empty()) return kErrorPathNotFound;
  // The mask is the last name as written: the full-path rules would drop its periods.
  const size_t cut = pattern.find_last_of("\\/:");
  const std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
  const std::string mask = pattern.substr(cut == std::string::npos ? 0 : cut + 1);
  for (unsigned char c : mask)
    if (c < 32 || c == '<' || c == '>' || c == '"' || c == '|') return kErrorInvalidName;
  if (mask.size() > kMaxNameLength) return kErrorFilenameExcedRange;
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(folder.empty() ? state_->current : folder);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::Query, n)) return e;
  if (!n.exists) return kErrorPathNotFound;
  if (!n.isDir) return kErrorDirectory;
  if (mask.empty()) return kErrorFileNotFound;
  std::map<std::string, std::string> shortNames;
  bool shortNamesMade = false;
  for (auto& entry : state_->EntriesOf(n)) {
    bool match = FindMaskMatches(mask, entry.name);
    if (!match && !IsShortName(entry.name)) {
      if (!shortNamesMade) {
        shortNames = state_->ShortNames(n.host);
        shortNamesMade = true;
      }
      auto it = shortNames.find(cp1252::ToUtf8(entry.name));
      match = it != shortNames.end() && FindMaskMatches(mask, it->second);
    }
    if (match) entries.push_back(std::move(entry));
  }
  return entries.empty() ? kErrorFileNotFound : kSuccess;
}

namespace {

// The bytes the files below a host folder take (links are not followed).
uint64_t BytesUsed(const std::string& hostFolder) {
  uint64_t used = 0;
  std::error_code ec;
  for (std::filesystem::recursive_directory_iterator it(hostFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code sizeError;
    if (it->is_regular_file(sizeError) && !it->is_symlink(sizeError)) {
      uint64_t size = it->file_size(sizeError);
      if (!sizeError) used += size;
    }
  }
  return used;
}

}  // namespace

ErrorCode SimFileSystem::DiskSpace(const std::string& path, uint64_t& freeToCaller, uint64_t& total) {
  freeToCaller = total = 0;
  if (path.empty()) return kErrorPathNotFound;
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  if (ErrorCode e = state_->Fault(FaultOp::Query, n)) return e;
  if (!n.exists) return n.Missing();
  if (!n.isDir) return kErrorDirectory;
  uint64_t used = BytesUsed(state_->root + "/" + n.volumeKey);
  if (n.drive && state_->records->Drive(n.drive) == DriveType::CdRom) {
    total = used;
    return kSuccess;
  }
  auto it = state_->capacities.find(n.volumeKey);
  total = it == state_->capacities.end() ? kDefaultCapacity : it->second;
  freeToCaller = used < total ? total - used : 0;
  return kSuccess;
}

std::string SimFileSystem::ProfileString(const std::string& file, const std::string& section, const std::string& key,
                                         size_t capacity) {
  if (capacity == 0 || file.empty()) return {};
  std::string path = file;
  if (file.find_first_of("\\/") == std::string::npos) path = winpath::Combine(Rules().windowsFolder, file);
  std::string bytes, value;
  if (ReadWholeFile(path, bytes) != kSuccess || !FindProfileValue(bytes, section, key, value)) return {};
  if (value.size() > capacity - 1) value.resize(capacity - 1);
  return value;
}

ErrorCode SimFileSystem::SetCapacity(const std::string& path, uint64_t bytes) {
  std::lock_guard lock(state_->mutex);
  Node n = state_->Resolve(path);
  if (n.error) return n.error;
  state_->capacities[n.volumeKey] = bytes;
  return kSuccess;
}

}  // namespace qv::platform::sim
