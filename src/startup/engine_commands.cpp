#include "startup/engine_commands.h"

#include "script/expression_commands.h"
#include "script/string_commands.h"
#include "script/variable_commands.h"

namespace qv::startup {

const script::CommandTable& EngineCommands() {
  static const script::CommandTable table = [] {
    script::CommandTable t;
    script::RegisterVariableCommands(t);
    script::RegisterExpressionCommands(t);
    script::RegisterStringCommands(t);
    return t;
  }();
  return table;
}

}  // namespace qv::startup
