#include "zel/posix_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "zel/dos_time.h"

namespace zel {
namespace {

bool Failed(IoError& error) {
  error.notFound = errno == ENOENT || errno == ENOTDIR;
  error.reason = std::strerror(errno);
  return false;
}

class PosixInput final : public InputFile {
 public:
  PosixInput(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~PosixInput() override { ::close(fd_); }
  bool Read(void* buffer, size_t count, size_t& got, IoError& error) override {
    for (;;) {
      ssize_t n = ::read(fd_, buffer, count);
      if (n >= 0) {
        got = static_cast<size_t>(n);
        return true;
      }
      if (errno != EINTR) return Failed(error);
    }
  }
  bool Seek(uint64_t position, IoError& error) override {
    return ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) >= 0 || Failed(error);
  }
  uint64_t Size() override { return size_; }

 private:
  int fd_;
  uint64_t size_;
};

class PosixOutput final : public OutputFile {
 public:
  explicit PosixOutput(int fd) : fd_(fd) {}
  ~PosixOutput() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Write(const void* data, size_t count, IoError& error) override {
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
      ssize_t n = ::write(fd_, p, count);
      if (n < 0) {
        if (errno == EINTR) continue;
        return Failed(error);
      }
      p += n;
      count -= static_cast<size_t>(n);
    }
    return true;
  }
  bool Close(IoError& error) override {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || Failed(error);
  }

 private:
  int fd_;
};

}  // namespace

std::string PosixIo::HostPath(const std::string& path) {
  std::string host = path;
  std::replace(host.begin(), host.end(), '\\', '/');
  return host;
}

std::unique_ptr<InputFile> PosixIo::OpenRead(const std::string& path, IoError& error) {
  int fd = ::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Failed(error), nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) errno = EISDIR;
    Failed(error);
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixInput>(fd, static_cast<uint64_t>(st.st_size));
}

std::unique_ptr<OutputFile> PosixIo::OpenWrite(const std::string& path, IoError& error) {
  int fd = ::open(HostPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Failed(error), nullptr;
  return std::make_unique<PosixOutput>(fd);
}

bool PosixIo::CreateFolder(const std::string& path, IoError& error) {
  std::string host = HostPath(path);
  if (::mkdir(host.c_str(), 0777) == 0) return true;
  int saved = errno;
  struct stat st {};
  if (saved == EEXIST && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  errno = saved;
  return Failed(error);
}

bool PosixIo::Stat(const std::string& path, FileInfo& info) {
  struct stat st {};
  if (::stat(HostPath(path).c_str(), &st) != 0) return false;
  info.folder = S_ISDIR(st.st_mode);
  info.size = info.folder ? 0 : static_cast<uint64_t>(st.st_size);
  info.lastWrite = UnixToTicks(st.st_mtim.tv_sec) + static_cast<uint64_t>(st.st_mtim.tv_nsec / 100);
  info.attributes = (info.folder ? kAttrFolder : kAttrArchive) | ((st.st_mode & S_IWUSR) ? 0 : kAttrReadOnly);
  return true;
}

bool PosixIo::RemoveFile(const std::string& path, IoError& error) {
  return ::unlink(HostPath(path).c_str()) == 0 || Failed(error);
}

bool PosixIo::SetAttributes(const std::string& path, uint32_t attributes, IoError& error) {
  std::string host = HostPath(path);
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0) return Failed(error);
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & kAttrReadOnly) ? mode & ~static_cast<mode_t>(0222) : mode | S_IWUSR;
  return ::chmod(host.c_str(), mode) == 0 || Failed(error);
}

bool PosixIo::SetLastWrite(const std::string& path, uint64_t fileTime, IoError& error) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(TicksToUnix(fileTime));
  times[1].tv_nsec = static_cast<long>(fileTime % kTicksPerSecond) * 100;
  return ::utimensat(AT_FDCWD, HostPath(path).c_str(), times, 0) == 0 || Failed(error);
}

uint64_t PosixIo::LocalToUtc(uint64_t localTicks) {
  // Read the local clock fields back through mktime, which knows the zone and its
  // daylight saving rules for that date.
  int64_t asIfUtc = TicksToUnix(localTicks);
  CivilTime c = CivilFromUnix(asIfUtc);
  std::tm tm{};
  tm.tm_year = c.year - 1900;
  tm.tm_mon = c.month - 1;
  tm.tm_mday = c.day;
  tm.tm_hour = c.hour;
  tm.tm_min = c.minute;
  tm.tm_sec = c.second;
  tm.tm_isdst = -1;
  std::time_t utc = std::mktime(&tm);
  if (utc == static_cast<std::time_t>(-1)) return localTicks;
  return UnixToTicks(utc) + localTicks % kTicksPerSecond;
}

}  // namespace zel
