#pragma once
// The program entry: turns the executable with its appended script and the support
// archive beside it into a running setup, and finishes the run.
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "script/script.h"
#include "script/variable_store.h"
#include "startup/command_line.h"
#include "startup/engine_messages.h"
#include "startup/startup_values.h"
#include "startup/trace_log.h"

namespace qv::startup {

// Exit codes that start-up itself sets.
inline constexpr int kExitStartupError = 11;
inline constexpr int kExitNoScript = 13;
inline constexpr int kExitNoSupportArchive = 14;
inline constexpr int kExitBadSupportArchive = 15;

class Startup {
 public:
  Startup(platform::Platform& platform, script::VariableStore& store);
  ~Startup();

  // The whole start-up sequence, the run and the finishing stages; the exit code.
  int Run();

  const StartupValues& Values() const { return values_; }
  TraceLog& Trace() { return trace_; }
  EngineMessages& Messages() { return messages_; }

 private:
  void ApplyShellSettings();
  void ComputeFolders();
  void LoadEngineLanguage();
  void CreateSupportFolder();
  // Steps from the script copy to the run; a value is an exit code that ends the process
  // at once.
  std::optional<int> LoadAndRun();
  std::optional<int> LoadScriptFromImage();
  std::optional<int> ExtractSupportArchive();
  void CopyPackageFiles();
  void CreateDialogs();
  void RunScript();
  void DeleteSupportFolder();
  void ShowError(const std::string& text, bool withOwner);

  platform::Platform& platform_;
  script::VariableStore& store_;
  EngineMessages messages_;
  TraceLog trace_;
  StartupValues values_;
  std::unique_ptr<script::Script> script_;
  int exitCode_ = 0;
};

}  // namespace qv::startup
