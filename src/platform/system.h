#pragma once
// What the engine asks of the operating system itself: version, folders of the process,
// clock, code page and locale, the command line.
#include <cstdint>
#include <string>
#include <string_view>

namespace qv::platform {

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 2;  // 1: Windows 9x family, 2: NT family
  std::string servicePackText;  // e.g. "Service Pack 1"
  uint16_t servicePackMajor = 0;
  uint16_t servicePackMinor = 0;
  uint16_t suiteMask = 0;
  uint8_t productType = 1;  // 1 workstation, 2 domain controller, 3 server

  bool IsNtFamily() const { return platformId == 2; }
};

class System {
 public:
  virtual ~System() = default;
  virtual OsVersion Version() = 0;
  // The user's temporary folder with a trailing backslash (the system's answer, which
  // may name a folder that does not exist yet).
  virtual std::string TempFolder() = 0;
  // Full path of the running executable.
  virtual std::string ExecutablePath() = 0;
  // The headers of the running executable's loaded image (DOS header, PE headers and
  // section table), from which the stub size is computed.
  virtual std::string OwnImageHeaders() = 0;
  // The raw command line, program path included.
  virtual std::string CommandLine() = 0;
  // Milliseconds since the system started (wraps like the system's tick count).
  virtual uint64_t TickCount() = 0;
  virtual uint32_t AnsiCodePage() = 0;
  // Text in the system ANSI code page as UTF-16.
  virtual std::u16string AnsiToUtf16(std::string_view text) = 0;
  // Upper- and lower-case forms of every byte of the ANSI code page.
  virtual void AnsiCaseTables(unsigned char upper[256], unsigned char lower[256]) = 0;
  // Language identifier of the user's default locale.
  virtual uint16_t UserDefaultLanguage() = 0;
};

}  // namespace qv::platform
