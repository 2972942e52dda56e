#pragma once
// The operating system's own answers on a simulated machine: from the OS profile, the
// simulated clock and the simulated file system (the running executable is a file there).
#include <mutex>
#include <string>

#include "platform/sim/os_profiles.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_file_system.h"
#include "platform/system.h"

namespace qv::platform::sim {

class SimSystem : public System {
 public:
  SimSystem(OsProfile profile, SimFileSystem& files);

  OsVersion Version() override;
  std::string TempFolder() override;
  std::string ExecutablePath() override;
  // The first 4096 bytes of the executable's file (the page the loader maps the headers
  // into), fewer when the file is shorter, empty when it is missing.
  std::string OwnImageHeaders() override;
  // As set; without one, the executable's path in quotes, as Explorer starts a program.
  std::string CommandLine() override;
  // The clock's uptime, wrapped to 32 bits like GetTickCount.
  uint64_t TickCount() override;
  uint32_t AnsiCodePage() override;
  std::u16string AnsiToUtf16(std::string_view text) override;
  void AnsiCaseTables(unsigned char upper[256], unsigned char lower[256]) override;
  uint16_t UserDefaultLanguage() override;
  bool Is64BitWindows() override;
  // The profile's rights: an administrator before Vista, an elevated one from Vista on,
  // anyone on 9x.
  bool RunsAsAdministrator() override;
  // ShellFolderOf(profile).
  std::string ShellFolder(int csidl) override;
  // The clock's wall time in the formats of the profile's user locale (LocaleFormatsOf).
  std::string CurrentDateText() override;
  std::string CurrentTimeText() override;
  bool DesktopCompositionEnabled() override;
  bool VisualThemesActive() override;

  OsProfile Profile() const;
  void SetProfile(OsProfile profile);
  void SetExecutablePath(std::string path);
  void SetCommandLine(std::string commandLine);
  SimClock& Clock() { return clock_; }

 private:
  mutable std::mutex mutex_;
  OsProfile profile_;
  SimFileSystem& files_;
  SimClock clock_;
  std::string executable_;
  std::string commandLine_;
};

}  // namespace qv::platform::sim
