#pragma once
// The engine's own validation, run at build time: every failure at the source line of
// the failing script line, with the engine's message text.
#include <vector>

#include "tools/qvbuild/diagnostics.h"
#include "tools/qvbuild/source_compiler.h"

namespace qv::authoring {

std::vector<Diagnostic> ValidateCompilation(const Compilation& compilation);

}  // namespace qv::authoring
