#include "e2e/wine_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qv::e2e {
namespace fs = std::filesystem;

namespace {

std::string Env(const char* name, const std::string& fallback = {}) {
  const char* v = std::getenv(name);
  return v && *v ? v : fallback;
}

std::string SourceTree() {
#ifdef QV_SOURCE_DIR
  return QV_SOURCE_DIR;
#else
  return ".";
#endif
}

}  // namespace

// ---- processes ---------------------------------------------------------------------

Process::Process(const std::vector<std::string>& argv, const std::string& workingFolder) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  outputFd_ = pipeFds[0];
  if (rc != 0) {
    close(outputFd_);
    throw std::runtime_error("cannot start " + argv[0]);
  }
  fcntl(outputFd_, F_SETFL, O_NONBLOCK);
}

Process::~Process() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outputFd_ >= 0) close(outputFd_);
}

void Process::Drain() {
  char buffer[4096];
  for (;;) {
    ssize_t n = read(outputFd_, buffer, sizeof buffer);
    if (n <= 0) break;
    output_.append(buffer, size_t(n));
  }
}

ProcessResult Process::Wait(int seconds) {
  ProcessResult result;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  for (;;) {
    Drain();
    pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      result.timedOut = true;
      break;
    }
    pollfd p{outputFd_, POLLIN, 0};
    poll(&p, 1, 50);
  }
  pid_ = -1;
  Drain();
  result.output = output_;
  if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workingFolder, int seconds) {
  Process p(argv, workingFolder);
  return p.Wait(seconds);
}

// ---- wine ----------------------------------------------------------------------------

Wine& Wine::Get() {
  static Wine wine;
  return wine;
}

Wine::Wine() {
  wine_ = Env("WINE", "/usr/lib/wine/wine64");
  setenv("WINEDEBUG", "-all", 1);
  setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
  prefix_ = Env("WINEPREFIX");
  if (prefix_.empty()) {
    char pattern[] = "/tmp/qv-e2e-wine.XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot create a wine prefix folder");
    prefix_ = std::string(pattern) + "/prefix";
    ownPrefix_ = true;
    setenv("WINEPREFIX", prefix_.c_str(), 1);
    RunProcess({wine_, "wineboot", "--init"}, "", 300);
  }
  wineserver_ = Env("WINESERVER", (fs::path(wine_).parent_path() / "wineserver").string());
  // One server for the whole program, so that runs do not wait for it to start and stop.
  RunProcess({wineserver_, "-p"}, "", 30);
  user_ = Env("USER", "root");
  if (!HostExists(prefix_ + "/drive_c/users/" + user_)) {
    for (const auto& entry : fs::directory_iterator(prefix_ + "/drive_c/users")) {
      std::string name = entry.path().filename().string();
      if (name != "Public") user_ = name;
    }
  }
}

Wine::~Wine() {
  RunProcess({wineserver_, "-k"}, "", 30);
  if (ownPrefix_) {
    std::error_code ignored;
    fs::remove_all(fs::path(prefix_).parent_path(), ignored);
  }
}

ProcessResult Wine::Run(const std::string& exe, const std::vector<std::string>& args, int seconds) {
  return Start(exe, args).Wait(seconds);
}

Process Wine::Start(const std::string& exe, const std::vector<std::string>& args) {
  std::vector<std::string> argv{wine_, exe};
  argv.insert(argv.end(), args.begin(), args.end());
  return Process(argv, fs::path(exe).parent_path().string());
}

int64_t Wine::RunForExitCode(const std::string& exe, const std::vector<std::string>& args, ProcessResult& run,
                             int seconds) {
  // The runner starts the program with the system's own call, which wants a Windows path.
  std::string windowsExe = exe;
  if (!windowsExe.empty() && windowsExe[0] == '/') {
    windowsExe = "Z:" + windowsExe;
    for (char& c : windowsExe)
      if (c == '/') c = '\\';
  }
  std::vector<std::string> all{windowsExe};
  all.insert(all.end(), args.begin(), args.end());
  run = Run(Win64Bin() + "/qv_exit_code_runner.exe", all, seconds);
  size_t at = run.output.rfind("exit code ");
  if (run.timedOut || at == std::string::npos) return -1;
  return std::strtoll(run.output.c_str() + at + 10, nullptr, 10);
}

std::string Wine::HostPath(const std::string& windowsPath) const {
  std::string rest = windowsPath.size() > 2 && windowsPath[1] == ':' ? windowsPath.substr(2) : windowsPath;
  for (auto& c : rest)
    if (c == '\\') c = '/';
  char drive = char(std::tolower(static_cast<unsigned char>(windowsPath[0])));
  return prefix_ + "/drive_" + std::string(1, drive) + rest;
}

std::string Win64Bin() { return Env("QV_WIN64_BIN", SourceTree() + "/build/win64/bin"); }
std::string HostBin() { return Env("QV_HOST_BIN", SourceTree() + "/build/host/bin"); }

// ---- files -----------------------------------------------------------------------------

ScratchFolder::ScratchFolder() {
  char pattern[] = "/tmp/qv-e2e.XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("cannot create a scratch folder");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  if (!Env("QV_KEEP_E2E").empty()) return;
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHostFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool HostExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// ---- windows -------------------------------------------------------------------------

bool HaveDisplay() { return !Env("DISPLAY").empty(); }

std::vector<std::string> FindWindows(const std::string& title) {
  std::vector<std::string> ids;
  if (!HaveDisplay()) return ids;
  ProcessResult r = RunProcess({"xdotool", "search", "--name", title}, "", 10);
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) ids.push_back(line);
  return ids;
}

std::string WaitForWindow(const std::string& title, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    auto ids = FindWindows(title);
    if (!ids.empty()) return ids.front();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return {};
}

void PressKey(const std::string& window, const std::string& key) {
  RunProcess({"xdotool", "windowactivate", "--sync", window}, "", 10);
  RunProcess({"xdotool", "key", "--window", window, key}, "", 10);
}

}  // namespace qv::e2e
