#pragma once
// The operating system's own answers on a simulated machine: from the OS profile, the
// simulated clock and the simulated file system (the running executable is a file there).
#include <mutex>
#include <optional>
#include <string>
#include <vector>

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

  // The profile's groups (none on 9x, which has no tokens), elevation, account and
  // machine.
  bool TokenHasBuiltinGroup(uint32_t rid) override;
  bool TokenElevated() override;
  AccountName CurrentAccount() override;
  // Empty for a name longer than 15 characters, which the call's buffer cannot hold.
  std::string ComputerName() override;
  std::string WindowsFolder() override;
  std::string SystemFolder() override;
  std::string SystemWow64Folder() override;
  // The version resource in the file's bytes, read through the simulated file system
  // (so with its redirection and faults).
  bool ReadFileVersionInfo(const std::string& path, FileVersionInfo& info) override;
  // The names of the languages the machine knows; "Language Neutral" for the others.
  std::string LanguageName(uint16_t language) override;
  // From the simulated file system's drive table; kNoRootFolder for a letter without
  // a drive.
  uint32_t DriveType(const std::string& root) override;
  MemoryStatus Memory() override;
  int SystemMetric(int index) override;
  int DisplayBitsPerPixel() override;
  int ScreenDpi() override;
  int NativeProcessorArchitecture() override;
  bool VmwareBackdoorAnswers() override;
  bool VirtualPcBackdoorAnswers() override;
  // The rules of ExpandEnvironmentStrings: names without regard to letter case; a
  // reference to an undefined name keeps its first "%" and the name, and the scan goes
  // on at its closing "%".
  std::string ExpandEnvironment(std::string_view text) override;
  std::vector<std::string> EnvironmentBlock() override;
  // Numbers from the clock's low 16 bits on, as the system starts from its tick count;
  // kErrorDirectory when the folder does not exist.
  ErrorCode CreateTempFile(const std::string& folder, const std::string& prefix, std::string& path) override;

  OsProfile Profile() const;
  // Another Windows: the process environment starts again from the profile's.
  void SetProfile(OsProfile profile);
  // Changes the process environment (SetEnvironmentVariable); no value removes the name.
  void SetEnvironmentVariable(const std::string& name, std::optional<std::string> value);
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
  std::vector<std::string> environment_;
};

}  // namespace qv::platform::sim
