// "Get Temporary File": a new empty file in the engine's temporary folder, which the
// engine leaves behind for the script to use.
#include "system/system_settings_commands.h"

namespace qv::system {

void GetTemporaryFileCommand(script::CommandContext& c) {
  std::string path;
  {
    auto scope = CommandScope(c, script::ScopeSteps::kRedirectionOnly);
    // The folder of TEMPDIR as start-up found it; a file the system cannot create
    // leaves the path empty.
    if (c.Machine().Sys().CreateTempFile(c.Engine().startup.tempFolder, "zel", path) != platform::kSuccess)
      path.clear();
  }
  c.SetResult(c.Param(1), path);
}

}  // namespace qv::system
