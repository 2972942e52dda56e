// "Get OS or SP Level": the operating-system level ("XP", "SEVEN", ...) or the number of
// its service pack.
#include "system/system_info.h"
#include "system/system_settings_commands.h"

namespace qv::system {

void GetOsOrSpLevelCommand(script::CommandContext& c) {
  c.EnsureVariable(c.Param(1));
  std::string value;
  {
    auto scope = CommandScope(c, script::ScopeSteps::kViewThenRedirection);
    SystemInfo info(c.Machine(), c.Run().registryView);
    const VersionRecord v = info.Version();
    value = script::IsTrue(c.Param(2)) ? OsLevelName(v, info.Server()) : std::to_string(v.servicePack);
  }
  c.SetResult(c.Param(1), value);
}

}  // namespace qv::system
