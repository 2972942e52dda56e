#pragma once
// Messages of the builder about a source, each with its file and position.
#include <string>
#include <vector>

namespace qv::authoring {

// 1-based line and column (columns count characters); 0 means not known.
struct Position {
  int line = 0;
  int column = 0;
};

enum class Severity { Error, Warning };

struct Diagnostic {
  Severity severity = Severity::Error;
  std::string file;
  Position at;
  std::string message;
};

// "file:line:column: message", "file:line:column: warning: message"; the column is left
// out when it is not known. A line break inside a message (the engine writes some with
// CR) continues on an indented line.
std::string FormatDiagnostic(const Diagnostic& d);

class Diagnostics {
 public:
  void Error(const std::string& file, Position at, std::string message);
  void Warning(const std::string& file, Position at, std::string message);
  void Add(Diagnostic d);
  bool HasErrors() const { return errors_ > 0; }
  size_t ErrorCount() const { return errors_; }
  const std::vector<Diagnostic>& All() const { return list_; }

 private:
  std::vector<Diagnostic> list_;
  size_t errors_ = 0;
};

}  // namespace qv::authoring
