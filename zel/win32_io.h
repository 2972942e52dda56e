#pragma once
// The archive code's file access in the DLL: the Win32 ANSI calls, so paths and names
// are in the system code page like everywhere in the engine.
#include "zel/zel_io.h"

namespace zel {

class Win32Io final : public Io {
 public:
  std::unique_ptr<InputFile> OpenRead(const std::string& path, IoError& error) override;
  std::unique_ptr<OutputFile> OpenWrite(const std::string& path, IoError& error) override;
  bool CreateFolder(const std::string& path, IoError& error) override;
  bool Stat(const std::string& path, FileInfo& info) override;
  bool RemoveFile(const std::string& path, IoError& error) override;
  bool SetAttributes(const std::string& path, uint32_t attributes, IoError& error) override;
  bool SetLastWrite(const std::string& path, uint64_t fileTime, IoError& error) override;
  uint64_t LocalToUtc(uint64_t localTicks) override;
  std::string Utf8ToAnsi(std::string_view utf8) override;
};

}  // namespace zel
