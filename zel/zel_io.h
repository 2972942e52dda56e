#pragma once
// The file access the archive code needs, and nothing more. The DLL implements it with
// the Win32 ANSI calls, the host build with POSIX calls on host paths, and the engine's
// simulated platform with its FileSystem. Paths use backslashes; an implementation on a
// system with other separators converts them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zel {

struct IoError {
  bool notFound = false;  // the file or a folder of its path does not exist
  std::string reason;     // the system's text, e.g. "Access is denied"
};

struct FileInfo {
  bool folder = false;
  uint64_t size = 0;
  uint64_t lastWrite = 0;  // FILETIME ticks (100 ns since 1601, UTC), 0 when unknown
  uint32_t attributes = 0; // Windows attribute bits
};

class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `count` bytes; `got` is 0 only at the end of the file.
  virtual bool Read(void* buffer, size_t count, size_t& got, IoError& error) = 0;
  virtual bool Seek(uint64_t position, IoError& error) = 0;
  virtual uint64_t Size() = 0;
};

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(const void* data, size_t count, IoError& error) = 0;
  // Flushes and closes; a destroyed file that was not closed is closed silently.
  virtual bool Close(IoError& error) = 0;
};

class Io {
 public:
  virtual ~Io() = default;
  virtual std::unique_ptr<InputFile> OpenRead(const std::string& path, IoError& error) = 0;
  // Creates the file or truncates an existing one.
  virtual std::unique_ptr<OutputFile> OpenWrite(const std::string& path, IoError& error) = 0;
  // Creates one folder whose parent exists; succeeds when the folder is already there.
  virtual bool CreateFolder(const std::string& path, IoError& error) = 0;
  // False when nothing of that name exists.
  virtual bool Stat(const std::string& path, FileInfo& info) = 0;
  virtual bool RemoveFile(const std::string& path, IoError& error) = 0;
  // Both may do nothing (and succeed) where the system has no such notion.
  virtual bool SetAttributes(const std::string& path, uint32_t attributes, IoError& error) = 0;
  virtual bool SetLastWrite(const std::string& path, uint64_t fileTime, IoError& error) = 0;
  // ZIP stores DOS times in local time; this turns local FILETIME ticks into UTC ones.
  virtual uint64_t LocalToUtc(uint64_t localTicks) { return localTicks; }
  // Names flagged as UTF-8 in an archive are handed to callers in the system code page.
  virtual std::string Utf8ToAnsi(std::string_view utf8) = 0;
};

// Windows attribute bits used by the archive code.
inline constexpr uint32_t kAttrReadOnly = 0x1;
inline constexpr uint32_t kAttrHidden = 0x2;
inline constexpr uint32_t kAttrSystem = 0x4;
inline constexpr uint32_t kAttrFolder = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;

}  // namespace zel
