#pragma once
// The check a script must pass before its first line runs (and that the builder runs at
// build time): block structure, END/WEND/UNTIL totals, labels, the variables each line
// uses and defines, and the contents of Wizard Loops. It works in the variable store
// itself: the store is cleared, the names known before the first line are defined, the
// passes run, and the store is cleared again.
#include <string>
#include <vector>

#include "script/script.h"
#include "script/variable_store.h"

namespace qv::script {

struct ValidationFailure {
  size_t line;          // 0-based line index of the failing line
  std::string message;  // the engine's message, e.g. "LABEL undefined: Start"
};

struct ValidationResult {
  std::vector<ValidationFailure> failures;
  // Per line: "SKIP", or "FALSE" for a line of a system-changing command that is not
  // switched off (filled by the per-line pass).
  std::vector<std::string> executedLineFlags;
  bool Ok() const { return failures.empty(); }
};

// With `stopAtFirst` (the engine) the check ends at the first failure, as the passes
// do; without it (the builder) every pass runs over the whole script and reports every
// failure it finds.
ValidationResult ValidateScript(const Script& script, VariableStore& store, bool stopAtFirst = true);

}  // namespace qv::script
