#pragma once
// Reading the engine's command line: the tail, the silent and update switches, the valued
// switches and NAME=VALUE properties.
#include <string>
#include <string_view>
#include <vector>

namespace qv::startup {

struct CommandLine {
  std::string tail;         // everything after the program path, letter case kept
  bool silent = false;      // "/s", "-s", "/qn" or "-qn" in any letter case
  bool update = false;      // "/update" or "/updatesetup" (either switch character)
  std::string policyPath;   // value of "/g=", lower case
  std::string sfxPath;      // value of "/m=", lower case
  std::string logFile;      // value of "/l=" or "-l=", lower case
  std::string packagePath;  // value of "/p=" or "-p=", lower case
  // name, value, name, value, ... in command-line order; names upper case
  std::vector<std::string> properties;
};

// Arguments as the system splits a command line: blanks separate them, double quotes
// group words and are removed. Element 0 is the program path.
std::vector<std::string> SplitArguments(std::string_view commandLine);

// The text after the program path.
std::string CommandLineTail(std::string_view commandLine);

CommandLine ParseCommandLine(std::string_view commandLine);

}  // namespace qv::startup
