#pragma once
// What a command handler gets: its line, its parameters in the forms commands read them,
// the variable store with the assignment rules of commands, and the run's objects.
#include <string>
#include <string_view>

#include "common/engine_error.h"
#include "script/engine_context.h"
#include "script/run_state.h"

namespace qv::script {

class CommandContext {
 public:
  CommandContext(EngineContext& engine, RunState& run, size_t line);

  EngineContext& Engine() { return engine_; }
  RunState& Run() { return run_; }
  VariableStore& Store() { return engine_.store; }
  platform::Platform& Machine() { return engine_.platform; }
  const script::Script& CurrentScript() const { return engine_.script; }

  size_t Line() const { return line_; }
  const std::string& Name() const { return engine_.script.CommandName(line_); }
  const std::string& Id() const { return engine_.script.CommandId(line_); }

  // Parameter k as the script holds it.
  std::string Param(int k) const;
  // Parameter k in the active language (translation slot `slot`); the parameter itself
  // while no language is active.
  std::string Localized(int k, int slot) const;
  // ExpandVariables of parameter k.
  std::string Expanded(int k) const;
  // NormalizeText of parameter k (a path).
  std::string Normalized(int k) const;

  // "<command name> Action", the origin of the command's assignments.
  std::string Origin() const;
  // Assigns a result variable named by a parameter (bare or as a reference); a variable
  // that does not exist yet is first created empty under its name in upper case. An
  // empty name assigns nothing.
  void SetResult(std::string_view nameParameter, std::string_view value);
  // Creates the variable empty (name in upper case) when it does not exist.
  void EnsureVariable(std::string_view nameParameter);

  // Raises the runtime error that ends the run.
  [[noreturn]] void Fail(const std::string& message) const;

 private:
  EngineContext& engine_;
  RunState& run_;
  size_t line_;
  // The line's record, looked up by the first parameter read.
  mutable bool recordFound_ = false;
  mutable ParameterRecord record_;
};

// ExpandVariables, then doubled backslashes collapsed to one, keeping a leading pair.
std::string NormalizeText(const VariableStore& store, std::string_view text);
// The variable name a result parameter gives: the name inside a reference, or the text.
std::string ResultName(std::string_view parameter);
// A 32- or 64-bit integer parameter, or a runtime error naming what was expected.
int64_t IntegerOrFail(const CommandContext& context, std::string_view text, std::string_view what);

using CommandHandler = void (*)(CommandContext&);

}  // namespace qv::script
