#include "startup/engine_commands.h"

#include "script/expression_commands.h"
#include "script/string_commands.h"
#include "script/variable_commands.h"
#include "system/file_and_registry_commands.h"
#include "system/system_settings_commands.h"

namespace qv::startup {

const script::CommandTable& EngineCommands() {
  static const script::CommandTable table = [] {
    script::CommandTable t;
    script::RegisterVariableCommands(t);
    script::RegisterExpressionCommands(t);
    script::RegisterStringCommands(t);
    system::RegisterSystemSettingsCommands(t);
    system::RegisterFileAndRegistryCommands(t);
    return t;
  }();
  return table;
}

}  // namespace qv::startup
