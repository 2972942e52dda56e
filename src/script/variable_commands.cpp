#include "script/variable_commands.h"

#include <algorithm>

#include "common/text.h"

namespace qv::script {

SetVariableName ParseSetVariableName(std::string_view parameter) {
  SetVariableName result;
  size_t marker = parameter.find(kSaveMarker);
  if (marker != std::string_view::npos) {
    result.save = parameter.substr(marker + kSaveMarker.size()) == "TRUE";
    parameter = parameter.substr(0, marker);
  }
  result.name = ResultName(parameter);
  return result;
}

std::string LocalizationKey(std::string_view name) { return "CODEGEAR$" + std::string(name) + "$CODEGEAR"; }

namespace {

// Localization variables are translated under their own key rather than the line's id.
// Until translation tables exist a text is its own translation.
std::string LocalizedVariableText(const CommandContext& c, const std::string& key, std::string text) { return text; }

// The native engine keeps its uninstall log under NATIVE_LOGGING; a new value switches
// that log, and a value it cannot use as a log path is stored as empty. The native
// engine is not part of the run yet, so every value is kept as given.
std::string SwitchNativeLog(CommandContext& c, const std::string& value) { return value; }

// A dialog showing progress redraws it from PROGRESS and PROGRESSTEXT when a script sets
// either; there is no dialog host yet to tell.
void RefreshProgressDisplay(CommandContext& c) {}

void AddSavedVariable(RunState& run, const std::string& name) {
  auto same = [&](const std::string& saved) { return text::EqualsNoCase(saved, name); };
  if (std::none_of(run.savedVariables.begin(), run.savedVariables.end(), same)) run.savedVariables.push_back(name);
}

void SetVariableCommand(CommandContext& c) {
  std::string value = c.Store().ExpandVariables(c.Localized(2, 1));
  const SetVariableName target = ParseSetVariableName(c.Param(1));
  const std::string& name = target.name;
  if (name.empty()) return;
  c.EnsureVariable(name);
  VariableStore& store = c.Store();
  if (text::EqualsNoCase(name, "NATIVE_LOGGING") && value != store.GetVariable(name)) value = SwitchNativeLog(c, value);
  store.SetVariable(name, value, c.Origin());
  if (target.save) AddSavedVariable(c.Run(), name);

  // The engine's own state follows the value the variable holds now, which in silent
  // mode may be a command-line property's rather than the one just given.
  if (text::EqualsNoCase(name, "ABORT")) {
    store.SetVariable("KORV_IsCancelled", store.GetVariable(name), "Set Variable Tricke");
  } else if (text::EqualsNoCase(name, "KORV_TIMEOUT")) {
    int32_t seconds = 0;
    c.Run().timeoutSeconds = text::ParseInt32(store.GetVariable(name), seconds) ? seconds : 10;
  } else if (text::EqualsNoCase(name, "PROGRESS") || text::EqualsNoCase(name, "PROGRESSTEXT")) {
    RefreshProgressDisplay(c);
  }
}

void LocalizationVariableCommand(CommandContext& c) {
  const std::string name = ResultName(c.Param(1));
  if (name.empty()) return;
  std::string value = c.Store().ExpandVariables(LocalizedVariableText(c, LocalizationKey(name), c.Param(2)));
  c.EnsureVariable(name);
  c.Store().SetVariable(name, value, c.Origin());
}

}  // namespace

void RegisterVariableCommands(CommandTable& table) {
  table.Add("Set Variable", SetVariableCommand);
  table.Add("Localization Variable", LocalizationVariableCommand);
}

}  // namespace qv::script
