#pragma once
// The commands that query the registry, files and folders, and read or write INI, XML and
// text files at once: one registration for all of them.
#include "script/command_table.h"

namespace qv::system {

// Read Registry, Check Registry, Delete Registry, Get File Version, Check File Version,
// Does File/Folder Exist, Check Disk Space, Delete Files Recursive, Find All Files,
// Get INI File Settings, Get XML File Settings, Read from Text File, Write to Text File.
void RegisterFileAndRegistryCommands(script::CommandTable& table);

}  // namespace qv::system
