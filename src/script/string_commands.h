#pragma once
// "Convert Path", "Convert Case", "Replace String", "Extract Path" and "Parse String":
// commands that transform text held in variables.
#include <string>
#include <string_view>

#include "script/command_table.h"

namespace qv::script {

void RegisterStringCommands(CommandTable& table);

// The text rules of the commands, without a context.

// The first occurrence, or every occurrence, of `find` replaced, searching from the left
// without overlaps and never inside an inserted replacement. An empty `find` changes
// nothing. The subject's "$NEWLINE$" tokens stand for line breaks and stay whole: an
// occurrence that would take only part of one ("LINE", "$") is passed over.
std::string ReplaceText(std::string_view subject, std::string_view find, std::string_view replacement, bool ignoreCase,
                        bool all);

// One part of a path by "Extract Path" mode (0 file name, 1 its base name, 2 extension,
// 3 folder, 4 parent folder, 5 drive or network share, 6 doubled backslashes collapsed);
// any other mode gives the path unchanged.
std::string ExtractPathPart(std::string_view path, int64_t mode);

// The drive of a path: "C:" or "\\server\share"; empty when it has none.
std::string PathDrive(std::string_view path);

// The two parts "Parse String" makes of a text. `delimiter` is the delimiter (modes 0
// and 1) or the count (modes 2 and 3, already converted into `count`); the searches
// ignore letter case with `ignoreCase`. Modes outside 0 to 3 give two empty parts.
struct ParsedParts {
  std::string first;
  std::string second;
};
ParsedParts SplitText(std::string_view s, std::string_view delimiter, int64_t count, int64_t mode, bool ignoreCase);

}  // namespace qv::script
