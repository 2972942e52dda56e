#pragma once
// Running the real engine (the win64 build) under wine64 from host tests: one wine prefix
// for the whole test program, processes with time-outs, paths inside the prefix, and the
// X display for tests that look at windows.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qv::e2e {

struct ProcessResult {
  int exitCode = -1;
  bool timedOut = false;
  std::string output;  // standard output and error together
};

// A process started in the background.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::string& workingFolder);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  // Waits up to `seconds`; a process still running then is killed.
  ProcessResult Wait(int seconds);

 private:
  pid_t pid_ = -1;
  int outputFd_ = -1;
  std::string output_;
  void Drain();
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workingFolder, int seconds);

class Wine {
 public:
  // The prefix named by WINEPREFIX, or a fresh one made for this test program.
  static Wine& Get();
  ~Wine();

  const std::string& Prefix() const { return prefix_; }
  // Runs a Windows program (host path) with arguments.
  ProcessResult Run(const std::string& exe, const std::vector<std::string>& args, int seconds = 60);
  Process Start(const std::string& exe, const std::vector<std::string>& args);
  // Runs a Windows program and returns its whole 32-bit exit code (-1 when it could not
  // be learnt), through the exit code runner of the win64 build.
  int64_t RunForExitCode(const std::string& exe, const std::vector<std::string>& args, ProcessResult& run,
                         int seconds = 60);
  // The host path of a path on the prefix's drive C: ("C:\x\y" -> PREFIX/drive_c/x/y).
  std::string HostPath(const std::string& windowsPath) const;
  // The user's temporary folder inside the prefix, as a Windows path with a backslash.
  std::string TempFolder() const { return "C:\\users\\" + user_ + "\\Temp\\"; }

 private:
  Wine();
  std::string wine_;
  std::string wineserver_;
  std::string prefix_;
  std::string user_;
  bool ownPrefix_ = false;
};

// Folders of the builds: the Windows programs (QV_WIN64_BIN) and the host tools
// (QV_HOST_BIN), with defaults inside the source tree.
std::string Win64Bin();
std::string HostBin();

// A fresh host folder for one test, removed afterwards unless QV_KEEP_E2E is set.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadHostFile(const std::string& path);
void WriteHostFile(const std::string& path, const std::string& bytes);
bool HostExists(const std::string& path);

// The windows of the X display whose title contains `title` (empty without a display).
std::vector<std::string> FindWindows(const std::string& title);
bool HaveDisplay();
// Waits up to `seconds` for such a window.
std::string WaitForWindow(const std::string& title, int seconds);
void PressKey(const std::string& window, const std::string& key);

}  // namespace qv::e2e
