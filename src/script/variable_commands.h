#pragma once
// "Set Variable" and "Localization Variable".
#include <string>
#include <string_view>

#include "script/command_table.h"

namespace qv::script {

void RegisterVariableCommands(CommandTable& table);

// The separator of a "Set Variable" name parameter and its save option: the name, the
// marker, then "TRUE" when the variable goes into the saved-data file.
inline constexpr std::string_view kSaveMarker = "$KORV$KORV$";

// The variable name of a "Set Variable" name parameter (the marker and the option cut
// off, a reference stripped) and whether the option asks for saving.
struct SetVariableName {
  std::string name;
  bool save = false;
};
SetVariableName ParseSetVariableName(std::string_view parameter);

// The translation key of a "Localization Variable" value.
std::string LocalizationKey(std::string_view name);

}  // namespace qv::script
