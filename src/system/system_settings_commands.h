#pragma once
// "Get System Settings", "Get OS or SP Level", "Get Folder Location", "Get Environment",
// "Get Temporary File" and "Set 64 Bit Mode": the machine's settings, folders and
// environment stored in script variables, and the platform later commands address.
// None of them stops the script when the system refuses a call: each stores the answer
// it gives for that case ("FALSE", an empty text, "0").
#include "script/command_table.h"
#include "script/system_command_scope.h"

namespace qv::system {

void RegisterSystemSettingsCommands(script::CommandTable& table);

void GetSystemSettingsCommand(script::CommandContext& c);
void GetOsOrSpLevelCommand(script::CommandContext& c);
void GetFolderLocationCommand(script::CommandContext& c);
void GetEnvironmentCommand(script::CommandContext& c);
void GetTemporaryFileCommand(script::CommandContext& c);
void Set64BitModeCommand(script::CommandContext& c);

// The system command scope of the line being run, with the steps the command takes.
inline script::SystemCommandScope CommandScope(script::CommandContext& c, script::ScopeSteps steps) {
  return script::SystemCommandScope(c.Machine(), c.Run().targetPlatform, c.Run().registryView, steps);
}

}  // namespace qv::system
