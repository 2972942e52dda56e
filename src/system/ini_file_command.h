#pragma once
// "Get INI File Settings": one value of an INI file, read as the system's profile
// functions read it.
#include "script/command_table.h"

namespace qv::system {

void RegisterIniFileCommand(script::CommandTable& table);

}  // namespace qv::system
