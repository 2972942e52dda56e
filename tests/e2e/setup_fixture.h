#pragma once
// A setup made for one end-to-end test: the win64 engine with a script, a support folder
// packed into its archive and the archive component, in a scratch folder.
#include <optional>
#include <string>
#include <vector>

#include "e2e/wine_harness.h"
#include "script/script.h"

namespace qv::e2e {

class SetupFixture {
 public:
  SetupFixture();

  // Writes NAME.exe (with the script, or the engine alone), NAME.res from `supportFiles`
  // (none: no archive) and zel.lib.
  void Build(const std::optional<script::ScriptSections>& script,
             const std::optional<std::vector<std::pair<std::string, std::string>>>& supportFiles,
             const std::string& languageText = {});
  std::string Exe() const { return scratch_ / "demo.exe"; }
  std::string Res() const { return scratch_ / "demo.res"; }

  ProcessResult Run(const std::vector<std::string>& args, int seconds = 60);
  Process Start(const std::vector<std::string>& args);

  // The trace of the last run written to C:\qv-e2e\trace.log, as raw bytes and lines.
  static constexpr const char* kTraceArg = "/l=C:\\qv-e2e\\trace.log";
  std::string TraceBytes() const;
  std::vector<std::string> TraceLines() const;

  // The support folders zel1, zel2, ... left in the prefix's temporary folder.
  std::vector<std::string> SupportFolders() const;
  void RemoveSupportFolders() const;
  std::string TempHostPath() const;

 private:
  ScratchFolder scratch_;
};

}  // namespace qv::e2e
