#pragma once
// Script lines run through their command handlers on a simulated machine: the objects of
// a run wired together as start-up wires them (variable store, script, trace log, engine
// messages, start-up values, run state) and the dispatch table the handlers register in.
//
//   CommandFixture f;
//   script::RegisterVariableCommands(f.table);
//   f.Run("Set Variable", {"NAME", "value"});
//   EXPECT_EQ(f.store.Get("NAME"), "value");
#include <stdexcept>
#include <string>
#include <vector>

#include "common/engine_error.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_test_root.h"
#include "script/command_context.h"
#include "script/command_table.h"
#include "script/engine_context.h"
#include "script/run_state.h"
#include "script/script.h"
#include "script/system_command_scope.h"
#include "script/variable_store.h"
#include "startup/command_line.h"
#include "startup/engine_messages.h"
#include "startup/startup_values.h"
#include "startup/trace_log.h"
#include "support/sim_setup.h"

namespace qv::testing {

// One script line: its command name, its parameters 1, 2, ... and its line flag ("C"
// switches it off). A line without parameters gets no record.
struct TestLine {
  std::string name;
  std::vector<std::string> parameters;
  std::string flag = {};
};

class CommandFixture {
 public:
  explicit CommandFixture(platform::sim::OsProfile profile = platform::sim::profiles::Default())
      : machine_(root_.Path(), profile),
        trace(machine_.Files(), machine_.Sys()),
        engine{machine_, store, script, trace, messages, startupValues} {
    machine_.SimSys().SetExecutablePath(SimSetup::kExe);
    startupValues.exePath = SimSetup::kExe;
    startupValues.exeFolder = "C:\\Setup\\";
    startupValues.exeBaseName = "demo";
    startupValues.tempFolder = machine_.Sys().TempFolder();
    startupValues.supportFolder = startupValues.tempFolder + "zel1\\";
    run.rootFolder = startupValues.exeFolder;
    run.registryView = script::ViewBetweenCommands(machine_);
  }
  CommandFixture(const CommandFixture&) = delete;
  CommandFixture& operator=(const CommandFixture&) = delete;

  platform::sim::SimPlatform& Machine() { return machine_; }
  const platform::sim::testing::TempRoot& Root() const { return root_; }

  // Replaces the script by these lines, each with an id and its parameter record.
  void SetScript(const std::vector<TestLine>& lines) {
    std::vector<std::string> names;
    for (const auto& line : lines) names.push_back(line.name);
    script::ScriptSections sections = ScriptOf(names);
    for (size_t i = 0; i < lines.size(); ++i) {
      sections.lineFlags[i] = lines[i].flag;
      if (lines[i].parameters.empty()) continue;
      sections.parameterLines.push_back(sections.commandIds[i]);
      for (const auto& p : lines[i].parameters) sections.parameterLines.push_back(p);
    }
    script = script::Script(std::move(sections));
  }

  // The command line after the program path, read as start-up reads it: the silent
  // switch and the properties go to the store, and the properties are injected as the
  // interpreter injects them before the first line.
  void SetCommandLine(const std::string& arguments) {
    std::string full = std::string("\"") + SimSetup::kExe + "\" " + arguments;
    machine_.SimSys().SetCommandLine(full);
    startupValues.commandLine = startup::ParseCommandLine(full);
    const auto& properties = startupValues.commandLine.properties;
    store.SetSilent(startupValues.commandLine.silent);
    store.SetCommandLineProperties(properties);
    run.silent = startupValues.commandLine.silent;
    for (size_t i = 0; i + 1 < properties.size(); i += 2)
      store.SetVariable(properties[i], properties[i + 1], script::kOriginCommandLine);
  }

  // Runs the handler of one line of the script, with the run state where the line loop
  // has it while that line executes.
  void RunLine(size_t line) {
    script::CommandHandler handler = table.Find(script.CommandName(line));
    if (!handler) throw std::logic_error("no handler registered for \"" + script.CommandName(line) + "\"");
    run.nextIndex = line + 1;
    script::CommandContext context(engine, run, line);
    handler(context);
  }

  // The script made of this one line, run.
  void Run(const std::string& name, const std::vector<std::string>& parameters) {
    SetScript({{name, parameters, ""}});
    RunLine(0);
  }

  // The message of the runtime error the line raises; empty when it runs through.
  std::string RunError(const std::string& name, const std::vector<std::string>& parameters) {
    try {
      Run(name, parameters);
    } catch (const EngineError& error) {
      return error.what();
    }
    return {};
  }

 private:
  platform::sim::testing::TempRoot root_;
  platform::sim::SimPlatform machine_;

 public:
  script::VariableStore store;
  script::Script script;
  startup::EngineMessages messages;
  startup::TraceLog trace;
  startup::StartupValues startupValues;
  script::EngineContext engine;
  script::RunState run;
  script::CommandTable table;
};

}  // namespace qv::testing
