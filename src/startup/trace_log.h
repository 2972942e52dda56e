#pragma once
// The trace log: one element line per stage of a run, written only when a log file is
// named. Each line is written with its own open and close so the trace survives a crash.
#include <mutex>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/system.h"

namespace qv::startup {

class TraceLog {
 public:
  TraceLog(platform::FileSystem& files, platform::System& system);

  // The log file; empty means no trace. Set from the log switch and, before every script
  // line, from LOGGED.
  void SetTarget(const std::string& path);
  std::string Target() const;

  // Appends the line and CR LF. The first line of the process truncates the file. On the
  // NT family the line goes out as UTF-16 little-endian (no byte-order mark), otherwise
  // as ANSI text. A file that cannot be written costs the line, never the run.
  void TraceLine(std::string_view line);

  // The first-write flag, shared with writers that append to the same file.
  bool FirstWritePending() const;
  void ClearFirstWrite();

 private:
  platform::FileSystem& files_;
  platform::System& system_;
  mutable std::mutex lock_;
  std::string target_;
  bool firstWrite_ = true;
  bool ntFamily_;
};

}  // namespace qv::startup
