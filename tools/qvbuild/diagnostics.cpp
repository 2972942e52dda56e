#include "tools/qvbuild/diagnostics.h"

namespace qv::authoring {

std::string FormatDiagnostic(const Diagnostic& d) {
  std::string out = d.file;
  if (d.at.line > 0) out += ":" + std::to_string(d.at.line);
  if (d.at.line > 0 && d.at.column > 0) out += ":" + std::to_string(d.at.column);
  out += ": ";
  if (d.severity == Severity::Warning) out += "warning: ";
  for (char c : d.message) {
    if (c == '\r' || c == '\n')
      out += "\n    ";
    else
      out.push_back(c);
  }
  return out;
}

void Diagnostics::Error(const std::string& file, Position at, std::string message) {
  Add({Severity::Error, file, at, std::move(message)});
}

void Diagnostics::Warning(const std::string& file, Position at, std::string message) {
  Add({Severity::Warning, file, at, std::move(message)});
}

void Diagnostics::Add(Diagnostic d) {
  if (d.severity == Severity::Error) ++errors_;
  list_.push_back(std::move(d));
}

}  // namespace qv::authoring
