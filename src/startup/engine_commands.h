#pragma once
// The engine's one dispatch table: every subsystem's commands, registered by exact name.
#include "script/command_table.h"

namespace qv::startup {

const script::CommandTable& EngineCommands();

}  // namespace qv::startup
