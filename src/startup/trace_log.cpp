#include "startup/trace_log.h"

#include "common/text.h"

namespace qv::startup {

TraceLog::TraceLog(platform::FileSystem& files, platform::System& system)
    : files_(files), system_(system), ntFamily_(system.Version().IsNtFamily()) {}

void TraceLog::SetTarget(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  target_ = path;
}

std::string TraceLog::Target() const {
  std::lock_guard<std::mutex> guard(lock_);
  return target_;
}

bool TraceLog::FirstWritePending() const {
  std::lock_guard<std::mutex> guard(lock_);
  return firstWrite_;
}

void TraceLog::ClearFirstWrite() {
  std::lock_guard<std::mutex> guard(lock_);
  firstWrite_ = false;
}

void TraceLog::TraceLine(std::string_view line) {
  std::lock_guard<std::mutex> guard(lock_);
  if (target_.empty()) return;
  if (firstWrite_) {
    firstWrite_ = false;
    files_.WriteWholeFile(target_, {});
  }
  std::string ansi(line);
  ansi.append("\r\n");
  if (ntFamily_)
    files_.AppendToFile(target_, text::Utf16LeBytes(system_.AnsiToUtf16(ansi)));
  else
    files_.AppendToFile(target_, ansi);
}

}  // namespace qv::startup
