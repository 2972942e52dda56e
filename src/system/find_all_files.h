#pragma once
// "Find All Files": the folder search runs on a worker thread (TFindAllFilesThread) while
// the interpreter's thread waits for it, keeping the windows answering. The worker
// reports through the reserved progress variables (KORV_thProgress, KORV_thProgressText,
// KORV_LastDelegateTick); a cancel (KORV_IsCancelled) asks it to stop, and the find-files
// watchdog gives it up when it stops reporting for 5 seconds after the cancel.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "script/command_table.h"
#include "script/variable_store.h"
#include "system/file_search.h"

namespace qv::system {

void RegisterFindAllFiles(script::CommandTable& table);

// How a search on the worker ended.
struct FindAllFilesOutcome {
  std::vector<std::string> found;  // empty when the worker was given up
  bool cancelled = false;          // KORV_IsCancelled was seen while waiting
  bool givenUp = false;            // the watchdog gave the worker up
  // A given-up worker ends by itself once its system call returns; this waits for that.
  std::function<void()> waitForGivenUpWorker = [] {};
};

// The watchdog's interval: a worker that has not reported for this long after a cancel
// is given up.
inline constexpr uint64_t kFindFilesWatchdogMs = 5000;

// Runs the search of `files` on its worker and waits for it on the calling thread: in
// silent mode it only waits, otherwise it processes window messages and watches for a
// cancel meanwhile. `targetPlatform` decides the worker's own file-system redirection.
FindAllFilesOutcome RunFindAllFiles(platform::Platform& machine, platform::FileSystem& files,
                                    script::VariableStore& store, const FileSearch& search,
                                    const std::string& targetPlatform, bool silent);

// The list as delimited text: entries joined with "|", an entry with a blank, a control
// character, a double quote or a "|" in double quotes (its quotes doubled).
std::string DelimitedText(const std::vector<std::string>& entries);

}  // namespace qv::system
