// "Set 64 Bit Mode": the platform later commands address, which decides the registry
// view and file-system redirection of their system command scope.
#include "system/system_settings_commands.h"

namespace qv::system {

void Set64BitModeCommand(script::CommandContext& c) {
  // In this order, so the last true flag wins; all false leaves the platform as it is.
  static const char* const kPlatforms[] = {"Win32", "ia64", "x64"};
  for (int k = 1; k <= 3; ++k)
    if (script::IsTrue(c.Param(k))) c.Run().targetPlatform = kPlatforms[k - 1];
}

}  // namespace qv::system
