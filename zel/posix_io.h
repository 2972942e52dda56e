#pragma once
// The archive code's file access on the host: POSIX calls on host paths. Backslashes in
// paths are taken as separators. Windows attributes map to what a host file has: the
// folder bit, and read-only as a missing owner write permission. Names stay UTF-8, the
// host's own code page.
#include "zel/zel_io.h"

namespace zel {

class PosixIo final : public Io {
 public:
  std::unique_ptr<InputFile> OpenRead(const std::string& path, IoError& error) override;
  std::unique_ptr<OutputFile> OpenWrite(const std::string& path, IoError& error) override;
  bool CreateFolder(const std::string& path, IoError& error) override;
  bool Stat(const std::string& path, FileInfo& info) override;
  bool RemoveFile(const std::string& path, IoError& error) override;
  bool SetAttributes(const std::string& path, uint32_t attributes, IoError& error) override;
  bool SetLastWrite(const std::string& path, uint64_t fileTime, IoError& error) override;
  uint64_t LocalToUtc(uint64_t localTicks) override;
  std::string Utf8ToAnsi(std::string_view utf8) override { return std::string(utf8); }

  // The host path for a path with backslashes.
  static std::string HostPath(const std::string& path);
};

}  // namespace zel
