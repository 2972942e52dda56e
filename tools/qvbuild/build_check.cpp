#include "tools/qvbuild/build_check.h"

#include <algorithm>

#include "script/validator.h"
#include "script/variable_store.h"

namespace qv::authoring {

std::vector<Diagnostic> ValidateCompilation(const Compilation& compilation) {
  script::Script script(compilation.sections);
  script::VariableStore store;
  script::ValidationResult result = script::ValidateScript(script, store, /*stopAtFirst=*/false);
  // In script order, as an author reads them; the passes find them in their own order.
  std::stable_sort(result.failures.begin(), result.failures.end(),
                   [](const auto& a, const auto& b) { return a.line < b.line; });
  std::vector<Diagnostic> out;
  for (const auto& f : result.failures) {
    Diagnostic d;
    if (f.line < compilation.lines.size()) {
      d.file = compilation.lines[f.line].file;
      d.at = {compilation.lines[f.line].line, 0};
    } else {
      d.file = "(script)";
    }
    d.message = f.message;
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace qv::authoring
