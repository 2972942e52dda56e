#pragma once
// "Read Registry", "Check Registry" and "Delete Registry": the registry read or changed
// at once, in the registry view of the run's target platform.
#include <string>

#include "platform/registry.h"
#include "script/command_table.h"
#include "system/registry_access.h"

namespace qv::system {

void RegisterRegistryCommands(script::CommandTable& table);

// What "Check Registry" stores instead of a value.
inline constexpr std::string_view kNoKey = "NO$KEY";
inline constexpr std::string_view kNoValue = "NO$VALUE";
inline constexpr std::string_view kUnknownType = "UNKNOWN$TYPE";
inline constexpr std::string_view kReadError = "READ$ERROR";

// A value as "Check Registry" gives it: a string unexpanded, a double word as a signed
// decimal, binary data as upper-case hexadecimal digits, a multi-string's strings joined
// with $NEWLINE$; else one of the markers above.
std::string RegistryValueText(RegistryAccess& access, platform::RegRoot root, const std::string& key,
                              const std::string& name);

}  // namespace qv::system
