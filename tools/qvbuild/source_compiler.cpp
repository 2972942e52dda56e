#include "tools/qvbuild/source_compiler.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <type_traits>

#include "common/text.h"
#include "tools/qvbuild/guid.h"
#include "tools/qvbuild/source_lexer.h"
#include "tools/qvbuild/statement_compiler.h"

namespace qv::authoring {
namespace fs = std::filesystem;
namespace {

constexpr int kMaxIncludeDepth = 32;

// The header keys, with the number of values each takes.
struct HeaderKey {
  std::string_view key;
  size_t minValues, maxValues;
  bool repeatable;
};
constexpr HeaderKey kHeaderKeys[] = {
    {"ProductCode", 1, 1, false},
    {"RevisionCode", 1, 1, false},
    {"Title", 1, 1, false},
    {"Publisher", 1, 1, false},
    {"Contact", 1, 1, false},
    {"HelpLink", 1, 1, false},
    {"UpdateLink", 1, 1, false},
    {"Comments", 1, 1, false},
    {"Version", 1, 1, false},
    {"MediaMode", 1, 1, false},
    {"DefaultLanguage", 1, 1, false},
    {"LanguageChoice", 1, 1, false},
    {"FileNameCodePage", 1, 1, false},
    {"PayloadSize", 1, 1, false},
    {"PluginCommand", 1, 1, true},
    {"CompilerVariable", 2, 2, true},
    {"ComponentSize", 2, 2, true},
    {"ExtractionMap", 1, 3, true},
    {"CommandHeader", 2, 2, true},
    {"FileGroup", 1, 1, true},
    {"GroupFile", 1, 2, true},
    {"WebMediaPassword", 2, 2, true},
    {"StoredWebMediaPassword", 2, 2, true},
};

const HeaderKey* FindHeaderKey(std::string_view key) {
  for (const auto& k : kHeaderKeys)
    if (k.key == key) return &k;
  return nullptr;
}

std::string WindowsPath(const fs::path& p) {
  std::string s = p.generic_string();
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

struct PlacedStatement {
  CompiledStatement statement;
  std::string file;     // for messages
  std::string relPath;  // for the source positions and the ids
};

class Builder {
 public:
  Builder(SourceReader& reader, const CompileOptions& options, const std::string& mainPath)
      : reader_(reader), options_(options), mainPath_(mainPath) {
    fs::path dir = fs::path(mainPath).parent_path();
    mainDir_ = dir.empty() ? fs::path(".") : dir;
  }

  Compilation Run(std::string_view mainText) {
    auto lines = LexSource(mainText, mainPath_, out_.diagnostics);
    size_t first = ReadHeader(lines);
    names_ = CommandNames(plugInNames_);
    included_.insert(Normal(mainPath_));
    ReadStatements(lines, first, mainPath_, 0);
    Finish();
    return std::move(out_);
  }

 private:
  Diagnostics& D() { return out_.diagnostics; }
  script::ScriptSections& S() { return out_.sections; }

  static std::string Normal(const std::string& path) { return fs::path(path).lexically_normal().string(); }

  std::string RelativePath(const std::string& path) const {
    fs::path rel = fs::path(path).lexically_normal().lexically_relative(mainDir_.lexically_normal());
    return WindowsPath(rel.empty() ? fs::path(path) : rel);
  }

  // --- The Setup header ---------------------------------------------------------------

  size_t ReadHeader(const std::vector<LogicalLine>& lines) {
    if (lines.empty() || !(lines[0].tokens.size() == 1 && lines[0].tokens[0].Is("Setup"))) {
      D().Error(mainPath_, lines.empty() ? Position{1, 0} : lines[0].at,
                "the source must start with a Setup header: Setup, then ProductCode and Title lines (and the other "
                "setup details), then End Setup");
      return 0;
    }
    headerAt_ = lines[0].at;
    for (size_t i = 1; i < lines.size(); ++i) {
      const auto& t = lines[i].tokens;
      if (t.size() == 2 && t[0].Is("End") && t[1].Is("Setup")) {
        CheckRequiredHeaderFields();
        return i + 1;
      }
      HeaderLine(lines[i]);
    }
    D().Error(mainPath_, headerAt_, "the Setup header is not closed: End Setup is missing");
    return lines.size();
  }

  void HeaderLine(const LogicalLine& line) {
    const Token& keyToken = line.tokens[0];
    const HeaderKey* key = keyToken.quoted ? nullptr : FindHeaderKey(keyToken.text);
    if (!key) {
      std::string known;
      for (const auto& k : kHeaderKeys) known += (known.empty() ? "" : ", ") + std::string(k.key);
      D().Error(mainPath_, keyToken.at, "unknown Setup header entry \"" + keyToken.text + "\" (known: " + known + ")");
      return;
    }
    size_t count = line.tokens.size() - 1;
    if (count < key->minValues || count > key->maxValues) {
      std::string want = key->minValues == key->maxValues
                             ? std::to_string(key->minValues)
                             : std::to_string(key->minValues) + " to " + std::to_string(key->maxValues);
      D().Error(mainPath_, keyToken.at,
                std::string(key->key) + " takes " + want + (key->maxValues == 1 ? " value" : " values") + "; " +
                    std::to_string(count) + " given (quote a value that holds blanks)");
      return;
    }
    if (!key->repeatable) {
      auto [it, fresh] = seenKeys_.emplace(std::string(key->key), keyToken.at);
      if (!fresh) {
        D().Error(mainPath_, keyToken.at,
                  std::string(key->key) + " is given twice (first at line " + std::to_string(it->second.line) + ")");
        return;
      }
    }
    std::vector<std::string> v;
    for (size_t k = 1; k < line.tokens.size(); ++k) {
      auto ansi = TokenToAnsi(line.tokens[k], mainPath_, D());
      if (!ansi) return;
      v.push_back(*ansi);
    }
    ApplyHeader(key->key, v, line.tokens);
  }

  void ApplyHeader(std::string_view key, const std::vector<std::string>& v, const std::vector<Token>& t) {
    auto& s = S();
    const Position at = t[1].at;
    auto integer = [&](auto& target, const char* what) {
      int64_t n;
      if (!text::ParseInt64(v[0], n) || n < std::numeric_limits<std::decay_t<decltype(target)>>::min() ||
          n > std::numeric_limits<std::decay_t<decltype(target)>>::max()) {
        D().Error(mainPath_, at, std::string(key) + " must be " + what);
        return false;
      }
      target = static_cast<std::decay_t<decltype(target)>>(n);
      return true;
    };
    auto guid = [&](std::string& target) {
      if (!IsGuid(v[0]))
        D().Error(mainPath_, at,
                  std::string(key) + " must be a GUID in braces, such as {0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}");
      target = v[0];
    };
    auto list = [&](std::vector<std::string>& target, std::vector<std::string> values) {
      for (size_t k = 0; k < values.size(); ++k) {
        if (values[k] == "$") {
          D().Error(mainPath_, t[std::min(k + 1, t.size() - 1)].at,
                    "a value that is a lone \"$\" would end its script section");
          return;
        }
      }
      target.insert(target.end(), values.begin(), values.end());
    };

    if (key == "ProductCode") {
      guid(s.productCode);
    } else if (key == "RevisionCode") {
      guid(headerRevision_.emplace());
    } else if (key == "Title") {
      s.productTitle = v[0];
    } else if (key == "Publisher") {
      s.details.publisher = v[0];
    } else if (key == "Contact") {
      s.details.contact = v[0];
    } else if (key == "HelpLink") {
      s.details.helpLink = v[0];
    } else if (key == "UpdateLink") {
      s.details.updateInfoLink = v[0];
    } else if (key == "Comments") {
      s.details.comments = v[0];
    } else if (key == "Version") {
      s.details.version = v[0];
    } else if (key == "MediaMode") {
      if (integer(s.mediaMode, "a number: 1, 2 (web media) or 3") && (s.mediaMode < 1 || s.mediaMode > 3))
        D().Warning(mainPath_, at, "the engine knows the media modes 1, 2 and 3");
    } else if (key == "DefaultLanguage") {
      defaultLanguageSet_ = true;
      s.defaultLanguage = v[0];
    } else if (key == "LanguageChoice") {
      std::string upper = text::UpperCase(v[0]);
      if (upper != "TRUE" && upper != "FALSE") D().Error(mainPath_, at, "LanguageChoice must be TRUE or FALSE");
      s.languageChoice = upper == "TRUE";
    } else if (key == "FileNameCodePage") {
      integer(s.fileNameCodePage, "a code page number, such as 1252");
    } else if (key == "PayloadSize") {
      integer(s.totalPayloadSize, "a number of bytes");
    } else if (key == "PluginCommand") {
      list(s.pluginCommands, v);
      plugInNames_.push_back(t[1].text);
    } else if (key == "CompilerVariable") {
      list(s.compilerVariables, v);
    } else if (key == "ComponentSize") {
      int64_t n;
      if (!text::ParseInt64(v[1], n)) D().Warning(mainPath_, t[2].at, "a component size is a number of bytes");
      list(s.componentSizes, v);
    } else if (key == "ExtractionMap") {
      list(s.extractionMap, v);
    } else if (key == "CommandHeader") {
      list(s.commandHeaderMap, v);
    } else if (key == "FileGroup") {
      list(s.fileGroups, {v[0], "NEWHEADER"});
    } else if (key == "GroupFile") {
      list(s.fileGroups, v);
    } else if (key == "WebMediaPassword") {
      try {
        list(s.webMediaPasswords, {v[0], script::ScramblePassword(v[1])});
      } catch (const EngineError& e) {
        D().Error(mainPath_, t[2].at, e.what());
      }
    } else if (key == "StoredWebMediaPassword") {
      list(s.webMediaPasswords, v);
    }
  }

  void CheckRequiredHeaderFields() {
    for (const char* key : {"ProductCode", "Title"})
      if (!seenKeys_.count(key))
        D().Error(mainPath_, headerAt_,
                  std::string("the Setup header has no ") + key +
                      (std::string(key) == "ProductCode" ? " (the product's GUID, the same for every build)"
                                                         : " (the product's display title)"));
  }

  // --- Statements ---------------------------------------------------------------------

  void ReadStatements(const std::vector<LogicalLine>& lines, size_t first, const std::string& file, int depth) {
    for (size_t i = first; i < lines.size(); ++i) {
      const auto& t = lines[i].tokens;
      if (t[0].Is("include")) {
        Include(lines[i], file, depth);
        continue;
      }
      if (t.size() == 1 && t[0].Is("Setup")) {
        D().Error(file, lines[i].at, "a Setup header can only come first, in the main source");
        while (i + 1 < lines.size() && !(lines[i + 1].tokens.size() == 2 && lines[i + 1].tokens[0].Is("End") &&
                                         lines[i + 1].tokens[1].Is("Setup")))
          ++i;
        ++i;
        continue;
      }
      auto statement = CompileStatement(lines[i], names_, file, D());
      if (statement) statements_.push_back({std::move(*statement), file, RelativePath(file)});
    }
  }

  void Include(const LogicalLine& line, const std::string& file, int depth) {
    const auto& t = line.tokens;
    if (t.size() != 2) {
      D().Error(file, t[0].at, "include takes one file name (quote it when it holds blanks)");
      return;
    }
    std::string path = (fs::path(file).parent_path() / fs::path(t[1].text)).lexically_normal().string();
    if (depth + 1 > kMaxIncludeDepth) {
      D().Error(file, t[1].at, "includes are nested too deeply");
      return;
    }
    if (!included_.insert(Normal(path)).second) {
      D().Error(file, t[1].at, "\"" + path + "\" is included a second time (or includes itself)");
      return;
    }
    auto text = reader_.Read(path);
    if (!text) {
      D().Error(file, t[1].at, "cannot read the included file \"" + path + "\"");
      return;
    }
    auto lines = LexSource(*text, path, D());
    if (!lines.empty() && lines[0].tokens.size() == 1 && lines[0].tokens[0].Is("Setup")) {
      D().Error(path, lines[0].at, "an included file cannot have a Setup header");
      return;
    }
    ReadStatements(lines, 0, path, depth + 1);
  }

  // --- The script ---------------------------------------------------------------------

  void Finish() {
    auto& s = S();
    if (!defaultLanguageSet_) s.defaultLanguage = "English";
    if (options_.revisionCode)
      s.revisionCode = *options_.revisionCode;
    else if (headerRevision_)
      s.revisionCode = *headerRevision_;
    else
      s.revisionCode = RandomGuid();
    WarnAboutUnlistedPlugIns();
    AssignIds();
    for (const auto& p : statements_) {
      const auto& st = p.statement;
      s.commandNames.push_back(st.name);
      s.lineFlags.push_back(st.flag);
      s.lineMediaFolders.push_back(st.media.value_or(""));
      s.sourcePositions.push_back(st.position.value_or(p.relPath + "*" + std::to_string(st.at.line - 1)));
      out_.lines.push_back({p.file, st.at.line});
    }
    for (size_t i = 0; i < statements_.size(); ++i) {
      const auto& st = statements_[i].statement;
      if (!st.header) continue;
      if (st.header->empty() || st.header->size() > 8 ||
          st.header->find_first_not_of("0123456789ABCDEF") != std::string::npos)
        D().Warning(statements_[i].file, st.at, "a header id is 1 to 8 upper-case hexadecimal digits");
      s.commandHeaderMap.push_back(*st.header);
      s.commandHeaderMap.push_back(std::to_string(i));
    }
    for (size_t i = 0; i < statements_.size(); ++i) {
      const auto& st = statements_[i].statement;
      if (!st.hasRecord) continue;
      s.parameterLines.push_back(s.commandIds[i]);
      s.parameterLines.insert(s.parameterLines.end(), st.parameters.begin(), st.parameters.end());
    }
  }

  void WarnAboutUnlistedPlugIns() {
    std::set<std::string> warned;
    for (const auto& p : statements_) {
      const CommandInfo* command = FindCommand(p.statement.name);
      if (!command || command->group != Group::PlugIns || names_.IsPlugIn(p.statement.name)) continue;
      if (warned.insert(p.statement.name).second)
        D().Warning(p.file, p.statement.at,
                    "\"" + p.statement.name +
                        "\" runs as a plug-in only when the Setup header lists it: add "
                        "PluginCommand \"" +
                        p.statement.name + "\"");
    }
  }

  // Ids given with @id are kept; the others are made from the product code, the file, the
  // command and its first parameter, so that they survive a rebuild and edits elsewhere.
  void AssignIds() {
    auto& ids = S().commandIds;
    ids.assign(statements_.size(), "");
    std::map<std::string, size_t> used;  // upper-case id -> statement
    for (size_t i = 0; i < statements_.size(); ++i) {
      const auto& st = statements_[i].statement;
      if (!st.id) continue;
      if (!IsGuid(*st.id)) D().Warning(statements_[i].file, st.at, "the id " + *st.id + " is not a GUID in braces");
      auto [it, fresh] = used.emplace(text::UpperCase(*st.id), i);
      if (!fresh) {
        const auto& other = statements_[it->second];
        D().Error(
            statements_[i].file, st.at,
            "the id " + *st.id + " is already used at " + other.file + ":" + std::to_string(other.statement.at.line));
      }
      ids[i] = *st.id;
    }
    GuidBytes space = ParseGuid(S().productCode).value_or(GuidBytes{});
    std::map<std::string, int> occurrences;
    for (size_t i = 0; i < statements_.size(); ++i) {
      const auto& st = statements_[i].statement;
      if (st.id) continue;
      std::string key =
          statements_[i].relPath + "\n" + st.idName + "\n" + (st.parameters.empty() ? std::string() : st.parameters[0]);
      std::string id;
      do {
        id = NameBasedGuid(space, key + "\n" + std::to_string(occurrences[key]++));
      } while (used.count(id));
      used.emplace(id, i);
      ids[i] = id;
    }
  }

  SourceReader& reader_;
  const CompileOptions& options_;
  std::string mainPath_;
  fs::path mainDir_;
  Compilation out_;
  CommandNames names_;
  std::vector<std::string> plugInNames_;
  std::map<std::string, Position> seenKeys_;
  std::optional<std::string> headerRevision_;
  bool defaultLanguageSet_ = false;
  Position headerAt_;
  std::set<std::string> included_;
  std::vector<PlacedStatement> statements_;
};

}  // namespace

std::optional<std::string> DiskSourceReader::Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<std::string> MemorySourceReader::Read(const std::string& path) {
  auto it = files.find(fs::path(path).lexically_normal().string());
  if (it == files.end()) it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second;
}

Compilation CompileSource(const std::string& mainPath, SourceReader& reader, const CompileOptions& options) {
  auto text = reader.Read(mainPath);
  if (!text) {
    Compilation c;
    c.diagnostics.Error(mainPath, {}, "cannot read the source file");
    return c;
  }
  return Builder(reader, options, mainPath).Run(*text);
}

Compilation CompileText(std::string_view text, const std::string& mainPath, SourceReader& reader,
                        const CompileOptions& options) {
  return Builder(reader, options, mainPath).Run(text);
}

}  // namespace qv::authoring
