#pragma once
// "Read from Text File" and "Write to Text File". Reading goes line by line through one
// text file that stays open between commands, so that a loop of reads walks a file;
// writing adds a line at the top or the end of a file.
#include "script/command_table.h"

namespace qv::system {

void RegisterTextFileCommands(script::CommandTable& table);

// Closes the text file that "Read from Text File" keeps open between commands, if one
// is open. The interpreter's exit stage calls it; the next read opens the file anew.
void CloseOpenTextFile();

}  // namespace qv::system
