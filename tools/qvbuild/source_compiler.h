#pragma once
// Compiles a setup source (the main file with its Setup header, and the files it
// includes) into the sections of a setup script, remembering where each script line
// came from.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/script.h"
#include "tools/qvbuild/diagnostics.h"

namespace qv::authoring {

// Where the builder finds source files (the disk, or memory in tests).
class SourceReader {
 public:
  virtual ~SourceReader() = default;
  virtual std::optional<std::string> Read(const std::string& path) = 0;
};

class DiskSourceReader : public SourceReader {
 public:
  std::optional<std::string> Read(const std::string& path) override;
};

class MemorySourceReader : public SourceReader {
 public:
  std::map<std::string, std::string> files;
  std::optional<std::string> Read(const std::string& path) override;
};

struct CompileOptions {
  // The revision code of this build; without it the header's RevisionCode, and without
  // that a new one (a release build).
  std::optional<std::string> revisionCode;
};

struct SourceLocation {
  std::string file;  // as the builder opened it, for messages
  int line = 0;      // 1-based
};

struct Compilation {
  script::ScriptSections sections;
  std::vector<SourceLocation> lines;  // per script line
  Diagnostics diagnostics;
  bool Ok() const { return !diagnostics.HasErrors(); }
};

Compilation CompileSource(const std::string& mainPath, SourceReader& reader, const CompileOptions& options = {});
// The main source given as text; its includes are read through `reader`.
Compilation CompileText(std::string_view text, const std::string& mainPath, SourceReader& reader,
                        const CompileOptions& options = {});

}  // namespace qv::authoring
