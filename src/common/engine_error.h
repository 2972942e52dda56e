#pragma once
// The error a command or a stage raises when it cannot go on. The interpreter and
// start-up catch it and report its message.
#include <stdexcept>
#include <string>

namespace qv {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace qv

namespace qv {

// Ends the process at once with an exit code, skipping every finishing stage (a script
// that fails validation ends this way).
class ProcessExit {
 public:
  explicit ProcessExit(int exitCode) : exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

}  // namespace qv
