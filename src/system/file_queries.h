#pragma once
// "Get File Version", "Check File Version", "Does File/Folder Exist", "Check Disk Space"
// and "Delete Files Recursive": files and folders looked at, or cleared, at once.
#include <array>
#include <cstdint>
#include <string>

#include "script/command_table.h"

namespace qv::system {

void RegisterFileQueries(script::CommandTable& table);

using FourPartVersion = std::array<uint32_t, 4>;

// A version text as "Check File Version" reads its reference: up to four numbers, each
// before a "." or the rest of the text; a missing or unreadable last part is 0. False
// (with the text that is not a number) when a part before a "." is not a number.
bool ParseVersionText(std::string text, FourPartVersion& version, std::string& bad);

}  // namespace qv::system
