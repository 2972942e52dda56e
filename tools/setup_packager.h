#pragma once
// Writes a setup's files from an engine executable, a compiled script and a support
// folder: NAME.exe (the engine image followed by the script), NAME.res (a ZIP of the
// support folder) and zel.lib (the archive component, with a language file appended
// when one is given). Used by the builders and by tests.
#include <optional>
#include <stdexcept>
#include <string>

namespace qv::tools {

class PackageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PackageInput {
  std::string engine;                     // host path of the engine executable
  std::optional<std::string> scriptText;  // the section text; none: an engine without a script
  std::optional<std::string> supportFolder;  // host folder; none: no .res is written
  std::optional<std::string> archiveComponent;  // host path of zel.lib; none: not copied
  std::string languageText;               // appended to zel.lib when not empty
  std::string outputFolder;               // host folder, created when missing
  std::string name;                       // file name of the setup without extension
  bool deterministic = true;              // fixed times and order in NAME.res
};

struct PackageResult {
  std::string exePath;
  std::string resPath;   // empty when no support folder was given
  std::string zelPath;   // empty when no archive component was given
  uint64_t stubSize = 0;
};

// Throws PackageError with a message that names the file and the fault.
PackageResult WritePackage(const PackageInput& input);

// The image part of an executable or library file: its bytes up to the end of the last
// section, without a symbol table or anything appended.
std::string ImageOf(const std::string& fileBytes, const std::string& what);

}  // namespace qv::tools
