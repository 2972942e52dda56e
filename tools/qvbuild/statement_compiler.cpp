#include "tools/qvbuild/statement_compiler.h"

#include <algorithm>

#include "common/text.h"
#include "tools/qvbuild/ansi_text.h"

namespace qv::authoring {
namespace {

std::vector<std::string> Words(std::string_view name) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find(' ', start);
    if (end == std::string_view::npos) end = name.size();
    words.emplace_back(name.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Edits (insert, delete, replace, swap of neighbours) between two texts.
size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

// Reads the parameters of one statement into script lines, with the checks the kinds ask for.
class ParameterReader {
 public:
  ParameterReader(std::string_view command, const std::string& file, Diagnostics& d)
      : command_(command), file_(file), d_(d) {}

  bool ok = true;

  // A token as parameter `k` (1-based); without a description it is taken as it is.
  std::string Read(const Token& t, size_t k, const ParameterInfo* parameter) {
    auto ansi = TokenToAnsi(t, file_, d_);
    if (!ansi) {
      ok = false;
      return {};
    }
    if (t.quoted || !parameter) return *ansi;
    if (parameter->kind == Kind::Flag) {
      std::string upper = text::UpperCase(*ansi);
      if (upper == "TRUE" || upper == "FALSE") return upper;
      if (*ansi == "-1" || IsReferenceText(*ansi)) return *ansi;
      Fail(t, k, *parameter, "is a flag: write TRUE or FALSE (or quote the text to store it as it is)");
    } else if (parameter->kind == Kind::Number) {
      int64_t ignored;
      if (text::ParseInt64(*ansi, ignored) || IsReferenceText(*ansi)) return *ansi;
      Fail(t, k, *parameter, "is a number: write a decimal integer or a $VARIABLE$ (or quote the text)");
    }
    return *ansi;
  }

  void TooMany(const std::vector<Token>& tokens, size_t first, const std::vector<ParameterInfo>& parameters) {
    std::string names;
    for (const auto& p : parameters) names += (names.empty() ? "" : ", ") + std::string(p.name);
    std::string message = Quote(command_) + " takes " + std::to_string(parameters.size()) +
                          (parameters.size() == 1 ? " parameter" : " parameters") +
                          (names.empty() ? "" : " (" + names + ")") + "; " + std::to_string(tokens.size()) + " given";
    d_.Error(file_, tokens[first].at, message);
    ok = false;
  }

  void Error(Position at, std::string message) {
    d_.Error(file_, at, std::move(message));
    ok = false;
  }

 private:
  void Fail(const Token& t, size_t k, const ParameterInfo& parameter, const char* what) {
    Error(t.at, "parameter " + std::to_string(k) + " (" + std::string(parameter.name) + ") of " + Quote(command_) +
                    " " + what);
  }

  std::string_view command_;
  const std::string& file_;
  Diagnostics& d_;
};

void ReadPlain(const std::vector<Token>& params, const std::vector<ParameterInfo>& parameters, ParameterReader& r,
               CompiledStatement& out) {
  if (params.size() > parameters.size()) {
    r.TooMany(params, parameters.size(), parameters);
    return;
  }
  for (size_t k = 0; k < parameters.size(); ++k)
    out.parameters.push_back(k < params.size() ? r.Read(params[k], k + 1, &parameters[k]) : std::string());
  out.hasRecord = !parameters.empty();
}

// [not] VARIABLE OPERATOR [VALUE], or the four stored parameters by position.
void ReadCondition(const std::vector<Token>& t, const CommandInfo& command, ParameterReader& r,
                   CompiledStatement& out) {
  size_t variable = 0;
  bool negate = false;
  const ConditionOperator* op = nullptr;
  if (t.size() >= 3 && t[0].Is("not") && !t[2].quoted && OperatorByWord(t[2].text)) {
    negate = true;
    variable = 1;
  } else if (t.size() < 2 || t[1].quoted || !OperatorByWord(t[1].text)) {
    ReadPlain(t, command.parameters, r, out);
    return;
  }
  op = OperatorByWord(t[variable + 1].text);
  size_t value = variable + 2;
  size_t values = t.size() - value;
  if (op->takesValue && values == 0) {
    r.Error(t[variable + 1].at, "the operator " + std::string(op->word) + " needs a value to compare with");
    return;
  }
  if (values > (op->takesValue ? 1u : 0u)) {
    r.Error(t[value + (op->takesValue ? 1 : 0)].at,
            "too many words in the condition: " + Quote(command.name) + " takes [not] VARIABLE " +
                std::string(op->word) + (op->takesValue ? " VALUE" : "") + " (quote a value that holds blanks)");
    return;
  }
  out.parameters.push_back(r.Read(t[variable], 1, &command.parameters[0]));
  out.parameters.emplace_back(op->code);
  out.parameters.push_back(values ? r.Read(t[value], 3, &command.parameters[2]) : std::string());
  out.parameters.emplace_back(negate ? "TRUE" : "FALSE");
  out.hasRecord = true;
}

// NAME VALUE [save|nosave]: the save option is stored after the name behind a marker.
void ReadSetVariable(const std::vector<Token>& t, const CommandInfo& command, ParameterReader& r,
                     CompiledStatement& out) {
  std::vector<Token> params = t;
  std::string option;
  if (params.size() == 3 && (params[2].Is("save") || params[2].Is("nosave"))) {
    option = params[2].text == "save" ? "TRUE" : "FALSE";
    params.pop_back();
  }
  if (params.size() > 2) {
    r.Error(params[2].at, Quote(command.name) + " takes NAME VALUE and optionally the word save or nosave; " +
                              std::to_string(t.size()) + " words given (quote a value that holds blanks)");
    return;
  }
  ReadPlain(params, command.parameters, r, out);
  if (!option.empty()) {
    if (out.parameters[0].find(kSaveMarker) != std::string::npos) {
      r.Error(params[0].at, "the name already holds a save marker; leave out the word " + t[2].text);
      return;
    }
    out.parameters[0] += std::string(kSaveMarker) + option;
  }
}

void ReadFree(const std::vector<Token>& t, ParameterReader& r, CompiledStatement& out) {
  for (size_t k = 0; k < t.size(); ++k) out.parameters.push_back(r.Read(t[k], k + 1, nullptr));
  out.hasRecord = !t.empty();
}

bool ReadAnnotations(const std::vector<Token>& t, size_t from, const std::string& file, Diagnostics& d,
                     CompiledStatement& out) {
  for (size_t i = from; i < t.size(); i += 2) {
    const Token& key = t[i];
    std::optional<std::string>* slot = nullptr;
    std::string flag;
    if (key.Is("@id"))
      slot = &out.id;
    else if (key.Is("@at"))
      slot = &out.position;
    else if (key.Is("@media"))
      slot = &out.media;
    else if (key.Is("@header"))
      slot = &out.header;
    else if (!key.Is("@flag")) {
      d.Error(file, key.at,
              key.quoted || key.text.empty() || key.text[0] != '@'
                  ? "after an annotation only further annotations may follow (@id, @at, @media, @header, @flag)"
                  : "unknown annotation " + key.text +
                        " (known: @id, @at, @media, @header, @flag); quote a parameter that starts with @");
      return false;
    }
    if (i + 1 >= t.size()) {
      d.Error(file, key.at, "the annotation " + key.text + " needs a value");
      return false;
    }
    auto value = TokenToAnsi(t[i + 1], file, d);
    if (!value) return false;
    if (key.Is("@flag")) {
      if (!out.flag.empty() && out.flag != *value) {
        d.Error(file, key.at, "the line flag is given twice (off: and @flag)");
        return false;
      }
      out.flag = *value;
      continue;
    }
    if (slot->has_value()) {
      d.Error(file, key.at, "the annotation " + key.text + " is given twice");
      return false;
    }
    *slot = *value;
  }
  return true;
}

std::string UnknownCommandMessage(const CommandNames& names, const std::vector<Token>& t, size_t from, size_t end) {
  std::string suggestion = names.Closest(t, from, end);
  if (suggestion.empty())
    return "unknown command \"" + t[from].text +
           "\" (a command the builder does not know can be given by its name in quotes)";
  std::string written;
  for (size_t k = from, words = 0; k < end && words < Words(suggestion).size(); ++k, ++words)
    written += (written.empty() ? "" : " ") + t[k].text;
  std::string message = "unknown command \"" + written + "\"; ";
  if (text::EqualsNoCase(written, suggestion)) message += "command names are case-sensitive: ";
  return message + "did you mean \"" + suggestion + "\"?";
}

}  // namespace

CommandNames::CommandNames(const std::vector<std::string>& plugInNames) : plugIns_(plugInNames) {
  for (const auto& c : Commands()) entries_.push_back({Words(c.name), std::string(c.name), &c});
  for (const auto& p : plugInNames)
    if (!FindCommand(p)) entries_.push_back({Words(p), p, nullptr});
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const Entry& a, const Entry& b) { return a.words.size() > b.words.size(); });
}

std::optional<CommandNames::Match> CommandNames::Longest(const std::vector<Token>& tokens, size_t from,
                                                         size_t end) const {
  for (const auto& e : entries_) {
    if (from + e.words.size() > end) continue;
    bool match = true;
    for (size_t k = 0; k < e.words.size() && match; ++k) match = tokens[from + k].Is(e.words[k]);
    if (match) return Match{e.name, e.command, e.words.size()};
  }
  return std::nullopt;
}

bool CommandNames::WouldExtend(std::string_view name, std::string_view word) const {
  std::vector<std::string> start = Words(name);
  start.emplace_back(word);
  for (const auto& e : entries_) {
    if (e.words.size() < start.size()) continue;
    if (std::equal(start.begin(), start.end(), e.words.begin())) return true;
  }
  return false;
}

std::string CommandNames::Closest(const std::vector<Token>& tokens, size_t from, size_t end) const {
  std::string best;
  size_t bestDistance = 3;
  std::string written;
  for (size_t k = from; k < end && k < from + 6 && !tokens[k].quoted; ++k) {
    written += (k == from ? "" : " ") + tokens[k].text;
    for (const auto& e : entries_) {
      if (text::EqualsNoCase(written, e.name)) return e.name;
      size_t distance = EditDistance(text::LowerCase(written), text::LowerCase(e.name));
      if (distance < bestDistance && distance * 4 <= e.name.size()) {
        bestDistance = distance;
        best = e.name;
      }
    }
  }
  return best;
}

bool CommandNames::IsPlugIn(std::string_view name) const {
  return std::find(plugIns_.begin(), plugIns_.end(), name) != plugIns_.end();
}

bool IsReferenceText(std::string_view text) { return text.find_first_of("$#") != std::string_view::npos; }

std::optional<std::string> TokenToAnsi(const Token& token, const std::string& file, Diagnostics& diagnostics) {
  AnsiFault fault;
  auto ansi = Utf8ToAnsi(token.text, &fault);
  if (ansi) return ansi;
  // A quoted text starts one column before its first character; its doubled quotes are
  // one character in the text but two in the line.
  size_t column = token.at.column + (token.quoted ? 1 : 0) + fault.character;
  if (token.quoted) {
    size_t seen = 0, quotes = 0;
    for (size_t i = 0; i < token.text.size() && seen < fault.character; ++i) {
      if ((static_cast<unsigned char>(token.text[i]) & 0xC0) == 0x80) continue;
      if (token.text[i] == '"') ++quotes;
      ++seen;
    }
    column += quotes;
  }
  diagnostics.Error(file, {token.at.line, static_cast<int>(column)}, fault.reason);
  return std::nullopt;
}

std::optional<CompiledStatement> CompileStatement(const LogicalLine& line, const CommandNames& names,
                                                  const std::string& file, Diagnostics& d) {
  const auto& t = line.tokens;
  CompiledStatement out;
  out.at = line.at;
  size_t annotations = t.size();
  for (size_t i = 0; i < t.size(); ++i)
    if (!t[i].quoted && !t[i].text.empty() && t[i].text[0] == '@') {
      annotations = i;
      break;
    }

  size_t i = 0;
  bool rem = false;
  for (; i < annotations; ++i) {
    if (t[i].Is("off:")) {
      if (!out.flag.empty()) {
        d.Error(file, t[i].at, "off: is given twice");
        return std::nullopt;
      }
      out.flag = "C";
    } else if (t[i].Is("rem:")) {
      if (rem) {
        d.Error(file, t[i].at, "rem: is given twice");
        return std::nullopt;
      }
      rem = true;
    } else {
      break;
    }
  }
  if (i >= annotations) {
    if (i < t.size())
      d.Error(file, t[i].at, "an annotation (@...) must follow a command on the same line");
    else
      d.Error(file, t.back().at, "a command must follow " + t.back().text);
    return std::nullopt;
  }

  std::vector<Token> params;
  const CommandInfo* command = nullptr;
  bool plugIn = false;
  if (t[i].quoted) {
    // A command given by its stored name: written as it is, no checks, no padding.
    auto name = TokenToAnsi(t[i], file, d);
    if (!name) return std::nullopt;
    out.name = *name;
    params.assign(t.begin() + i + 1, t.begin() + annotations);
  } else {
    auto match = names.Longest(t, i, annotations);
    if (!match) {
      d.Error(file, t[i].at, UnknownCommandMessage(names, t, i, annotations));
      return std::nullopt;
    }
    command = match->command;
    plugIn = !command;
    auto name = TokenToAnsi(Token{match->name, false, t[i].at}, file, d);
    if (!name) return std::nullopt;
    out.name = *name;
    params.assign(t.begin() + i + match->words, t.begin() + annotations);
  }

  ParameterReader reader(out.name, file, d);
  if (plugIn)
    ReadPlain(params, PlugInParameters(), reader, out);
  else if (!command || command->form == Form::Free)
    ReadFree(params, reader, out);
  else if (command->form == Form::Condition)
    ReadCondition(params, *command, reader, out);
  else if (command->form == Form::SetVariable)
    ReadSetVariable(params, *command, reader, out);
  else
    ReadPlain(params, command->parameters, reader, out);
  out.idName = out.name;
  if (rem) out.name = "Comment";
  if (!reader.ok) return std::nullopt;
  if (!ReadAnnotations(t, annotations, file, d, out)) return std::nullopt;
  return out;
}

}  // namespace qv::authoring
