// Reading the section text of a setup script.
#include <array>

#include "common/text.h"
#include "script/script.h"

namespace qv::script {
namespace {

constexpr std::array<const char*, 22> kSectionNames = {
    "command names", "command ids", "parameter records", "line flags", "product code", "product title",
    "plug-in commands", "product details", "web media archive passwords", "line media folders", "media mode",
    "component sizes", "revision code", "extraction map", "language choice", "default language",
    "command header map", "compiler variables", "file-name code page", "source positions",
    "total payload size", "file groups"};

// Lines of the text one at a time; running out of text is a damaged script.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  std::string_view Next(int section) {
    if (pos_ >= text_.size()) {
      throw ScriptLoadError(std::string("The setup script is damaged: it ends before the end of the ") +
                            kSectionNames[section - 1] + " section (section " + std::to_string(section) +
                            " of 22)");
    }
    // A plain byte loop: find_first_of would search the set once per character.
    const char* data = text_.data();
    size_t end = pos_;
    while (end < text_.size() && data[end] != '\r' && data[end] != '\n') ++end;
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end;
    // A line ends at CR LF, a lone LF or a lone CR.
    if (pos_ < text_.size()) {
      ++pos_;
      if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }
    ++lineNumber_;
    return line;
  }

  size_t LineNumber() const { return lineNumber_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t lineNumber_ = 0;
};

std::vector<std::string> ReadList(LineReader& in, int section) {
  std::vector<std::string> list;
  for (std::string_view line = in.Next(section); line != "$"; line = in.Next(section)) list.emplace_back(line);
  return list;
}

std::string ReadSingle(LineReader& in, int section) { return std::string(in.Next(section)); }

int64_t ReadInteger(LineReader& in, int section) {
  std::string_view line = in.Next(section);
  int64_t value = 0;
  if (!text::ParseInt64(line, value)) {
    throw ScriptLoadError(std::string("The setup script is damaged: the ") + kSectionNames[section - 1] +
                          " line (line " + std::to_string(in.LineNumber()) + ") holds \"" +
                          std::string(line.substr(0, 40)) + "\" instead of a number");
  }
  return value;
}

int32_t ReadInteger32(LineReader& in, int section) {
  int64_t v = ReadInteger(in, section);
  if (v < INT32_MIN || v > INT32_MAX) {
    throw ScriptLoadError(std::string("The setup script is damaged: the ") + kSectionNames[section - 1] +
                          " line (line " + std::to_string(in.LineNumber()) + ") is out of range");
  }
  return static_cast<int32_t>(v);
}

}  // namespace

Script LoadScript(std::string_view text) {
  LineReader in(text);
  ScriptSections s;
  s.commandNames = ReadList(in, 1);
  s.commandIds = ReadList(in, 2);
  s.parameterLines = ReadList(in, 3);
  // A parameter that is a lone "$" travels as a token, since "$" ends the section.
  for (auto& line : s.parameterLines) {
    if (line.size() >= 8 && line[0] == '$' &&
        (text::EqualsNoCase(line, "$WILD_DOLLAR$") || text::EqualsNoCase(line, "$DOLLAR$")))
      line.assign(1, '$');
  }
  s.lineFlags = ReadList(in, 4);
  s.productCode = ReadSingle(in, 5);
  s.productTitle = ReadSingle(in, 6);
  s.pluginCommands = ReadList(in, 7);
  s.details.publisher = ReadSingle(in, 8);
  s.details.contact = ReadSingle(in, 8);
  s.details.helpLink = ReadSingle(in, 8);
  s.details.updateInfoLink = ReadSingle(in, 8);
  s.details.comments = ReadSingle(in, 8);
  s.details.version = ReadSingle(in, 8);
  s.webMediaPasswords = ReadList(in, 9);
  s.lineMediaFolders = ReadList(in, 10);
  s.mediaMode = ReadInteger32(in, 11);
  s.componentSizes = ReadList(in, 12);
  s.revisionCode = ReadSingle(in, 13);
  s.extractionMap = ReadList(in, 14);
  s.languageChoice = in.Next(15) == "TRUE";
  s.defaultLanguage = ReadSingle(in, 16);
  s.commandHeaderMap = ReadList(in, 17);
  s.compilerVariables = ReadList(in, 18);
  s.fileNameCodePage = ReadInteger32(in, 19);
  s.sourcePositions = ReadList(in, 20);
  s.totalPayloadSize = ReadInteger(in, 21);
  s.fileGroups = ReadList(in, 22);
  // Whatever follows (a certificate table, padding) is not part of the script.
  return Script(std::move(s));
}

}  // namespace qv::script
