#pragma once
#include <string>

#include "startup/command_line.h"

namespace qv::startup {

// The values start-up owns for the whole process. Folders end with a backslash.
struct StartupValues {
  std::string exePath;
  std::string exeFolder;
  std::string exeBaseName;
  std::string tempFolder;
  std::string supportArchive;
  std::string supportFolder;
  std::string dataFolder;
  std::string msiPath;
  CommandLine commandLine;
};

}  // namespace qv::startup
