#include "tools/qvbuild/decompiler.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>

#include "common/pe_image.h"
#include "common/text.h"
#include "tools/qvbuild/ansi_text.h"
#include "tools/qvbuild/command_catalog.h"
#include "tools/qvbuild/source_compiler.h"
#include "tools/qvbuild/statement_compiler.h"

namespace qv::authoring {
namespace {

bool SafeBare(std::string_view s) {
  if (s.empty() || s == "\\" || s.substr(0, 2) == "//" || s[0] == '@') return false;
  for (unsigned char c : s)
    if (c <= ' ' || c == '"' || c == 0x7F) return false;
  return true;
}

std::string Quoted(std::string_view utf8) { return "\"" + text::ReplaceAll(utf8, "\"", "\"\"") + "\""; }

// How a value reads back depends on its kind: a bare flag is upper-cased and checked, a
// bare number checked; such values are quoted unless they come back unchanged.
std::string Value(std::string_view ansi, Kind kind) {
  std::string utf8 = AnsiToUtf8(ansi);
  if (!SafeBare(utf8)) return Quoted(utf8);
  if (kind == Kind::Flag) {
    std::string upper = text::UpperCase(ansi);
    bool word = upper == "TRUE" || upper == "FALSE";
    if (word ? ansi != upper : !(ansi == "-1" || IsReferenceText(ansi))) return Quoted(utf8);
  } else if (kind == Kind::Number) {
    int64_t ignored;
    if (!text::ParseInt64(ansi, ignored) && !IsReferenceText(ansi)) return Quoted(utf8);
  }
  return utf8;
}

bool IsConditionKeyword(std::string_view s) { return s == "not" || OperatorByWord(s) != nullptr; }

struct LineView {
  std::string name, id, flag, media, position;
  bool hasRecord = false;
  std::vector<std::string> parameters;
};

// The record of each line: the parameter lines from its id (first match, letter case
// ignored, as the engine looks it up) to the next record.
std::vector<LineView> Lines(const script::ScriptSections& s) {
  std::unordered_map<std::string, size_t> first;
  for (size_t i = 0; i < s.parameterLines.size(); ++i) first.emplace(text::UpperCase(s.parameterLines[i]), i);
  size_t n = s.commandNames.size();
  auto at = [](const std::vector<std::string>& v, size_t i) { return i < v.size() ? v[i] : std::string(); };
  std::vector<size_t> starts(n, std::string::npos);
  std::set<size_t> sorted;
  for (size_t i = 0; i < n; ++i) {
    auto it = first.find(text::UpperCase(at(s.commandIds, i)));
    if (it != first.end()) sorted.insert(starts[i] = it->second);
  }
  std::vector<LineView> lines(n);
  for (size_t i = 0; i < n; ++i) {
    LineView& l = lines[i];
    l.name = s.commandNames[i];
    l.id = at(s.commandIds, i);
    l.flag = at(s.lineFlags, i);
    l.media = at(s.lineMediaFolders, i);
    l.position = at(s.sourcePositions, i);
    if (starts[i] == std::string::npos) continue;
    auto next = sorted.upper_bound(starts[i]);
    size_t end = next == sorted.end() ? s.parameterLines.size() : *next;
    l.hasRecord = true;
    l.parameters.assign(s.parameterLines.begin() + starts[i] + 1, s.parameterLines.begin() + end);
  }
  return lines;
}

class StatementFormatter {
 public:
  explicit StatementFormatter(const CommandNames& names) : names_(names) {}

  // The statement (prefix, command, parameters) that compiles back to the line; a line
  // whose record does not fit its command's parameters keeps its name in quotes.
  std::string Format(const LineView& l) const {
    std::string readable = Readable(l);
    if (!readable.empty() && ReadsBack(readable, l)) return readable;
    std::string raw = Prefix(l) + Quoted(AnsiToUtf8(l.name));
    for (const auto& p : l.parameters) raw += " " + Value(p, Kind::Text);
    return raw;
  }

 private:
  static std::string Prefix(const LineView& l) { return l.flag == "C" ? "off: " : ""; }

  std::string Readable(const LineView& l) const {
    const CommandInfo* command = FindCommand(l.name);
    const std::vector<ParameterInfo>* parameters = command ? &command->parameters : nullptr;
    if (!command && names_.IsPlugIn(l.name)) parameters = &PlugInParameters();
    if (!parameters) return {};
    std::vector<std::string> words;
    if (command && command->form == Form::Free) {
      if (l.hasRecord && l.parameters.empty()) return {};
      for (const auto& p : l.parameters) words.push_back(Value(p, Kind::Text));
    } else {
      bool fits = l.hasRecord ? l.parameters.size() == parameters->size() : parameters->empty();
      if (!fits) return {};
      if (command && command->form == Form::Condition)
        words = Condition(l.parameters, *command);
      else if (command && command->form == Form::SetVariable)
        words = SetVariable(l.parameters);
      else
        words = Positional(l.parameters, *parameters);
    }
    if (!words.empty() && words[0][0] != '"' && names_.WouldExtend(l.name, words[0])) words[0] = Quoted(words[0]);
    std::string out = Prefix(l) + AnsiToUtf8(l.name);
    for (const auto& w : words) out += " " + w;
    return out;
  }

  // Parameters by position; empty ones at the end are left out, the builder writes them.
  static std::vector<std::string> Positional(const std::vector<std::string>& p,
                                             const std::vector<ParameterInfo>& kinds) {
    size_t count = p.size();
    while (count > 0 && p[count - 1].empty()) --count;
    std::vector<std::string> words;
    for (size_t k = 0; k < count; ++k) words.push_back(Value(p[k], kinds[k].kind));
    return words;
  }


  static std::vector<std::string> Condition(const std::vector<std::string>& p, const CommandInfo& command) {
    auto word = [](const std::string& ansi, Kind kind) {
      return IsConditionKeyword(ansi) ? Quoted(ansi) : Value(ansi, kind);
    };
    const ConditionOperator* op = OperatorByCode(p[1]);
    bool readable = op && (p[3] == "TRUE" || p[3] == "FALSE") && (op->takesValue || p[2].empty());
    std::vector<std::string> words;
    if (!readable) {
      for (size_t k = 0; k < p.size(); ++k) words.push_back(word(p[k], command.parameters[k].kind));
      return words;
    }
    if (p[3] == "TRUE") words.emplace_back("not");
    words.push_back(word(p[0], Kind::Variable));
    words.emplace_back(op->word);
    if (op->takesValue) words.push_back(word(p[2], Kind::Text));
    return words;
  }

  static std::vector<std::string> SetVariable(const std::vector<std::string>& p) {
    std::string name = p[0], option;
    size_t marker = name.find(kSaveMarker);
    if (marker != std::string::npos) {
      std::string after = name.substr(marker + kSaveMarker.size());
      if (after == "TRUE" || after == "FALSE") {
        option = after == "TRUE" ? "save" : "nosave";
        name = name.substr(0, marker);
      }
    }
    std::vector<std::string> words{Value(name, Kind::Variable), Value(p[1], Kind::Text)};
    if (!option.empty()) words.push_back(option);
    return words;
  }

  bool ReadsBack(const std::string& statement, const LineView& l) const {
    Diagnostics quiet;
    auto lines = LexSource(statement, "", quiet);
    if (lines.size() != 1) return false;
    auto back = CompileStatement(lines[0], names_, "", quiet);
    return back && !quiet.HasErrors() && back->name == l.name && back->parameters == l.parameters &&
           back->hasRecord == l.hasRecord && back->flag == (l.flag == "C" ? "C" : "");
  }

  const CommandNames& names_;
};

class HeaderWriter {
 public:
  void Line(std::string_view key, const std::vector<std::string>& ansiValues) {
    out_ += "  " + std::string(key);
    for (const auto& v : ansiValues) out_ += " " + SourceValue(v);
    out_ += "\n";
  }
  // A flat list written as entries of `width` values, the last one possibly shorter.
  void List(std::string_view key, const std::vector<std::string>& list, size_t width) {
    for (size_t i = 0; i < list.size(); i += width)
      Line(key, std::vector<std::string>(list.begin() + i, list.begin() + std::min(list.size(), i + width)));
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

// The command header map as @header annotations, when it lists lines in order with one
// entry each; otherwise it stays in the Setup header as it is.
std::optional<std::vector<std::optional<std::string>>> HeadersByLine(const script::ScriptSections& s) {
  const auto& map = s.commandHeaderMap;
  if (map.size() % 2) return std::nullopt;
  std::vector<std::optional<std::string>> perLine(s.commandNames.size());
  int64_t last = -1;
  for (size_t i = 0; i < map.size(); i += 2) {
    int64_t line;
    if (!text::ParseInt64(map[i + 1], line) || std::to_string(line) != map[i + 1] || line <= last ||
        line >= static_cast<int64_t>(perLine.size()))
      return std::nullopt;
    perLine[line] = map[i];
    last = line;
  }
  return perLine;
}

std::string Header(const script::ScriptSections& s, bool headerMap) {
  HeaderWriter w;
  w.Line("ProductCode", {s.productCode});
  w.Line("RevisionCode", {s.revisionCode});
  w.Line("Title", {s.productTitle});
  w.Line("Publisher", {s.details.publisher});
  w.Line("Contact", {s.details.contact});
  w.Line("HelpLink", {s.details.helpLink});
  w.Line("UpdateLink", {s.details.updateInfoLink});
  w.Line("Comments", {s.details.comments});
  w.Line("Version", {s.details.version});
  w.Line("MediaMode", {std::to_string(s.mediaMode)});
  w.Line("DefaultLanguage", {s.defaultLanguage});
  w.Line("LanguageChoice", {s.languageChoice ? "TRUE" : "FALSE"});
  w.Line("FileNameCodePage", {std::to_string(s.fileNameCodePage)});
  if (s.totalPayloadSize != 0) w.Line("PayloadSize", {std::to_string(s.totalPayloadSize)});
  w.List("PluginCommand", s.pluginCommands, 1);
  w.List("CompilerVariable", s.compilerVariables, 2);
  w.List("ComponentSize", s.componentSizes, 2);
  w.List("ExtractionMap", s.extractionMap, 3);
  if (headerMap) w.List("CommandHeader", s.commandHeaderMap, 2);
  for (size_t i = 0; i < s.fileGroups.size(); i += 2) {
    if (i + 1 < s.fileGroups.size() && s.fileGroups[i + 1] == "NEWHEADER")
      w.Line("FileGroup", {s.fileGroups[i]});
    else
      w.Line("GroupFile", std::vector<std::string>(s.fileGroups.begin() + i,
                                                   s.fileGroups.begin() + std::min(s.fileGroups.size(), i + 2)));
  }
  // Passwords are written in the clear when scrambling them again gives the stored text.
  for (size_t i = 0; i + 1 < s.webMediaPasswords.size(); i += 2) {
    const std::string& stored = s.webMediaPasswords[i + 1];
    std::string clear = script::UnscramblePassword(stored);
    bool plain = std::none_of(clear.begin(), clear.end(), [](unsigned char c) { return c < ' ' || c == 0x7F; });
    try {
      plain = plain && script::ScramblePassword(clear) == stored;
    } catch (const EngineError&) {
      plain = false;
    }
    w.Line(plain ? "WebMediaPassword" : "StoredWebMediaPassword", {s.webMediaPasswords[i], plain ? clear : stored});
  }
  if (s.webMediaPasswords.size() % 2) w.Line("StoredWebMediaPassword", {s.webMediaPasswords.back()});
  return "Setup\n" + w.Take() + "End Setup\n";
}

bool Opens(const std::string& name) {
  return name == "If" || name == "While" || name == "Repeat" || name == "Wizard Loop";
}
bool Closes(const std::string& name) { return name == "End" || name == "Wend" || name == "Until"; }
bool Continues(const std::string& name) { return name == "Else" || name == "Else If"; }

// The first section where two scripts differ, for the notes.
std::string FirstDifference(const script::ScriptSections& a, const script::ScriptSections& b) {
  auto list = [](const char* what, const std::vector<std::string>& x,
                 const std::vector<std::string>& y) -> std::string {
    if (x == y) return {};
    size_t i = 0;
    while (i < x.size() && i < y.size() && x[i] == y[i]) ++i;
    return std::string(what) + " differ from entry " + std::to_string(i + 1);
  };
  for (auto d :
       {list("command names", a.commandNames, b.commandNames), list("command ids", a.commandIds, b.commandIds),
        list("parameter records", a.parameterLines, b.parameterLines), list("line flags", a.lineFlags, b.lineFlags),
        list("plug-in commands", a.pluginCommands, b.pluginCommands),
        list("web media passwords", a.webMediaPasswords, b.webMediaPasswords),
        list("line media folders", a.lineMediaFolders, b.lineMediaFolders),
        list("component sizes", a.componentSizes, b.componentSizes),
        list("extraction map", a.extractionMap, b.extractionMap),
        list("command header map", a.commandHeaderMap, b.commandHeaderMap),
        list("compiler variables", a.compilerVariables, b.compilerVariables),
        list("source positions", a.sourcePositions, b.sourcePositions),
        list("file groups", a.fileGroups, b.fileGroups)})
    if (!d.empty()) return d;
  return "the single-line sections differ";
}

}  // namespace

std::string SourceValue(std::string_view ansi) { return Value(ansi, Kind::Text); }

Decompilation Decompile(const script::ScriptSections& s, const DecompileOptions& options) {
  std::vector<std::string> plugIns;
  for (const auto& p : s.pluginCommands) plugIns.push_back(AnsiToUtf8(p));
  CommandNames names(plugIns);
  StatementFormatter formatter(names);

  Decompilation out;
  // The opening comment takes its place last, when it is known whether the source builds
  // the same script.
  auto headers = HeadersByLine(s);
  out.source = "//\n" + Header(s, !headers) + "\n";
  int depth = 0;
  auto lines = Lines(s);
  for (size_t i = 0; i < lines.size(); ++i) {
    const LineView& l = lines[i];
    bool structural = l.flag != "C";
    int indent = depth;
    if (structural && (Continues(l.name) || Closes(l.name))) indent = std::max(0, depth - 1);
    if (structural && Closes(l.name)) depth = indent;
    if (structural && Opens(l.name)) ++depth;
    std::string line = std::string(2 * indent, ' ') + formatter.Format(l);
    line += "  @id " + SourceValue(l.id);
    if (options.keepPositions) line += " @at " + SourceValue(l.position);
    if (!l.media.empty()) line += " @media " + SourceValue(l.media);
    if (headers && (*headers)[i]) line += " @header " + SourceValue(*(*headers)[i]);
    if (!l.flag.empty() && l.flag != "C") line += " @flag " + SourceValue(l.flag);
    out.source += line + "\n";
  }

  // Build the result once more and compare.
  MemorySourceReader reader;
  Compilation back = CompileText(out.source, "decompiled.qvs", reader);
  for (const auto& d : back.diagnostics.All())
    if (d.severity == Severity::Error) out.notes.push_back("line " + std::to_string(d.at.line) + ": " + d.message);
  if (back.Ok()) {
    script::ScriptSections expected = s;
    if (!options.keepPositions) expected.sourcePositions = back.sections.sourcePositions;
    std::string a, b;
    try {
      a = script::WriteScript(expected);
      b = script::WriteScript(back.sections);
    } catch (const std::exception& e) {
      out.notes.push_back(e.what());
    }
    if (a != b)
      out.notes.push_back("building the source gives a different script: " + FirstDifference(expected, back.sections));
  }
  std::string from = options.origin.empty() ? std::string() : " from " + options.origin;
  out.source.replace(
      0, 3,
      "// Decompiled" + from + " by qvbuild; " +
          (out.notes.empty() ? "building it gives the same script.\n"
                             : "building it does not give the same script (see the builder's warnings).\n"));
  return out;
}

script::ScriptSections ReadSetupScript(std::string_view bytes) {
  std::string_view text = bytes;
  pe::Image image;
  if (bytes.substr(0, 2) == "MZ" && pe::ParseHeaders(bytes, image)) {
    uint64_t stub = image.StubSize();
    if (stub >= bytes.size()) throw EngineError("the executable carries no setup script");
    text = bytes.substr(stub);
  }
  return script::LoadScript(text).Sections();
}

}  // namespace qv::authoring
