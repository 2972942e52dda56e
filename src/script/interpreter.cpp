#include "script/interpreter.h"

#include <algorithm>

#include "common/text.h"
#include "common/win_path.h"
#include "script/conditions.h"
#include "script/predefined_variables.h"
#include "script/system_command_scope.h"
#include "script/validator.h"
#include "startup/engine_messages.h"

namespace qv::script {

// The block role of a line, resolved once from its command name.
enum class LineFlow : uint8_t {
  None,        // a command with a handler, or nothing to do
  Invisible,   // switched off, or "Ignore": no scan sees it
  If,
  ElseIf,
  Else,
  End,
  While,
  Wend,
  Repeat,
  Until,
  Break,
  Continue,
  Label,
  GoTo,
  WizardLoop,
  DisplayDialog,
  Terminate,
  TerminateWithExitCode,
  Plugin,
};

namespace {

LineFlow FlowOf(const std::string& name) {
  static const std::pair<const char*, LineFlow> kFlows[] = {
      {"If", LineFlow::If},
      {"Else If", LineFlow::ElseIf},
      {"Else", LineFlow::Else},
      {"End", LineFlow::End},
      {"While", LineFlow::While},
      {"Wend", LineFlow::Wend},
      {"Repeat", LineFlow::Repeat},
      {"Until", LineFlow::Until},
      {"Break", LineFlow::Break},
      {"Continue", LineFlow::Continue},
      {"Label", LineFlow::Label},
      {"GoTo Label", LineFlow::GoTo},
      {"Wizard Loop", LineFlow::WizardLoop},
      {"Display Dialog", LineFlow::DisplayDialog},
      {"Terminate Install", LineFlow::Terminate},
      {"Terminate with Exit Code", LineFlow::TerminateWithExitCode},
      {"Ignore", LineFlow::Invisible},
  };
  for (const auto& [n, f] : kFlows)
    if (name == n) return f;
  return LineFlow::None;
}

// Loop jumps process window messages after this many lines scanned.
constexpr size_t kScanPumpLines = 313;

// The variables of the per-line refresh.
const VariableName kLogged("LOGGED");
const VariableName kSilent("SILENT");
const VariableName kTitle("TITLE");
const VariableName kLogo("KORVLOGO");
const VariableName kOverrideCache("OVERRIDECACHE");
const VariableName kDate("DATE");
const VariableName kTime("TIME");
const VariableName kAbort("ABORT");
const VariableName kCancelled("KORV_IsCancelled");
const VariableName kAllUsers("ALLUSERS");
const VariableName kEngineCache("ENGINECACHE");
const VariableName kUninstallLink("UNINSTALLLINK");

const VariableName* const kRefreshReads[] = {&kLogged, &kSilent, &kTitle, &kLogo, &kOverrideCache, &kAllUsers};
enum { kReadLogged, kReadSilent, kReadTitle, kReadLogo, kReadOverrideCache, kReadAllUsers };
const VariableName* const kRefreshWrites[] = {&kDate, &kTime, &kEngineCache, &kUninstallLink};

}  // namespace

Interpreter::Interpreter(EngineContext& engine, const CommandTable& commands, ProductBootstrap& bootstrap,
                         InterpreterHooks hooks)
    : engine_(engine), commands_(commands), bootstrap_(bootstrap), hooks_(std::move(hooks)) {
  const Script& script = engine_.script;
  const auto& plugins = script.Sections().pluginCommands;
  flow_.resize(script.LineCount());
  handlers_.resize(script.LineCount());
  for (size_t i = 0; i < script.LineCount(); ++i) {
    const std::string& name = script.CommandName(i);
    bool plugin = std::any_of(plugins.begin(), plugins.end(),
                              [&](const std::string& p) { return text::EqualsNoCase(p, name); });
    flow_[i] = script.IsSwitchedOff(i) ? LineFlow::Invisible : plugin ? LineFlow::Plugin : FlowOf(name);
    handlers_[i] = commands_.Find(name);
  }
}

Interpreter::~Interpreter() = default;

// ---- preparation -----------------------------------------------------------------------

void Interpreter::Run() {
  if (!Prepare()) return;
  LineLoop();
}

bool Interpreter::Prepare() {
  auto& trace = engine_.trace;
  auto& store = engine_.store;

  trace.TraceLine("    <Variables>");
  run_ = RunState{};
  run_.msiPath = engine_.startup.msiPath;
  run_.rootFolder = engine_.startup.exeFolder;
  run_.registryView = ViewBetweenCommands(engine_.platform);
  trace.TraceLine("    </Variables>");

  trace.TraceLine("    <CompileScript>");
  ValidationResult validation = ValidateScript(engine_.script, store, true);
  if (!validation.Ok()) throw ProcessExit(kValidationExitCode);
  run_.executedLineFlags = std::move(validation.executedLineFlags);
  trace.TraceLine("    </CompileScript>");

  store.Clear();
  PreInitialize();

  trace.TraceLine("    <BootStrap>");
  bootstrap_.Run(engine_, run_);
  trace.TraceLine("    </BootStrap>");

  BuildLabelTable();
  if (SingleInstanceCollision()) return false;

  trace.TraceLine("    <korv>");
  Initialize();
  RemoveResumeEntries();
  InjectCommandLine();
  return true;
}

void Interpreter::PreInitialize() {
  PredefinedValues v;
  v.tickCount = std::to_string(engine_.platform.Sys().TickCount());
  v.targetDir = bootstrap_.ProductFolder(engine_);
  v.title = engine_.script.Sections().productTitle;
  v.allUsers = bootstrap_.AllUsers(engine_) ? "TRUE" : "FALSE";
  SetPredefinedVariables(engine_.store, VariablePhase::PreInitialization, v, "Pre-Initialization");
}

void Interpreter::BuildLabelTable() {
  const Script& script = engine_.script;
  for (size_t i = 0; i < script.LineCount(); ++i)
    if (script.CommandName(i) == "Label")
      run_.labels.emplace_back(text::UpperCase(script.GetParameter(script.CommandId(i), 1)), i);
}

// A setup marked single-instance does not run while another run of the same build holds
// its marker file in the temporary folder.
bool Interpreter::SingleInstanceCollision() {
  if (!text::EqualsNoCase(engine_.script.ExpandCompilerVariables("#SINGLEINSTANCE#"), "TRUE")) return false;
  auto& files = engine_.platform.Files();
  const std::string marker = engine_.startup.tempFolder + engine_.script.Sections().revisionCode + ".zel";
  if (files.FileExists(marker)) return true;
  if (files.WriteWholeFile(marker, {}) == platform::kSuccess) run_.singleInstanceMarker = marker;
  return false;
}

void Interpreter::Initialize() {
  const Script& script = engine_.script;
  const startup::StartupValues& s = engine_.startup;
  auto& sys = engine_.platform.Sys();
  PredefinedValues v;
  v.title = script.Sections().productTitle;
  v.exeFile = s.exePath;
  v.exeDir = s.exeFolder;
  if (hooks_.systemValues) hooks_.systemValues(run_, v);
  v.version = script.Sections().details.version;
  v.company = script.Sections().details.publisher;
  v.silent = s.commandLine.silent ? "TRUE" : "FALSE";
  v.logged = s.commandLine.logFile;
  v.cmdLine = s.commandLine.tail;
  if (!s.commandLine.sfxPath.empty()) {
    v.sfxPath = winpath::ExtractFilePath(s.commandLine.sfxPath);
    v.sfxFile = winpath::ExtractFileName(s.commandLine.sfxPath);
  }
  if (!s.commandLine.policyPath.empty()) v.gpoPath = winpath::ExtractFilePath(s.commandLine.policyPath);
  const bool glass = sys.DesktopCompositionEnabled() || (sys.VisualThemesActive() && sys.Version().major >= 6);
  v.glass = glass ? "TRUE" : "FALSE";
  v.date = sys.CurrentDateText();
  v.time = sys.CurrentTimeText();
  v.tempDir = s.tempFolder;
  v.supportDir = s.supportFolder;
  v.msiFile = s.msiPath;
  // A script is localized when its key table came with the support files; the language
  // is chosen here once translations are supported. Until then LANGUAGE stays empty.
  v.language.clear();
  SetPredefinedVariables(engine_.store, VariablePhase::Initialization, v, "Initialization");
}

// A restart scheduled by an earlier run of this product registered the setup to resume;
// this run is that resumption (or replaces it), so the entry goes.
void Interpreter::RemoveResumeEntries() {
  const std::string& code = engine_.script.Sections().productCode;
  if (code.size() < 9) return;
  const std::string name = code.substr(1, 8);
  auto& reg = engine_.platform.Reg();
  for (auto root : {platform::RegRoot::CurrentUser, platform::RegRoot::LocalMachine})
    for (const char* key : {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\",
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"})
      reg.DeleteValue(root, key, name, platform::RegView::Default);
}

void Interpreter::InjectCommandLine() {
  const auto& properties = engine_.startup.commandLine.properties;
  for (size_t i = 0; i + 1 < properties.size(); i += 2)
    engine_.store.SetVariable(properties[i], properties[i + 1], kOriginCommandLine);
}

// ---- the line loop -----------------------------------------------------------------

void Interpreter::LineLoop() {
  const size_t lines = engine_.script.LineCount();
  while (run_.nextIndex < lines) {
    PumpMessagesIfDue();
    RefreshBeforeLine();
    size_t line = SIZE_MAX;
    try {
      if (!Move()) break;
      line = run_.nextIndex - 1;
      if (line >= lines) break;
      if (engine_.script.IsSwitchedOff(line)) continue;
      engine_.store.SetVariable(kAbort, IsTrue(engine_.store.Get(kCancelled)) ? "TRUE" : "FALSE", "Cancel State");
      if (hooks_.lineGate && !hooks_.lineGate(line)) {
        ExitCleanup();
        return;
      }
      Execute(line);
    } catch (const ProcessExit&) {
      throw;
    } catch (const std::exception& error) {
      ReportRuntimeError(line == SIZE_MAX ? run_.nextIndex - 1 : line, error.what());
      ExitCleanup();
      return;
    }
    if (run_.leaveLoop) break;
  }
  engine_.trace.TraceLine("    </korv>");
  engine_.trace.TraceLine("    <ExitScript>");
  ExitCleanup();
  engine_.trace.TraceLine("    </ExitScript>");
}

void Interpreter::PumpMessagesIfDue() {
  uint64_t now = engine_.platform.Sys().TickCount();
  if (now - run_.lastMessagePump < kMessagePumpMs) return;
  engine_.platform.Ui().ProcessMessages();
  run_.lastMessagePump = now;
}

void Interpreter::RefreshBeforeLine() {
  auto& store = engine_.store;
  store.GetAll(kRefreshReads, reads_);
  if (reads_[kReadLogged] != traceTarget_) {
    traceTarget_ = reads_[kReadLogged];
    engine_.trace.SetTarget(traceTarget_);
  }
  run_.silent = IsTrue(reads_[kReadSilent]);
  if (run_.silent != storeSilent_) {
    storeSilent_ = run_.silent;
    store.SetSilent(run_.silent);
  }
  run_.title = reads_[kReadTitle];
  run_.logo = text::EqualsNoCase(reads_[kReadLogo], "TRUE");
  if (!reads_[kReadOverrideCache].empty() && reads_[kReadOverrideCache] != run_.appliedCacheOverride) {
    ApplyCacheOverride();
    store.GetAll(kRefreshReads, reads_);
  }
  RefreshDateAndTime(writes_[0], writes_[1]);
  // Translation tables of a newly chosen LANGUAGE are loaded here once translations are
  // supported.
  bootstrap_.CacheLocation(engine_, run_, IsTrue(reads_[kReadAllUsers]), reads_[kReadOverrideCache], writes_[2],
                           writes_[3]);
  store.SetVariables(kRefreshWrites, writes_, "Initialization");
}

// A cache folder named by OVERRIDECACHE replaces the recorded cache location, once it is
// known to be usable.
void Interpreter::ApplyCacheOverride() {
  auto& store = engine_.store;
  const std::string wanted = reads_[kReadOverrideCache];
  if (wanted.empty() || wanted == run_.appliedCacheOverride) return;
  auto& files = engine_.platform.Files();
  std::string folder = winpath::ExcludeTrailingBackslash(wanted);
  std::vector<std::string> created;
  for (std::string f = folder; !f.empty() && !files.FolderExists(f);) {
    created.push_back(f);
    std::string parent = winpath::ExcludeTrailingBackslash(winpath::ExtractFilePath(f));
    if (parent == f || (parent.size() == 2 && parent[1] == ':')) break;
    f = parent;
  }
  bool ok = true;
  for (auto it = created.rbegin(); it != created.rend() && ok; ++it)
    ok = files.CreateFolder(*it) == platform::kSuccess;
  if (ok && files.FolderExists(folder)) {
    const std::string applied = winpath::IncludeTrailingBackslash(folder);
    store.SetVariable("OVERRIDECACHE", applied, kOriginCommandLine);
    bootstrap_.Run(engine_, run_);
    run_.appliedCacheOverride = applied;
  } else {
    store.SetVariable("OVERRIDECACHE", "", "Failed Cache Override");
    run_.appliedCacheOverride.clear();
  }
  // Only the test of the folder made these; they go again, deepest first, when empty.
  for (const auto& f : created) files.RemoveFolder(f);
}

// DATE and TIME change at most once a second; formatting them again for every line of a
// tight loop would cost more than the line itself.
void Interpreter::RefreshDateAndTime(std::string& date, std::string& time) {
  auto& sys = engine_.platform.Sys();
  uint64_t now = sys.TickCount();
  if (dateSet_ && now - lastDateTick_ < 100) return;
  lastDateTick_ = now;
  dateSet_ = true;
  date = sys.CurrentDateText();
  time = sys.CurrentTimeText();
}

// ---- movement ----------------------------------------------------------------------

bool Interpreter::Invisible(size_t line) const { return flow_[line] == LineFlow::Invisible; }

void Interpreter::ScannedLine(size_t& scanned) {
  if (++scanned % kScanPumpLines == 0) engine_.platform.Ui().ProcessMessages();
}

void Interpreter::Advance() {
  const size_t lines = flow_.size();
  do {
    ++run_.nextIndex;
  } while (run_.nextIndex <= lines && Invisible(run_.nextIndex - 1));
}

// The next Else If, Else or End of the block the scan starts in (`endOnly`: its End),
// nested blocks skipped as wholes.
size_t Interpreter::ScanBranch(size_t from, bool endOnly) {
  int depth = 0;
  size_t scanned = 0;
  for (size_t i = from; i < flow_.size(); ++i, ScannedLine(scanned)) {
    LineFlow f = flow_[i];
    if (f == LineFlow::If || f == LineFlow::WizardLoop) {
      ++depth;
    } else if (f == LineFlow::End) {
      if (depth == 0) return i;
      --depth;
    } else if ((f == LineFlow::ElseIf || f == LineFlow::Else) && depth == 0 && !endOnly) {
      return i;
    }
  }
  throw EngineError("The end of the conditional block was not found");
}

size_t Interpreter::ScanLoopForward(size_t from, LineFlow closer) {
  int depth = 0;
  size_t scanned = 0;
  for (size_t i = from; i < flow_.size(); ++i, ScannedLine(scanned)) {
    LineFlow f = flow_[i];
    if (f == LineFlow::While || f == LineFlow::Repeat) {
      ++depth;
    } else if (f == LineFlow::Wend || f == LineFlow::Until) {
      if (depth == 0) {
        if (f == closer) return i;
        throw EngineError("The loop is closed by the wrong statement");
      }
      --depth;
    }
  }
  throw EngineError(closer == LineFlow::Wend ? "The WEND of the loop was not found" : "The UNTIL of the loop was not found");
}

size_t Interpreter::ScanLoopBackward(size_t from, LineFlow opener) {
  int depth = 0;
  size_t scanned = 0;
  for (size_t i = from + 1; i-- > 0; ScannedLine(scanned)) {
    LineFlow f = flow_[i];
    if (f == LineFlow::Wend || f == LineFlow::Until) {
      ++depth;
    } else if (f == LineFlow::While || f == LineFlow::Repeat) {
      if (depth == 0) {
        if (f == opener) return i;
        throw EngineError("The loop is opened by the wrong statement");
      }
      --depth;
    }
  }
  throw EngineError(opener == LineFlow::While ? "The WHILE of the loop was not found"
                                          : "The REPEAT of the loop was not found");
}

size_t Interpreter::ScanToEnd(size_t from) {
  for (size_t i = from; i < flow_.size(); ++i)
    if (flow_[i] == LineFlow::End) return i;
  throw EngineError("The END of the wizard loop was not found");
}

// Positions the run on the line to execute next; false when the script has ended.
bool Interpreter::Move() {
  const size_t current = run_.nextIndex == 0 ? 0 : run_.nextIndex - 1;
  if (run_.seekBranch) {
    run_.seekBranch = false;
    size_t j = ScanBranch(current + 1, false);
    if (flow_[j] == LineFlow::Else) {
      JumpTo(j + 1);
    } else {
      JumpTo(j);
      run_.reachedBySkip = true;
    }
  }
  if (run_.seekEnd) {
    run_.seekEnd = false;
    JumpTo(ScanBranch(run_.nextIndex == 0 ? 0 : run_.nextIndex, true));
    run_.reachedBySkip = true;
  }
  if (run_.wizardMode) {
    WizardStep();
    return true;
  }
  Advance();
  return true;
}

// In a Wizard Loop the run steps from dialog to dialog in the direction the last one
// chose, until it leaves the loop at its End.
void Interpreter::WizardStep() {
  const size_t current = run_.nextIndex - 1;
  auto leaveAt = [this](size_t end) {
    run_.wizardMode = false;
    run_.nextIndex = end + 1;
  };
  if (run_.wizardDirection == 0) {
    leaveAt(ScanToEnd(current + 1));
    return;
  }
  size_t i = current;
  for (;;) {
    if (run_.wizardDirection > 0) {
      if (++i >= flow_.size()) throw EngineError("The END of the wizard loop was not found");
    } else {
      if (i == 0) throw EngineError("The wizard loop was not found");
      --i;
    }
    LineFlow f = flow_[i];
    if (f == LineFlow::DisplayDialog) {
      run_.nextIndex = i + 1;
      return;
    }
    if (f == LineFlow::End) {
      leaveAt(i);
      return;
    }
    if (f == LineFlow::WizardLoop) {
      leaveAt(ScanToEnd(i + 1));
      return;
    }
  }
}

// ---- dispatch ----------------------------------------------------------------------

void Interpreter::Execute(size_t line) {
  CommandContext context(engine_, run_, line);
  switch (flow_[line]) {
    case LineFlow::End:
      run_.reachedBySkip = false;
      return;
    case LineFlow::Else:
      run_.seekEnd = true;
      return;
    case LineFlow::ElseIf:
      if (!run_.reachedBySkip) {
        run_.seekEnd = true;
        return;
      }
      run_.reachedBySkip = false;
      If(context);
      return;
    case LineFlow::If:
      If(context);
      return;
    case LineFlow::While:
      While(context);
      return;
    case LineFlow::Wend:
      Wend(line);
      return;
    case LineFlow::Repeat:
      run_.loopStack.push_back(LoopKind::Repeat);
      return;
    case LineFlow::Until:
      Until(context);
      return;
    case LineFlow::Break:
      Break(line);
      return;
    case LineFlow::Continue:
      Continue(line);
      return;
    case LineFlow::GoTo:
      GoTo(context);
      return;
    case LineFlow::WizardLoop:
      run_.wizardMode = true;
      run_.wizardDirection = 1;
      return;
    case LineFlow::Terminate:
      run_.leaveLoop = true;
      return;
    case LineFlow::TerminateWithExitCode: {
      int32_t code = 0;
      run_.exitCode = text::ParseInt32(context.Expanded(1), code) ? code : 0;
      run_.leaveLoop = true;
      return;
    }
    case LineFlow::Plugin:
      throw EngineError("The plug-in command \"" + context.Name() +
                        "\" cannot run: this engine does not run plug-in libraries yet");
    case LineFlow::Label:
    case LineFlow::Invisible:
      return;
    case LineFlow::DisplayDialog:
    case LineFlow::None:
      break;
  }
  if (CommandHandler handler = handlers_[line]) handler(context);
}

void Interpreter::If(CommandContext& context) {
  if (!EvaluateCondition(context)) run_.seekBranch = true;
}

void Interpreter::While(CommandContext& context) {
  if (EvaluateCondition(context)) {
    run_.loopStack.push_back(LoopKind::While);
    return;
  }
  JumpTo(ScanLoopForward(context.Line() + 1, LineFlow::Wend) + 1);
}

void Interpreter::Wend(size_t line) {
  if (!run_.loopStack.empty()) run_.loopStack.pop_back();
  JumpTo(ScanLoopBackward(line - 1, LineFlow::While));
}

void Interpreter::Until(CommandContext& context) {
  const bool done = EvaluateCondition(context);
  if (!run_.loopStack.empty()) run_.loopStack.pop_back();
  if (!done) JumpTo(ScanLoopBackward(context.Line() - 1, LineFlow::Repeat));
}

void Interpreter::Break(size_t line) {
  if (run_.loopStack.empty()) throw EngineError("Break outside of a loop");
  LineFlow closer = run_.loopStack.back() == LoopKind::While ? LineFlow::Wend : LineFlow::Until;
  size_t j = ScanLoopForward(line + 1, closer);
  run_.loopStack.pop_back();
  JumpTo(j + 1);
}

void Interpreter::Continue(size_t line) {
  if (run_.loopStack.empty()) throw EngineError("Continue outside of a loop");
  LineFlow opener = run_.loopStack.back() == LoopKind::While ? LineFlow::While : LineFlow::Repeat;
  JumpTo(ScanLoopBackward(line - 1, opener) + 1);
}

void Interpreter::GoTo(CommandContext& context) {
  const std::string label = text::UpperCase(context.Param(1));
  for (const auto& [name, line] : run_.labels) {
    if (name != label) continue;
    run_.seekBranch = run_.seekEnd = run_.reachedBySkip = run_.wizardMode = false;
    JumpTo(line);
    return;
  }
  throw EngineError("LABEL undefined: " + context.Param(1));
}

// ---- ending ------------------------------------------------------------------------

void Interpreter::ExitCleanup() {
  if (!run_.singleInstanceMarker.empty()) {
    engine_.platform.Files().RemoveFile(run_.singleInstanceMarker);
    run_.singleInstanceMarker.clear();
  }
  for (const auto& step : hooks_.exitCleanup) step();
}

void Interpreter::ReportRuntimeError(size_t line, const std::string& message) {
  if (run_.silent || engine_.store.Silent()) return;
  const Script& script = engine_.script;
  std::string text = engine_.messages.Text(startup::msg::kRuntimeErrorInScript) + "\r\r" +
                     "Source File: " + script.SourceFileOf(line) + "\r" +
                     "Line Number: " + std::to_string(script.SourceLineOf(line)) + "\r\r" + message;
  engine_.platform.Ui().ShowMessageBox(0, text, startup::WindowCaption(run_.title, run_.logo),
                                       platform::mb::kOk | platform::mb::kIconError);
}

}  // namespace qv::script
