#include "system/system_settings_commands.h"

namespace qv::system {

void RegisterSystemSettingsCommands(script::CommandTable& table) {
  table.Add("Get System Settings", GetSystemSettingsCommand);
  table.Add("Get OS or SP Level", GetOsOrSpLevelCommand);
  table.Add("Get Folder Location", GetFolderLocationCommand);
  table.Add("Get Environment", GetEnvironmentCommand);
  table.Add("Get Temporary File", GetTemporaryFileCommand);
  table.Add("Set 64 Bit Mode", Set64BitModeCommand);
}

}  // namespace qv::system
