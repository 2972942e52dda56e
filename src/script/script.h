#pragma once
// The loaded setup script: the per-line lists, the parameter tables and the global
// tables, with the lookups the rest of the engine performs on them.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/engine_error.h"

namespace qv::script {

// A damaged script text: it ends before all sections were read, or an integer line does
// not hold a number.
class ScriptLoadError : public EngineError {
 public:
  using EngineError::EngineError;
};

// A list of lines with a hashed lookup of the first line equal to a text, letter case
// ignored.
class ParameterTable {
 public:
  explicit ParameterTable(std::vector<std::string> lines);
  // A table over lines that someone else keeps (the script's own section).
  explicit ParameterTable(std::span<const std::string> lines);
  std::span<const std::string> Lines() const { return lines_; }
  // Position of the first line equal to `text`, or -1.
  int64_t IndexOf(std::string_view text) const;

 private:
  void Index();
  std::vector<std::string> owned_;
  std::span<const std::string> lines_;
  struct Slot {
    uint32_t position;  // position + 1; 0 is empty
    uint32_t hash;
  };
  std::vector<Slot> slots_;
};

// Where the record of a command is: the table holding its id line and that line's
// position (no table when the command has no record).
struct ParameterRecord {
  const ParameterTable* table = nullptr;
  int64_t position = -1;
};

struct ProductDetails {
  std::string publisher;
  std::string contact;
  std::string helpLink;
  std::string updateInfoLink;
  std::string comments;
  std::string version;
};

// The 22 sections, in file order.
struct ScriptSections {
  std::vector<std::string> commandNames;       // 1
  std::vector<std::string> commandIds;         // 2
  std::vector<std::string> parameterLines;     // 3, with "$" tokens restored
  std::vector<std::string> lineFlags;          // 4
  std::string productCode;                     // 5
  std::string productTitle;                    // 6
  std::vector<std::string> pluginCommands;     // 7
  ProductDetails details;                      // 8
  std::vector<std::string> webMediaPasswords;  // 9
  std::vector<std::string> lineMediaFolders;   // 10
  int32_t mediaMode = 1;                       // 11
  std::vector<std::string> componentSizes;     // 12
  std::string revisionCode;                    // 13
  std::vector<std::string> extractionMap;      // 14
  bool languageChoice = false;                 // 15
  std::string defaultLanguage;                 // 16
  std::vector<std::string> commandHeaderMap;   // 17
  std::vector<std::string> compilerVariables;  // 18
  int32_t fileNameCodePage = 1252;             // 19
  std::vector<std::string> sourcePositions;    // 20
  int64_t totalPayloadSize = 0;                // 21
  std::vector<std::string> fileGroups;         // 22
};

class Script {
 public:
  Script() = default;
  explicit Script(ScriptSections sections);
  // Moving keeps the lines where they are; the script's own table refers to them.
  Script(Script&&) = default;
  Script& operator=(Script&&) = default;

  const ScriptSections& Sections() const { return s_; }
  size_t LineCount() const { return s_.commandNames.size(); }

  // Per-line access; an index past a (damaged) section gives empty text.
  const std::string& CommandName(size_t line) const { return At(s_.commandNames, line); }
  const std::string& CommandId(size_t line) const { return At(s_.commandIds, line); }
  const std::string& LineFlag(size_t line) const { return At(s_.lineFlags, line); }
  const std::string& MediaFolder(size_t line) const { return At(s_.lineMediaFolders, line); }
  bool IsSwitchedOff(size_t line) const { return LineFlag(line) == "C"; }

  // Parameter k of the command with this id (0 gives the id line itself); empty when no
  // table holds the id. Reading past the end of a table raises an EngineError.
  std::string GetParameter(std::string_view id, int k) const;
  // The same in two steps, for a command that reads several parameters.
  ParameterRecord FindRecord(std::string_view id) const;
  std::string GetParameter(const ParameterRecord& record, std::string_view id, int k) const;
  // Tables consulted after the script's own (plug-ins add theirs).
  void AddParameterTable(std::vector<std::string> lines);

  std::string ExpandCompilerVariables(std::string_view text) const;
  // The header id of a line from the command header map. With the native engine only
  // the file-carrying kinds have one. Empty results raise an EngineError unless
  // `seeding` (the start-up pass that seeds the per-header state may find none).
  std::string GetHeaderId(size_t line, bool nativeEngine, bool seeding = false) const;
  int64_t GetComponentSize(std::string_view name) const;
  std::string GetWebMediaPassword(std::string_view blockName) const;
  // File name (no folder, no extension) and 1-based line number of a line's source.
  std::string SourceFileOf(size_t line) const;
  int64_t SourceLineOf(size_t line) const;

  // The bootstrap may take these from an instance file before the first line runs.
  void ReplaceIdentity(const std::string& productCode, const std::string& revisionCode,
                       const std::string& title);

 private:
  static const std::string& At(const std::vector<std::string>& list, size_t i);
  ScriptSections s_;
  std::vector<std::unique_ptr<ParameterTable>> tables_;
};

// Reads a script text (CR LF lines in the ANSI code page) into its sections.
Script LoadScript(std::string_view text);

// The section text of a script, as the builder appends it to the engine; loading it
// gives the same sections back. Parameter lines that are a lone "$" are written as the
// "$DOLLAR$" token.
std::string WriteScript(const ScriptSections& sections);

// The stored form of a web media archive password and back.
std::string ScramblePassword(std::string_view password);
std::string UnscramblePassword(std::string_view stored);

}  // namespace qv::script
