#pragma once
// The interpreter's state for one run: where it is, the block and loop bookkeeping, and
// the values other commands share through it.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace qv::script {

enum class LoopKind { While, Repeat };

struct RunState {
  // Lines consumed; the line being executed is nextIndex - 1.
  size_t nextIndex = 0;
  bool seekBranch = false;     // a false If / Else If: skip to the block's next branch
  bool seekEnd = false;        // a taken branch reached Else If / Else: skip to its End
  bool reachedBySkip = false;  // the next Else If / End was reached by a skip
  bool wizardMode = false;
  int wizardDirection = 0;  // +1 next, -1 back, 0 cancel
  std::vector<LoopKind> loopStack;
  // (label name in upper case, line index)
  std::vector<std::pair<std::string, size_t>> labels;
  uint64_t lastMessagePump = 0;

  bool leaveLoop = false;  // Terminate Install / Terminate with Exit Code
  int exitCode = 0;

  // Refreshed before every line.
  bool silent = false;
  std::string title;
  bool logo = false;

  // "Win32", "x64" or "ia64": set by Set 64 Bit Mode; decides the registry view and
  // file-system redirection of the system command scope.
  std::string targetPlatform = "Win32";
  // The registry view of the command being run (set by the system command scope).
  platform::RegView registryView = platform::RegView::Default;
  std::string rootFolder;
  std::string msiPath;

  // Seconds that waiting commands wait (KORV_TIMEOUT).
  int timeoutSeconds = 10;
  // Variables kept in the saved-data file of the installation.
  std::vector<std::string> savedVariables;
  // Per line: "SKIP", or "FALSE" for a system-changing command not yet carried out.
  std::vector<std::string> executedLineFlags;

  std::string lastLanguage = "ZILCH";
  std::string appliedCacheOverride;
  std::string singleInstanceMarker;  // the marker file this run created, if any
};

}  // namespace qv::script
