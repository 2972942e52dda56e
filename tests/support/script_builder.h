#pragma once
// Scripts for tests, written as a list of lines: command name, parameters, and whether
// the line is switched off. Ids are made from the line number; every line with
// parameters gets its record, and the source position names "test.qvs" and the line.
#include <cstdio>
#include <string>
#include <vector>

#include "script/script.h"

namespace qv::testing {

struct ScriptLine {
  std::string name;
  std::vector<std::string> params = {};
  bool off = false;
};

inline std::string TestLineId(size_t line) {
  char id[64];
  std::snprintf(id, sizeof id, "{5C0F7E2A-1B3D-4E5F-8A9B-%012zX}", line + 1);
  return id;
}

inline script::ScriptSections BuildScript(const std::vector<ScriptLine>& lines, const std::string& title = "Demo") {
  script::ScriptSections s;
  for (size_t i = 0; i < lines.size(); ++i) {
    const ScriptLine& l = lines[i];
    s.commandNames.push_back(l.name);
    s.commandIds.push_back(TestLineId(i));
    s.lineFlags.push_back(l.off ? "C" : "");
    s.lineMediaFolders.push_back("");
    s.sourcePositions.push_back("C:\\Projects\\test.qvs*" + std::to_string(i));
    if (l.params.empty()) continue;
    s.parameterLines.push_back(TestLineId(i));
    for (const auto& p : l.params) s.parameterLines.push_back(p);
  }
  s.productCode = "{11111111-2222-3333-4444-555555555555}";
  s.productTitle = title;
  s.details.publisher = "Brelmont";
  s.details.version = "1.0.0.0";
  s.revisionCode = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
  s.defaultLanguage = "English";
  return s;
}

}  // namespace qv::testing
