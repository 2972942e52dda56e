#pragma once
// The variables the engine defines before a script's first line, as data: name, the
// phase that sets it, whether validation knows it, and how its first value is found.
#include <string>
#include <string_view>
#include <vector>

#include "script/variable_store.h"

namespace qv::script {

enum class VariablePhase {
  PreInitialization,  // the worker variables, then TARGETDIR, STARTMENU, ALLUSERS
  Bootstrap,          // the product state
  Initialization,     // everything else, in table order
};

// The facts the first values are made of, gathered by the interpreter before it sets a
// phase. Folders end with a backslash; truth values are "TRUE" or "FALSE".
struct PredefinedValues {
  std::string tickCount;
  std::string targetDir;
  std::string title;
  std::string allUsers;
  std::string productCode;
  std::string revisionCode;
  std::string uninstallLink;
  std::string engineCache;
  std::string dataDir;
  std::string needsUpgrade = "FALSE";
  std::string maintenance = "FALSE";
  std::string nativeOldLog;
  std::string newInstance = "FALSE";
  std::string exeFile;
  std::string exeDir;
  std::string userName;
  std::string userCompany;
  std::string version;
  std::string company;
  std::string silent = "FALSE";
  std::string logged;
  std::string cmdLine;
  std::string sfxPath;
  std::string sfxFile;
  std::string gpoPath;
  std::string glass = "FALSE";
  std::string date;
  std::string time;
  std::string tempDir;
  std::string supportDir;
  std::string msiFile;
  std::string language;
};

struct PredefinedVariable {
  const char* name;
  VariablePhase phase;
  // Defined by validation before its per-line checks (all but the worker variables
  // and the three engine switches).
  bool knownToValidation;
  // Keeps a value set before initialization (NATIVE_ENGINE, OVERRIDECACHE).
  bool keepWhenDefined;
  std::string (*initial)(const PredefinedValues&);
};

// In table order.
const std::vector<PredefinedVariable>& PredefinedVariables();

// Sets every variable of one phase with the given origin.
void SetPredefinedVariables(VariableStore& store, VariablePhase phase, const PredefinedValues& values,
                            std::string_view origin);

// SETUPPATH: stored as a reference to the first folder that is set.
std::string SetupPathReference(const PredefinedValues& values);

}  // namespace qv::script
