#pragma once
// One statement of a setup source turned into one script line: its command name (found
// by the longest match of the source's words against the known command names), its
// parameter lines, its line flag and its annotations.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/qvbuild/command_catalog.h"
#include "tools/qvbuild/diagnostics.h"
#include "tools/qvbuild/source_lexer.h"

namespace qv::authoring {

// The command names a source may use: every command of the catalog and the plug-in
// commands its header declares.
class CommandNames {
 public:
  explicit CommandNames(const std::vector<std::string>& plugInNames = {});

  struct Match {
    std::string name;
    const CommandInfo* command = nullptr;  // null for a declared plug-in the catalog does not list
    size_t words = 0;
  };
  // The longest name made of the bare words tokens[from], tokens[from + 1], ...
  std::optional<Match> Longest(const std::vector<Token>& tokens, size_t from, size_t end) const;
  // True when `word` after the command name `name` would start a longer command name.
  bool WouldExtend(std::string_view name, std::string_view word) const;
  // A known name close to the words at `from` (a letter-case slip or a small typo).
  std::string Closest(const std::vector<Token>& tokens, size_t from, size_t end) const;
  bool IsPlugIn(std::string_view name) const;

 private:
  struct Entry {
    std::vector<std::string> words;
    std::string name;
    const CommandInfo* command;
  };
  std::vector<Entry> entries_;  // longest first
  std::vector<std::string> plugIns_;
};

struct CompiledStatement {
  std::string name;                     // as the script stores it (ANSI)
  std::string idName;                   // the name its id is made from: a commented-out command keeps its own
  std::vector<std::string> parameters;  // ANSI
  bool hasRecord = false;               // a parameter record is written for the line
  std::string flag;                     // "" or "C" (switched off), or an annotated flag
  std::optional<std::string> id, position, media, header;
  Position at;
};

// Null (with the faults reported) when the statement cannot be compiled.
std::optional<CompiledStatement> CompileStatement(const LogicalLine& line, const CommandNames& names,
                                                  const std::string& file, Diagnostics& diagnostics);

// The ANSI text of a token, or a fault reported at the exact character.
std::optional<std::string> TokenToAnsi(const Token& token, const std::string& file, Diagnostics& diagnostics);

// Bare words a flag parameter accepts as they are, besides TRUE and FALSE in any case.
bool IsReferenceText(std::string_view text);

}  // namespace qv::authoring
