#pragma once
// The command reference page (docs/commands.md), made from the command table.
#include <string>

namespace qv::authoring {

std::string CommandReferencePage();

}  // namespace qv::authoring
