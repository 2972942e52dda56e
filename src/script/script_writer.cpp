// Writing the section text of a setup script (the builder's side of the loader).
#include "common/text.h"
#include "script/script.h"

namespace qv::script {
namespace {

class SectionWriter {
 public:
  void Line(std::string_view line) {
    if (line.find_first_of("\r\n") != std::string_view::npos)
      throw EngineError("A setup script line cannot hold a line break; write it as $NEWLINE$: " +
                        std::string(line.substr(0, 60)));
    out_.append(line).append("\r\n");
  }
  void List(const std::vector<std::string>& lines) {
    for (const auto& l : lines) {
      if (l == "$") throw EngineError("A lone \"$\" line would end its section early");
      Line(l);
    }
    Line("$");
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace

std::string WriteScript(const ScriptSections& s) {
  SectionWriter w;
  w.List(s.commandNames);
  w.List(s.commandIds);
  for (const auto& p : s.parameterLines) w.Line(p == "$" ? "$DOLLAR$" : std::string_view(p));
  w.Line("$");
  w.List(s.lineFlags);
  w.Line(s.productCode);
  w.Line(s.productTitle);
  w.List(s.pluginCommands);
  w.Line(s.details.publisher);
  w.Line(s.details.contact);
  w.Line(s.details.helpLink);
  w.Line(s.details.updateInfoLink);
  w.Line(s.details.comments);
  w.Line(s.details.version);
  w.List(s.webMediaPasswords);
  w.List(s.lineMediaFolders);
  w.Line(std::to_string(s.mediaMode));
  w.List(s.componentSizes);
  w.Line(s.revisionCode);
  w.List(s.extractionMap);
  w.Line(s.languageChoice ? "TRUE" : "FALSE");
  w.Line(s.defaultLanguage);
  w.List(s.commandHeaderMap);
  w.List(s.compilerVariables);
  w.Line(std::to_string(s.fileNameCodePage));
  w.List(s.sourcePositions);
  w.Line(std::to_string(s.totalPayloadSize));
  w.List(s.fileGroups);
  return w.Take();
}

}  // namespace qv::script
