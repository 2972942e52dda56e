#include "platform/sim/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "common/codepage1252.h"
#include "common/text.h"

namespace qv::platform::sim::host {
namespace {

// Seconds between 1601-01-01 (FILETIME) and 1970-01-01 (Unix).
constexpr uint64_t kEpochDelta = 11644473600ull;

uint64_t ToFileTime(const timespec& t) {
  if (t.tv_sec < 0) return 0;
  return (uint64_t(t.tv_sec) + kEpochDelta) * 10000000ull + uint64_t(t.tv_nsec) / 100;
}

}  // namespace

Stat StatOf(const std::string& hostPath) {
  Stat s;
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) return s;
  s.exists = true;
  s.isDir = S_ISDIR(st.st_mode);
  s.size = s.isDir ? 0 : uint64_t(st.st_size);
  s.lastWrite = ToFileTime(st.st_mtim);
  return s;
}

std::vector<std::string> EntryNames(const std::string& hostFolder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(hostFolder.c_str());
  if (!dir) return names;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string FindEntry(const std::string& hostFolder, std::string_view ansiName) {
  std::string exact = cp1252::ToUtf8(ansiName);
  struct stat st;
  if (::lstat((hostFolder + "/" + exact).c_str(), &st) == 0) return exact;
  for (const auto& name : EntryNames(hostFolder))
    if (text::EqualsNoCase(cp1252::FromUtf8(name), ansiName)) return name;
  return {};
}

ErrorCode WriteAll(int fd, const char* data, size_t count) {
  while (count > 0) {
    ssize_t n = ::write(fd, data, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno == ENOSPC ? kErrorDiskFull : kErrorWriteFault;
    }
    data += n;
    count -= size_t(n);
  }
  return kSuccess;
}

void SetLastWrite(const std::string& hostPath, uint64_t fileTime) {
  if (fileTime < kEpochDelta * 10000000ull) return;
  uint64_t unix100ns = fileTime - kEpochDelta * 10000000ull;
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = time_t(unix100ns / 10000000ull);
  times[1].tv_nsec = long(unix100ns % 10000000ull) * 100;
  ::utimensat(AT_FDCWD, hostPath.c_str(), times, 0);
}

ErrorCode FromErrno(int e) {
  switch (e) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EEXIST: return kErrorAlreadyExists;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case EACCES:
    case EPERM:
    case EROFS: return kErrorAccessDenied;
    case ENOSPC: return kErrorDiskFull;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case EXDEV: return 17;  // not the same device
    default: return kErrorInvalidFunction;
  }
}

}  // namespace qv::platform::sim::host
