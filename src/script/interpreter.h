#pragma once
// The interpreter: prepares a run (validation, predefined variables, the product state,
// labels, the single-instance check), runs the script line by line on the calling thread
// with its block movement and dispatch, and performs the exit stage.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "script/command_table.h"
#include "script/engine_context.h"
#include "script/predefined_variables.h"
#include "script/run_state.h"

namespace qv::script {

// The installation's state on the machine, which the install engine knows: who asks it
// before the first line (and again after a cache override) and before every line.
class ProductBootstrap {
 public:
  virtual ~ProductBootstrap() = default;
  // The folder a first installation proposes (TARGETDIR) and the all-users answer
  // (ALLUSERS), for the variables set before the bootstrap.
  virtual std::string ProductFolder(EngineContext& engine) = 0;
  virtual bool AllUsers(EngineContext& engine) = 0;
  // Sets PRODUCTCODE ... NEWINSTANCE and loads what an installed product saved.
  virtual void Run(EngineContext& engine, RunState& run) = 0;
  // The values of ENGINECACHE and UNINSTALLLINK for the current ALLUSERS and cache
  // override, which the interpreter sets before every line.
  virtual void CacheLocation(EngineContext& engine, RunState& run, bool allUsers, const std::string& overrideCache,
                             std::string& engineCache, std::string& uninstallLink) = 0;
};

// The block role of a line (defined with the interpreter).
enum class LineFlow : uint8_t;

using LineGate = std::function<bool(size_t line)>;
// What the parts above the interpreter add to a run.
struct InterpreterHooks {
  // Released when the run ends (an open text file, dialogs, the tray icon).
  std::vector<std::function<void()>> exitCleanup;
  // Fills the first values that come from the system-information layer (the registered
  // owner and organisation).
  std::function<void(const RunState& run, PredefinedValues& values)> systemValues;
  // Asked before every line; false ends the run (after the exit clean-up).
  LineGate lineGate;
};

class Interpreter {
 public:
  Interpreter(EngineContext& engine, const CommandTable& commands, ProductBootstrap& bootstrap,
              InterpreterHooks hooks = {});
  ~Interpreter();

  // The whole run. A script that fails validation ends the process at once: ProcessExit
  // with exit code 314 is thrown.
  void Run();

  RunState& State() { return run_; }
  int ExitCode() const { return run_.exitCode; }

  static constexpr int kValidationExitCode = 314;
  // Window messages are processed at most this often between lines.
  static constexpr uint64_t kMessagePumpMs = 315;

 private:
  bool Prepare();
  void PreInitialize();
  void BuildLabelTable();
  bool SingleInstanceCollision();
  void Initialize();
  void RemoveResumeEntries();
  void InjectCommandLine();

  void LineLoop();
  void PumpMessagesIfDue();
  void RefreshBeforeLine();
  void ApplyCacheOverride();
  void RefreshDateAndTime(std::string& date, std::string& time);
  bool Move();
  void Execute(size_t line);
  void ExitCleanup();
  void ReportRuntimeError(size_t line, const std::string& message);

  // Movement helpers; each returns the index of the line found.
  size_t ScanBranch(size_t from, bool endOnly);
  size_t ScanLoopForward(size_t from, LineFlow closer);
  size_t ScanLoopBackward(size_t from, LineFlow opener);
  size_t ScanToEnd(size_t from);
  bool Invisible(size_t line) const;
  void Advance();
  void WizardStep();
  void JumpTo(size_t line) { run_.nextIndex = line; }
  void ScannedLine(size_t& scanned);

  void If(CommandContext& context);
  void While(CommandContext& context);
  void Wend(size_t line);
  void Until(CommandContext& context);
  void Break(size_t line);
  void Continue(size_t line);
  void GoTo(CommandContext& context);

  EngineContext& engine_;
  const CommandTable& commands_;
  ProductBootstrap& bootstrap_;
  InterpreterHooks hooks_;
  RunState run_;
  // Per line, resolved once: its block role and its handler.
  std::vector<LineFlow> flow_;
  std::vector<CommandHandler> handlers_;
  uint64_t lastDateTick_ = 0;
  bool dateSet_ = false;
  // The per-line refresh reads and writes its variables in one store operation each.
  std::string reads_[7];
  std::string writes_[4];
  std::string traceTarget_;
  bool storeSilent_ = false;
};

}  // namespace qv::script
