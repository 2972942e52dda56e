#pragma once
// The host side of the simulated file system: POSIX calls on the host folder, and the
// lookup of a Windows name among host entries without regard to letter case.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace qv::platform::sim::host {

struct Stat {
  bool exists = false;
  bool isDir = false;
  uint64_t size = 0;
  uint64_t lastWrite = 0;  // FILETIME ticks
};

Stat StatOf(const std::string& hostPath);

// The host name (UTF-8) of the entry of `hostFolder` whose ANSI name equals `ansiName`
// without regard to letter case; the exact spelling wins over other matches. Empty when
// there is none.
std::string FindEntry(const std::string& hostFolder, std::string_view ansiName);
// The host names of a folder's entries.
std::vector<std::string> EntryNames(const std::string& hostFolder);

// Writes all bytes; kErrorDiskFull when the host disk is full.
ErrorCode WriteAll(int fd, const char* data, size_t count);
// Sets the host file's last write time (FILETIME ticks).
void SetLastWrite(const std::string& hostPath, uint64_t fileTime);

ErrorCode FromErrno(int e);

}  // namespace qv::platform::sim::host
