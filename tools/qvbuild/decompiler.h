#pragma once
// From a compiled setup script back to a source that builds the same script: the same
// command names, parameters, line flags and sections, with the ids (and source
// positions) kept as annotations.
#include <string>
#include <string_view>
#include <vector>

#include "script/script.h"

namespace qv::authoring {

struct DecompileOptions {
  // @at annotations keep the original source positions; without them a rebuild records
  // the positions of the decompiled file.
  bool keepPositions = true;
  std::string origin;  // named in the opening comment
};

struct Decompilation {
  std::string source;              // UTF-8
  std::vector<std::string> notes;  // where building the source would not give the input back
};

// The decompiled source is built once more in memory and compared with the input; any
// difference is named in the notes.
Decompilation Decompile(const script::ScriptSections& sections, const DecompileOptions& options = {});

// The script of a setup executable (the data after its image) or a raw script text.
// Throws script::ScriptLoadError (or EngineError) when there is no readable script.
script::ScriptSections ReadSetupScript(std::string_view bytes);

// A text written as a bare word when it reads back as itself, else in double quotes.
std::string SourceValue(std::string_view ansi);

}  // namespace qv::authoring
